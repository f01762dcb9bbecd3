// The run without a window: its options, and the built program's output and exit status
// without any display.
#include "desktop/headless_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace haberon {
namespace {

using Args = std::vector<const char*>;

TEST(RunOptions, GoodOptionsAreTakenAndBadOnesSayWhy) {
    RunOptions options;
    std::string error;
    ASSERT_EQ(ParseRunOptions(Args{"--lower", "3", "--upper=18", "--baud", "115200", "--passes",
                                   "5", "--progress"},
                              &options, &error),
              ParseOutcome::kRun)
        << error;
    EXPECT_EQ(options.lower, 3);
    EXPECT_EQ(options.upper, 18);
    EXPECT_EQ(options.baud, 115200);
    EXPECT_EQ(options.passes, 5);
    EXPECT_TRUE(options.progress);

    RunOptions defaults;
    ASSERT_EQ(ParseRunOptions(Args{"--lower", "-2", "--upper", "-2", "--seconds", "0.5"}, &defaults,
                              &error),
              ParseOutcome::kRun);
    EXPECT_EQ(defaults.baud, 9600);
    EXPECT_EQ(defaults.passes, 0);
    EXPECT_EQ(defaults.seconds, 0.5);
    EXPECT_FALSE(defaults.progress);

    EXPECT_EQ(ParseRunOptions(Args{"--help"}, &options, &error), ParseOutcome::kHelp);

    const struct {
        Args args;
        const char* why;
    } bad[] = {
        {{"--lower", "1"}, "--lower and --upper are both needed"},
        {{"--lower", "x", "--upper", "2"},
         "--lower takes a port number from -32768 to 32767, not 'x'"},
        {{"--lower", "1", "--upper", "40000"},
         "--upper takes a port number from -32768 to 32767, not '40000'"},
        {{"--lower", "3", "--upper", "2"}, "--lower must not be above --upper"},
        {{"--lower", "1", "--upper", "1", "--baud", "0"},
         "--baud takes a rate from 1 to 2147483647, not '0'"},
        {{"--lower", "1", "--upper", "1", "--passes", "0"},
         "--passes takes a count of at least 1, not '0'"},
        {{"--lower", "1", "--upper", "1", "--seconds", "-1"},
         "--seconds takes a time above 0, not '-1'"},
        {{"--lower", "1", "--upper", "1", "--passes", "1", "--seconds", "1"},
         "give --passes or --seconds, not both"},
        {{"--lower", "1", "--upper"}, "--upper needs a value"},
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"--progress=1"}, "unknown option '--progress=1'"},
    };
    for (const auto& c : bad) {
        RunOptions ignored;
        EXPECT_EQ(ParseRunOptions(c.args, &ignored, &error), ParseOutcome::kBad) << c.why;
        EXPECT_EQ(error, c.why);
    }
}

// The built program, run with a port map of virtual ports and no display at all.
class HaberonProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/haberon-run-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + directory + "'").c_str()); }

    struct Result {
        int status = -1;
        std::string out;
        std::string err;
    };

    // Runs haberon with `args`. `onOutput`, when given, is called with each piece of standard
    // output as it arrives and with the child's pid.
    Result Run(const std::string& map, Args args,
               const std::function<void(const std::string&, pid_t)>& onOutput = nullptr) {
        const std::string mapPath = directory + "/ports";
        std::ofstream(mapPath) << map;
        std::vector<std::string> environment;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string_view text(*entry);
            if (!text.starts_with("DISPLAY=") && !text.starts_with("WAYLAND_DISPLAY=") &&
                !text.starts_with("QT_QPA_PLATFORM=") && !text.starts_with("SERIALKIT_PORT_MAP=")) {
                environment.emplace_back(text);
            }
        }
        environment.push_back("SERIALKIT_PORT_MAP=" + mapPath);
        std::vector<char*> envp;
        for (std::string& entry : environment) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);
        args.insert(args.begin(), HABERON_BINARY);
        args.push_back(nullptr);

        int out[2];
        EXPECT_EQ(pipe(out), 0);
        const std::string errPath = directory + "/stderr";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, HABERON_BINARY, &actions, nullptr,
                                        const_cast<char* const*>(args.data()), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        Result result;
        if (spawned != 0) {
            close(out[0]);
            ADD_FAILURE() << "cannot start " << HABERON_BINARY;
            return result;
        }
        char buffer[4096];
        ssize_t n = 0;
        while ((n = read(out[0], buffer, sizeof buffer)) > 0) {
            result.out.append(buffer, static_cast<std::size_t>(n));
            if (onOutput) {
                onOutput(result.out, pid);
            }
        }
        close(out[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::stringstream err;
        err << std::ifstream(errPath).rdbuf();
        result.err = err.str();
        return result;
    }

    std::string directory;
};

constexpr const char* kHeader =
    "Port #  # Sent  # Sent, Failed  # Received  # Received, Failed  # Compare, Failed\n";

TEST_F(HaberonProgram, CleanPortsPrintTheTableAndExitZero) {
    const Result result =
        Run("COM1 loopback\nCOM2 loopback\n", {"--lower", "1", "--upper", "2", "--passes", "3"});
    EXPECT_EQ(result.status, kExitAllPassed) << result.err;
    EXPECT_EQ(result.out,
              std::string(kHeader) +
                  "1       3       0               3           0                   0\n"
                  "2       3       0               3           0                   0\n");
}

TEST_F(HaberonProgram, AMissingPortOrAFailingExchangeExitsOne) {
    const Result result = Run("COM1 loopback\nCOM2 /dev/serialkit-test-missing\nCOM3 open-line\n",
                              {"--lower", "1", "--upper", "3", "--passes", "1", "--progress"});
    EXPECT_EQ(result.status, kExitFailureCounted);
    EXPECT_EQ(result.out,
              std::string("Pass 1\n") + kHeader +
                  "1       1       0               1           0                   0\n"
                  "-1      0       1               0           0                   0\n"
                  "3       1       0               0           1                   0\n");
    EXPECT_NE(result.err.find("serialkit-test-missing"), std::string::npos)
        << "why the port did not open: " << result.err;
}

TEST_F(HaberonProgram, BadOptionsExitTwoWithTheUsage) {
    const Result result = Run("", {"--lower", "5"});
    EXPECT_EQ(result.status, kExitBadOptions);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(result.err.starts_with("haberon: --lower and --upper are both needed\nUsage: "))
        << result.err;
}

TEST_F(HaberonProgram, AnInterruptEndsTheRunAtTheNextPortWithTheTable) {
    bool interrupted = false;
    const Result result = Run("COM1 loopback\n", {"--lower", "1", "--upper", "1", "--progress"},
                              [&](const std::string& out, pid_t pid) {
                                  if (!interrupted && out.find("Pass 2\n") != std::string::npos) {
                                      interrupted = true;
                                      kill(pid, SIGINT);
                                  }
                              });
    EXPECT_TRUE(interrupted);
    EXPECT_EQ(result.status, kExitAllPassed) << result.err;
    EXPECT_NE(result.out.find("Pass 2\n"), std::string::npos);
}

TEST_F(HaberonProgram, TheWindowWithoutADisplaySaysSoAndExitsOne) {
    const Result result = Run("", {});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("haberon: no display"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("haberon --lower N --upper M"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace haberon
