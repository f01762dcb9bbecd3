#include "generator/pellix_registry.h"

#include <algorithm>

#include "generator/text_format.h"

namespace zandinst {

namespace {

// Registry keys Serial to Serial9 are numbered; Serial0 is the tenth and last.
constexpr std::int64_t kNumberedKeys = 9;
constexpr std::uint32_t kPortSpacing = 8;

constexpr char kFirstKey[] = "\n\n[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Serial]";
constexpr char kNumberedKey[] = "\n\n[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Serial%d]";
constexpr char kLastKey[] = "\n\n[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Serial0]";

constexpr char kIrq[] = "\n\t\"Irq\"=dword:%d";
constexpr char kIoBase[] = "\n\t\"IoBase\"=dword:%#x";
constexpr char kIoLen[] = "\n\t\"IoLen\"=dword:8";
constexpr char kTsp[] = "\n\n\t\"Tsp\"=\"Unimodem.dll\"";
constexpr char kDeviceArrayIndex[] = "\n\t\"DeviceArrayIndex\"=dword:%d";
constexpr char kPrefix[] = "\n\t\"Prefix\"=\"COM\"";
constexpr char kDll[] = "\n\t\"Dll\"=\"pelluart.dll\"";
constexpr char kOrder[] = "\n\t\"Order\"=dword:0";
constexpr char kDeviceType[] = "\n\t\"DeviceType\"=dword:0";
constexpr char kMultiPort[] = "\n\t\"MultiPort\"=dword:1";
constexpr char kFriendlyName[] = "\n\t\"FriendlyName\"=\"Pellix Port %d IRQ %d\"";
constexpr char kDevConfig[] =
    "\n\t\"DevConfig\"=hex: 10,00, 00,00, 05,00,00,00, 10,01,00,00, 00,4B,00,00,"
    " 00,00, 08, 00, 00, 00,00,00,00";
constexpr char kHighSpeed[] = "\n\t\"HighSpeed\"=dword:%d";

void AppendPortValues(std::string& text, const PellixAnswers& answers, int index,
                      std::uint32_t address) {
    text += FormatText(kIrq, answers.irq);
    text += FormatText(kIoBase, address);
    text += kIoLen;
    text += kTsp;
    text += FormatText(kDeviceArrayIndex, index);
    text += kPrefix;
    text += kDll;
    text += kOrder;
    text += kDeviceType;
    text += kMultiPort;
    text += FormatText(kFriendlyName, index + 1, answers.irq);
    text += kDevConfig;
    text += FormatText(kHighSpeed, answers.highSpeedValue);
}

}  // namespace

std::string PellixRegistryEntries(const PellixAnswers& answers) {
    // Sums in 64 bits: no answer can overflow them. The clamp keeps a negative count of other
    // ports from lifting the limit of nine numbered keys; for every other answer it changes
    // nothing.
    const std::int64_t portCount = answers.portCount;
    const std::int64_t otherPorts = answers.otherPorts;
    const bool lastKey = portCount + otherPorts > kNumberedKeys;
    const std::int64_t numbered = std::clamp<std::int64_t>(
        lastKey ? kNumberedKeys - otherPorts : portCount, 0, kNumberedKeys);

    std::string text;
    // Unsigned arithmetic: an address near the top of the range wraps as a 32-bit register does.
    std::uint32_t address = static_cast<std::uint32_t>(answers.ioBase);
    for (int index = 0; index < numbered; ++index) {
        const std::int64_t key = otherPorts + index + 1;
        text += key == 1 ? std::string(kFirstKey) : FormatText(kNumberedKey, static_cast<int>(key));
        AppendPortValues(text, answers, index, address);
        address += kPortSpacing;
    }
    if (lastKey) {
        text += kLastKey;
        AppendPortValues(text, answers, static_cast<int>(numbered), address);
    }
    return text;
}

}  // namespace zandinst
