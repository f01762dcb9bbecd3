#include "device/connection/port_names.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace serial {
namespace {

namespace fs = std::filesystem;

class PortNames : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "port-names-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(dir_, error);
    }
    fs::path dir_;
};

TEST_F(PortNames, DevicesGetTheComNumberThatOpensThem) {
    // An adapter reached through a by-id link, a COM name taken by a virtual port, a ttyS
    // mapped under another number, and COM0 taking the tenth conventional port.
    const fs::path tty = dir_ / "ttyUSB0";
    std::ofstream(tty).put('\n');
    fs::create_directories(dir_ / "by-id");
    const fs::path byId = dir_ / "by-id" / "usb-Board_Serial-if00";
    fs::create_symlink(tty, byId);
    const fs::path mapFile = dir_ / "ports";
    std::ofstream(mapFile) << "COM3 " << byId.string() << "\n"
                           << "COM2 loopback\n"
                           << "COM7 /dev/ttyS4\n"
                           << "COM0 open-line\n";
    ASSERT_EQ(setenv("SERIALKIT_PORT_MAP", mapFile.c_str(), 1), 0);
    const PortMap map = ReadPortMap();
    unsetenv("SERIALKIT_PORT_MAP");
    ASSERT_EQ(map.entries.size(), 4u);

    struct Case {
        std::string devicePath;
        int comNumber;
    } cases[] = {
        {tty.string(), 3},
        {byId.string(), 3},
        {(dir_ / "by-id" / ".." / "ttyUSB0").string(), 3},
        {"/dev/ttyS0", 1},
        {"/dev/ttyS1", 0},  // COM2 is a loopback plug
        {"/dev/ttyS4", 7},  // mapped, so not COM5
        {"/dev/ttyS9", 0},  // COM0 is COM10, and the map gives it to a virtual line
        {"/dev/ttyS10", 11},
        {"/dev/ttyS254", 255},
        {"/dev/ttyS255", 0},  // past the highest COM number
        {"/dev/ttyS01", 0},
        {"/dev/ttyS", 0},
        {"/dev/ttyUSB1", 0},
        {(dir_ / "other").string(), 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ComNumberForDevice(map, c.devicePath), c.comNumber) << c.devicePath;
    }
}

TEST(PortNamesWithoutUnlisted, OnlyTheMapNamesDevicesAfterComStarNone) {
    std::vector<std::string> problems;
    const PortMap map = ParsePortMap("COM3 /dev/ttyS7\nCOM* none\n", "ports", &problems);
    ASSERT_TRUE(problems.empty());
    EXPECT_EQ(ComNumberForDevice(map, "/dev/ttyS7"), 3);
    EXPECT_EQ(ComNumberForDevice(map, "/dev/ttyS0"), 0) << "COM1 is no port under COM* none";
}

}  // namespace
}  // namespace serial
