#include "device/connection/port_map.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "device/connection/serial_api.h"

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
        "COM10 loopback\n"
        "COM-0 loopback\n"
        "COM011 loopback\n"
        "COM12 none\n"
        "COM13 none busy\n"
        "COM* loopback\n";
    std::vector<std::string> problems;
    const PortMap map = ParsePortMap(text, "ports", &problems);

    ASSERT_EQ(map.entries.size(), 7u);
    EXPECT_EQ(map.entries.at(10).kind, LineKind::kOpenLine) << "COM0 is COM10";
    EXPECT_EQ(map.entries.at(1).kind, LineKind::kDevice);
    EXPECT_EQ(map.entries.at(1).devicePath, "/dev/ttyUSB0");
    EXPECT_EQ(map.entries.at(2).kind, LineKind::kLoopback);
    EXPECT_TRUE(map.entries.at(2).paced);
    EXPECT_EQ(map.entries.at(3).kind, LineKind::kOpenLine);
    EXPECT_EQ(map.entries.at(4).cable, "bench");
    EXPECT_TRUE(map.entries.at(4).busy);
    EXPECT_EQ(map.entries.at(5).kind, LineKind::kNullModem);
    EXPECT_EQ(map.entries.at(12).kind, LineKind::kNone);
    EXPECT_FALSE(map.unlistedAreNone);

    const std::vector<std::string> expected = {
        "ports:8: cable 'bench' already has two ends; line ignored",
        "ports:9: unknown target 'loopbak' (expected a /dev path, loopback, open-line, "
        "null-modem:NAME or none); line ignored",
        "ports:10: COM1 is already mapped; line ignored",
        "ports:11: 'ttyS0' is not a port name like COM3; line ignored",
        "ports:12: COM8 has no target; line ignored",
        "ports:13: unknown option 'paced'; line ignored",
        "ports:14: 'COM300' is not a port name like COM3; line ignored",
        "ports:15: unknown option 'fast'; line ignored",
        "ports:17: COM10 is already mapped; line ignored",
        "ports:18: 'COM-0' is not a port name like COM3; line ignored",
        "ports:19: 'COM011' is not a port name like COM3; line ignored",
        "ports:21: unknown option 'busy'; line ignored",
        "ports:22: COM* takes only the target none; line ignored",
    };
    EXPECT_EQ(problems, expected);
}

TEST(PortMap, UnmappedNamesAreTheConventionalDevicesUnlessTheMapRulesThemOut) {
    const PortMap plain;
    EXPECT_EQ(ResolvePort(plain, 1).devicePath, "/dev/ttyS0");
    EXPECT_EQ(ResolvePort(plain, 4).devicePath, "/dev/ttyS3");
    EXPECT_EQ(ResolvePort(plain, 10).devicePath, "/dev/ttyS9");
    EXPECT_EQ(ResolvePort(plain, 12).devicePath, "/dev/ttyS11");

    std::vector<std::string> problems;
    const PortMap closed = ParsePortMap("COM2 loopback\ncom* none\nCOM* none\n", "m", &problems);
    EXPECT_EQ(problems, std::vector<std::string>{"m:3: COM* is already mapped; line ignored"});
    EXPECT_EQ(ResolvePort(closed, 2).kind, LineKind::kLoopback);
    EXPECT_EQ(ResolvePort(closed, 1).kind, LineKind::kNone);
    EXPECT_EQ(ResolvePort(closed, 1).devicePath, "");
}

TEST(PortMap, PortNamesAsTheTestersWriteThem) {
    struct Case {
        const char* name;
        bool valid;
        int number;
    } cases[] = {
        {"COM1:", true, 1},     {"COM0:", true, 10},        {"\\\\.\\COM12", true, 12},
        {"com3", true, 3},      {"COM", false, 0},          {"COM:", false, 0},
        {"COMX:", false, 0},    {"COM-1:", false, 0},       {"COM+1", false, 0},
        {"LPT1:", false, 0},    {"COM1::", false, 0},       {"/dev/ttyS0", false, 0},
        {"COM256", false, 0},   {"\\\\.\\COM3:", false, 0}, {"COM255", true, 255},
        {"COM10:", true, 10},   {"COM01", false, 0},        {"COM00", false, 0},
        {"com0007:", false, 0}, {"COM-0", false, 0},        {"COM 1", false, 0},
        {"COM1 ", false, 0},    {"COM0x1", false, 0},
    };
    for (const Case& c : cases) {
        int number = -7;
        EXPECT_EQ(ParseComName(c.name, &number), c.valid) << c.name;
        if (c.valid) {
            EXPECT_EQ(number, c.number) << c.name;
        }
    }
    // A long run of zeros names no port either, however it ends.
    int number = -7;
    EXPECT_FALSE(ParseComName("COM" + std::string(1 << 20, '0') + "1", &number));
}

// A fresh directory under /tmp, removed with its contents.
class ScratchDirectory {
  public:
    ScratchDirectory() {
        char path[] = "/tmp/serialkit-maps-XXXXXX";
        path_ = mkdtemp(path) != nullptr ? path : "";
    }
    ~ScratchDirectory() { std::filesystem::remove_all(path_); }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    std::string File(const std::string& name, const std::string& text) const {
        const std::string path = path_ + "/" + name;
        std::ofstream(path) << text;
        return path;
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

TEST(PortMap, OnlyASmallRegularFileIsReadAsTheMap) {
    ScratchDirectory scratch;
    ASSERT_NE(scratch.path(), "");
    const std::string fifo = scratch.path() + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string path;
        MapFileRead result;
        std::string problem;
    } cases[] = {
        {scratch.File("ports", "COM1 loopback\n"), MapFileRead::kRead, ""},
        {scratch.File("full", std::string(kPortMapLimit, '#')), MapFileRead::kRead, ""},
        {scratch.File("huge", std::string(kPortMapLimit + 1, '#')), MapFileRead::kRefused,
         "larger than 1 MiB"},
        {scratch.path() + "/missing", MapFileRead::kMissing,
         "cannot read it: No such file or directory"},
        {scratch.path(), MapFileRead::kRefused, "not a regular file"},
        {"/dev/zero", MapFileRead::kRefused, "not a regular file"},
        {fifo, MapFileRead::kRefused, "not a regular file"},  // without a writer: no wait
    };
    for (const Case& c : cases) {
        std::string text = "sentinel";
        std::string problem;
        EXPECT_EQ(ReadPortMapFile(c.path, &text, &problem), c.result) << c.path;
        EXPECT_EQ(problem, c.problem) << c.path;
        if (c.result != MapFileRead::kRead) {
            EXPECT_EQ(text, "") << c.path;
        }
    }
    std::string text;
    std::string problem;
    ReadPortMapFile(cases[0].path, &text, &problem);
    EXPECT_EQ(text, "COM1 loopback\n");
}

TEST(PortMap, ARefusedMapIsReportedWithItsFileName) {
    ScratchDirectory scratch;
    ::testing::internal::CaptureStderr();
    LoadPortMap(scratch.path());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "port map " + scratch.path() + ": not a regular file; ports open as without a map\n");
}

}  // namespace
}  // namespace serial
