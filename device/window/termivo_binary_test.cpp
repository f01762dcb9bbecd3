// termivo's runs without a window, as a script meets them: standard output, standard error
// and the exit status of the built program.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

struct Outcome {
    int status = -1;
    std::string out;
};

// Runs termivo with `arguments` under a port map of `map`, standard error joined to output.
Outcome RunTermivo(const std::string& map, const std::string& arguments,
                   const std::string& environment = "") {
    // Tests of this program may run at once in other processes: each has its own files.
    const std::string mapPath = ::testing::TempDir() + "termivo-" +
                                ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                                ".map";
    std::ofstream(mapPath) << map;
    const std::string command =
        "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM SERIALKIT_PORT_MAP=" + mapPath + " " +
        environment + " " TERMIVO_BINARY " " + arguments + " 2>&1";
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    std::array<char, 4096> chunk;
    while (std::fgets(chunk.data(), chunk.size(), pipe) != nullptr) {
        outcome.out += chunk.data();
    }
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::remove(mapPath.c_str());
    return outcome;
}

TEST(TermivoWithoutWindow, LoopbackExitStatusTellsWhetherEveryPassSucceeded) {
    const Outcome clean =
        RunTermivo("COM1 loopback\nCOM2 loopback\n", "--loopback --ports 2 --passes 3");
    EXPECT_EQ(clean.status, 0) << clean.out;
    EXPECT_EQ(clean.out.rfind("PORT  COUNT  ERROR    STATUS\n", 0), 0u) << clean.out;
    EXPECT_NE(clean.out.find("COM1      3      0    Success\n"), std::string::npos) << clean.out;
    EXPECT_NE(clean.out.find("COM2      3      0    Success\n"), std::string::npos) << clean.out;
    EXPECT_EQ(clean.out.find("COM1      4"), std::string::npos) << "exactly three passes";

    const Outcome missing = RunTermivo("COM1 loopback\nCOM2 /dev/serialkit-test-no-such-device\n",
                                       "--loopback --ports 2 --passes 1");
    EXPECT_EQ(missing.status, 1) << missing.out;
    EXPECT_NE(missing.out.find("Cannot open COM2"), std::string::npos) << missing.out;
    EXPECT_NE(missing.out.find("COM1      1      0    Success"), std::string::npos);
}

TEST(TermivoWithoutWindow, BadOptionsGiveStatusTwoAndTheUsage) {
    for (const char* arguments :
         {"--loopback --first 9 --ports 3", "--loopback --size 0",
          "--loopback --passes 2 --seconds 2", "--loopback --baud fast", "--frobnicate"}) {
        const Outcome bad = RunTermivo("", arguments);
        EXPECT_EQ(bad.status, 2) << arguments;
        EXPECT_NE(bad.out.find("usage: termivo"), std::string::npos) << arguments;
    }
}

TEST(TermivoWithoutWindow, WithoutADisplayTheWindowSaysWhatToDoInstead) {
    const Outcome windowless = RunTermivo("", "");
    EXPECT_EQ(windowless.status, 1);
    EXPECT_NE(windowless.out.find("no display"), std::string::npos) << windowless.out;
    EXPECT_NE(windowless.out.find("xvfb-run"), std::string::npos) << windowless.out;
}

TEST(TermivoWithoutWindow, PortInfoPrintsTheListing) {
    const std::string registry = ::testing::TempDir() + "termivo-port-info.reg";
    std::ofstream(registry) << "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\01]\n"
                               "\"Name\"=\"COM3:\"\n\"Key\"=\"Drivers\\\\U\"\n"
                               "[HKEY_LOCAL_MACHINE\\Drivers\\U]\n"
                               "\"DLL\"=\"ftdi_sio\"\n\"FriendlyName\"=\"USB Serial\"\n";
    const Outcome info = RunTermivo("", "--port-info", "SERIALKIT_REGISTRY=" + registry);
    std::remove(registry.c_str());
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(info.out,
              "--------------- ACTIVE PORTS ------------------\n"
              "Port      DLL             Friendly Name\n"
              "-----------------------------------------------\n"
              "COM3:     ftdi_sio        USB Serial\n");
}

}  // namespace
