#include "device/inventory/port_inventory.h"

#include <string>

#include "device/connection/port_names.h"
#include "device/window/terminal_screen.h"
#include "platform/registry.h"

namespace device {

using namespace registry;

namespace {

constexpr char16_t kActiveKey[] = u"Drivers\\Active";
constexpr int kRowCount = 25;
constexpr std::size_t kDllColumnWidth = 16;
constexpr char16_t kMissing[] = u"-";

// Reads a text value with a limit of `limitBytes`, as the registry stores it; false when it
// is missing or longer than the limit.
bool ReadText(HKEY key, const char16_t* name, DWORD limitBytes, std::u16string* text) {
    std::u16string buffer(limitBytes / sizeof(char16_t), u'\0');
    DWORD bytes = limitBytes;
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                         &bytes) != ERROR_SUCCESS) {
        return false;
    }
    buffer.resize(bytes / sizeof(char16_t));
    *text = buffer.substr(0, buffer.find(u'\0'));
    return true;
}

// The DLL column: the text, then spaces to 16 characters; a text of 16 or more characters is
// followed by two spaces, so that the friendly name never runs into it.
std::u16string DllColumn(const std::u16string& dll) {
    const std::size_t pad = dll.size() < kDllColumnWidth ? kDllColumnWidth - dll.size() : 2;
    return dll + std::u16string(pad, u' ');
}

// The line of one driver entry, or empty when the entry is not listed.
std::u16string PortLine(const char16_t* subkey) {
    HKEY entry{};
    const std::u16string entryPath = std::u16string(kActiveKey) + u"\\" + subkey;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, entryPath.c_str(), 0, KEY_READ, &entry) !=
        ERROR_SUCCESS) {
        return {};
    }
    std::u16string line;
    std::u16string name;
    std::u16string driverPath;
    HKEY driver{};
    if (ReadText(entry, u"Name", 64, &name) && name.starts_with(u"COM") &&
        ReadText(entry, u"Key", 256, &driverPath) &&
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, driverPath.c_str(), 0, KEY_READ, &driver) ==
            ERROR_SUCCESS) {
        std::u16string dll = kMissing;
        std::u16string friendly = kMissing;
        ReadText(driver, u"DLL", 256, &dll);
        ReadText(driver, u"FriendlyName", 256, &friendly);
        line = name + u"     " + DllColumn(dll) + friendly;
        RegCloseKey(driver);
    }
    RegCloseKey(entry);
    return line;
}

}  // namespace

std::vector<std::u16string> ActivePortLines() {
    std::vector<std::u16string> lines = {
        u"--------------- ACTIVE PORTS ------------------",
        u"Port      DLL             Friendly Name",
        u"-----------------------------------------------",
    };
    HKEY active{};
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kActiveKey, 0, KEY_READ, &active) != ERROR_SUCCESS) {
        return lines;
    }
    for (DWORD index = 0;; ++index) {
        char16_t subkey[64];
        DWORD chars = 64;
        if (RegEnumKeyExW(active, index, subkey, &chars) != ERROR_SUCCESS) {
            break;
        }
        std::u16string line = PortLine(subkey);
        if (!line.empty()) {
            lines.push_back(std::move(line));
        }
    }
    RegCloseKey(active);
    return lines;
}

void ListActivePorts() {
    RefreshRegistryView();
    const std::vector<std::u16string> lines = ActivePortLines();
    ClearScreen();
    const int shown = static_cast<int>(lines.size()) <= kRowCount ? static_cast<int>(lines.size())
                                                                  : kRowCount - 1;
    for (int row = 0; row < shown; ++row) {
        WriteScreenLine(lines[static_cast<std::size_t>(row)].c_str(), row);
    }
    if (shown < static_cast<int>(lines.size())) {
        const std::string more = "... " +
                                 std::to_string(lines.size() - static_cast<std::size_t>(shown)) +
                                 " more ports (termivo --port-info lists them all)";
        WriteScreenLine(std::u16string(more.begin(), more.end()).c_str(), kRowCount - 1);
    }
}

void RefreshRegistryView() {
    SetComNamer([map = serial::ReadPortMap()](const std::string& devicePath) {
        return serial::ComNumberForDevice(map, devicePath);
    });
    ReloadView();
}

}  // namespace device
