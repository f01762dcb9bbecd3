#include "generator/pellix_registry.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>
#include <vector>

namespace zandinst {
namespace {

// One registry key as written: its name after "BuiltIn\" and the values a test looks at.
struct Key {
    std::string name;
    std::vector<std::string> values;  // every value line, without its tab
};

std::vector<Key> ParseKeys(const std::string& entries) {
    const std::string keyPrefix = "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\";
    std::vector<Key> keys;
    std::istringstream lines(entries);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(keyPrefix, 0) == 0) {
            keys.push_back({line.substr(keyPrefix.size(), line.size() - keyPrefix.size() - 1), {}});
        } else if (!line.empty() && line[0] == '\t' && !keys.empty()) {
            keys.back().values.push_back(line.substr(1));
        }
    }
    return keys;
}

std::string Value(const Key& key, const std::string& name) {
    const std::string prefix = "\"" + name + "\"=";
    for (const std::string& value : key.values) {
        if (value.rfind(prefix, 0) == 0) {
            return value.substr(prefix.size());
        }
    }
    return "<missing>";
}

struct KeyCase {
    const char* name;
    std::int32_t portCount;
    std::int32_t ioBase;
    std::int32_t otherPorts;
    std::vector<std::string> keys;
    std::vector<std::string> ioBases;
};

// Test names show the case name instead of the bytes of the case.
void PrintTo(const KeyCase& row, std::ostream* os) {
    *os << row.name;
}

class PellixRegistryTest : public testing::TestWithParam<KeyCase> {};

// Each key carries the complete value block for its port: index from 0, the address advanced by
// 8, the friendly name numbered from 1, and the board's IRQ and high speed value.
TEST_P(PellixRegistryTest, NumbersKeysIndexesAndAddresses) {
    const KeyCase& c = GetParam();
    PellixAnswers answers;
    answers.portCount = c.portCount;
    answers.ioBase = c.ioBase;
    answers.irq = 5;
    answers.highSpeedValue = 708000;
    answers.otherPorts = c.otherPorts;

    const std::vector<Key> keys = ParseKeys(PellixRegistryEntries(answers));
    ASSERT_EQ(keys.size(), c.keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        SCOPED_TRACE("key " + std::to_string(i));
        const Key& key = keys[i];
        EXPECT_EQ(key.name, c.keys[i]);
        EXPECT_EQ(key.values.size(), 13u);
        EXPECT_EQ(Value(key, "DeviceArrayIndex"), "dword:" + std::to_string(i));
        EXPECT_EQ(Value(key, "IoBase"), "dword:" + c.ioBases[i]);
        EXPECT_EQ(Value(key, "FriendlyName"),
                  "\"Pellix Port " + std::to_string(i + 1) + " IRQ 5\"");
        EXPECT_EQ(Value(key, "Irq"), "dword:5");
        EXPECT_EQ(Value(key, "HighSpeed"), "dword:708000");
    }
}

const std::vector<std::string> kTenKeys = {"Serial",  "Serial2", "Serial3", "Serial4", "Serial5",
                                           "Serial6", "Serial7", "Serial8", "Serial9", "Serial0"};
const std::vector<std::string> kTenAddresses = {"0x300", "0x308", "0x310", "0x318", "0x320",
                                                "0x328", "0x330", "0x338", "0x340", "0x348"};

INSTANTIATE_TEST_SUITE_P(
    Boards, PellixRegistryTest,
    testing::Values(
        KeyCase{"TwelvePortsStopAtSerial0", 12, 768, 0, kTenKeys, kTenAddresses},
        KeyCase{"TenPortsEndWithSerial0", 10, 768, 0, kTenKeys, kTenAddresses},
        KeyCase{"NinePortsNeedNoSerial0", 9, 768, 0,
                std::vector<std::string>(kTenKeys.begin(), kTenKeys.end() - 1),
                std::vector<std::string>(kTenAddresses.begin(), kTenAddresses.end() - 1)},
        KeyCase{"KeysFollowTheOtherPorts",
                3,
                768,
                2,
                {"Serial3", "Serial4", "Serial5"},
                {"0x300", "0x308", "0x310"}},
        KeyCase{"NoNumberedKeyLeft", 2, 768, 9, {"Serial0"}, {"0x300"}},
        KeyCase{"FirstAddressZeroHasNoPrefix", 2, 0, 0, {"Serial", "Serial2"}, {"0", "0x8"}},
        KeyCase{"NegativeAddressIsWrittenAs32Bits", 1, -8, 0, {"Serial"}, {"0xfffffff8"}},
        KeyCase{"NoPorts", 0, 768, 0, {}, {}},
        KeyCase{"LargestAnswersWriteOnlySerial0",
                INT32_MAX,
                INT32_MAX,
                INT32_MAX,
                {"Serial0"},
                {"0x7fffffff"}},
        KeyCase{
            "NegativeOtherPortsKeepTheNineKeyLimit",
            1000000,
            768,
            -999999,
            {"Serial-999998", "Serial-999997", "Serial-999996", "Serial-999995", "Serial-999994",
             "Serial-999993", "Serial-999992", "Serial-999991", "Serial-999990"},
            std::vector<std::string>(kTenAddresses.begin(), kTenAddresses.end() - 1)}),
    [](const testing::TestParamInfo<KeyCase>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace zandinst
