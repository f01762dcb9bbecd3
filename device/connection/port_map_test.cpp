#include "device/connection/port_map.h"

#include <gtest/gtest.h>

namespace serial {
namespace {

TEST(PortMap, EntriesAndTheLinesThatAreIgnored) {
    const char* text =
        "# bench ports\n"
        "COM1  /dev/ttyUSB0\n"
        "com2 loopback paced   # lower case is fine\n"
        "\n"
        "COM3 open-line\n"
        "COM4 null-modem:bench busy\n"
        "COM5 null-modem:bench\n"
        "COM6 null-modem:bench\n"
        "COM7 loopbak\n"
        "COM1 loopback\n"
        "ttyS0 /dev/ttyS0\n"
        "COM8\n"
        "COM9 /dev/ttyS3 paced\n"
        "COM300 loopback\n"
        "COM10 loopback fast\n"
        "COM0 open-line\n"
        "COM10 loopback\n";
    std::vector<std::string> problems;
    const PortMap map = ParsePortMap(text, "ports", &problems);

    ASSERT_EQ(map.size(), 6u);
    EXPECT_EQ(map.at(10).kind, LineKind::kOpenLine) << "COM0 is COM10";
    EXPECT_EQ(map.at(1).kind, LineKind::kDevice);
    EXPECT_EQ(map.at(1).devicePath, "/dev/ttyUSB0");
    EXPECT_EQ(map.at(2).kind, LineKind::kLoopback);
    EXPECT_TRUE(map.at(2).paced);
    EXPECT_EQ(map.at(3).kind, LineKind::kOpenLine);
    EXPECT_EQ(map.at(4).cable, "bench");
    EXPECT_TRUE(map.at(4).busy);
    EXPECT_EQ(map.at(5).kind, LineKind::kNullModem);

    const std::vector<std::string> expected = {
        "ports:8: cable 'bench' already has two ends; line ignored",
        "ports:9: unknown target 'loopbak' (expected a /dev path, loopback, open-line or "
        "null-modem:NAME); line ignored",
        "ports:10: COM1 is already mapped; line ignored",
        "ports:11: 'ttyS0' is not a port name like COM3; line ignored",
        "ports:12: COM8 has no target; line ignored",
        "ports:13: unknown option 'paced'; line ignored",
        "ports:14: 'COM300' is not a port name like COM3; line ignored",
        "ports:15: unknown option 'fast'; line ignored",
        "ports:17: COM10 is already mapped; line ignored",
    };
    EXPECT_EQ(problems, expected);
}

TEST(PortMap, UnmappedNamesAreTheConventionalDevices) {
    const PortMap map;
    EXPECT_EQ(ResolvePort(map, 1).devicePath, "/dev/ttyS0");
    EXPECT_EQ(ResolvePort(map, 4).devicePath, "/dev/ttyS3");
    EXPECT_EQ(ResolvePort(map, 10).devicePath, "/dev/ttyS9");
    EXPECT_EQ(ResolvePort(map, 12).devicePath, "/dev/ttyS11");
}

TEST(PortMap, PortNamesAsTheTestersWriteThem) {
    struct Case {
        const char* name;
        bool valid;
        int number;
    } cases[] = {
        {"COM1:", true, 1},   {"COM0:", true, 10},        {"\\\\.\\COM12", true, 12},
        {"com3", true, 3},    {"COM", false, 0},          {"COM:", false, 0},
        {"COMX:", false, 0},  {"COM-1:", false, 0},       {"COM+1", false, 0},
        {"LPT1:", false, 0},  {"COM1::", false, 0},       {"/dev/ttyS0", false, 0},
        {"COM256", false, 0}, {"\\\\.\\COM3:", false, 0},
    };
    for (const Case& c : cases) {
        int number = -7;
        EXPECT_EQ(ParseComName(c.name, &number), c.valid) << c.name;
        if (c.valid) {
            EXPECT_EQ(number, c.number) << c.name;
        }
    }
}

}  // namespace
}  // namespace serial
