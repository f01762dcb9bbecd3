// haberon end to end: the built program on a virtual X display (Xvfb) under a small window
// manager (jwm), driven by real key presses from xdotool, as a user's hands would drive it.
// Skipped, visibly, when those programs are not installed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream directories(path != nullptr ? path : "/usr/bin:/bin");
    std::string directory;
    while (std::getline(directories, directory, ':')) {
        const std::string candidate = directory + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

std::string ReadFile(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// The environment of this process with `changes` applied; an empty value removes the name.
std::vector<std::string> Environment(const std::map<std::string, std::string>& changes) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        if (!changes.contains(text.substr(0, text.find('=')))) {
            result.push_back(text);
        }
    }
    for (const auto& [name, value] : changes) {
        if (!value.empty()) {
            result.push_back(name + "=" + value);
        }
    }
    return result;
}

// Starts `argv` with `environment`; standard output and error go to `logPath`. The child
// inherits this process's open descriptors (Xvfb its -displayfd pipe).
pid_t Start(const std::vector<std::string>& argv, std::vector<std::string> environment,
            const std::string& logPath) {
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logPath.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), envp.data()) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Waits for the child; its exit status, or -1 when it is still running after `limit`.
int WaitFor(pid_t pid, std::chrono::milliseconds limit) {
    const Clock::time_point deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(20ms);
    }
    return -1;
}

void Stop(pid_t pid) {
    if (pid > 0) {
        kill(pid, SIGTERM);
        if (WaitFor(pid, 5000ms) < 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
}

class HaberonWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        xvfb = FindProgram("Xvfb");
        xdotool = FindProgram("xdotool");
        jwm = FindProgram("jwm");
        if (xvfb.empty() || xdotool.empty() || jwm.empty()) {
            GTEST_SKIP() << "needs Xvfb, xdotool and jwm (scripts/setup installs them)";
        }
        char pattern[] = "/tmp/haberon-window-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
        StartDisplay();
    }

    void TearDown() override {
        Stop(windowManager);
        Stop(server);
        if (!directory.empty()) {
            std::filesystem::remove_all(directory);
        }
    }

    // Xvfb on the first free display number, which it reports through -displayfd.
    void StartDisplay() {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        std::vector<std::string> argv = {xvfb,        "-displayfd", std::to_string(ready[1]),
                                         "-screen",   "0",          "1024x768x24",
                                         "-nolisten", "tcp"};
        server = Start(argv, Environment({}), directory + "/xvfb.log");
        close(ready[1]);
        ASSERT_GT(server, 0);
        std::string number;
        char c = 0;
        while (read(ready[0], &c, 1) == 1 && c != '\n') {
            number.push_back(c);
        }
        close(ready[0]);
        ASSERT_FALSE(number.empty()) << ReadFile(directory + "/xvfb.log");
        display = ":" + number;
        windowManager = Start({jwm}, Environment({{"DISPLAY", display}, {"HOME", directory}}),
                              directory + "/jwm.log");
        ASSERT_GT(windowManager, 0);
    }

    // Runs xdotool with `args` on the display; returns what it printed.
    std::string Xdotool(std::vector<std::string> args) {
        args.insert(args.begin(), xdotool);
        const std::string log = directory + "/xdotool.out";
        std::filesystem::remove(log);
        const pid_t pid = Start(args, Environment({{"DISPLAY", display}}), log);
        EXPECT_EQ(WaitFor(pid, 30000ms), 0) << "xdotool " << args[1] << ": " << ReadFile(log);
        return ReadFile(log);
    }

    std::string xvfb, xdotool, jwm;
    std::string directory;
    std::string display;
    pid_t server = -1;
    pid_t windowManager = -1;
};

TEST_F(HaberonWindow, KeysRunATestAndClosingStoresTheSettings) {
    std::ofstream(directory + "/ports") << "COM1 loopback\nCOM2 loopback busy\n";
    const std::string log = directory + "/haberon.log";
    const pid_t haberon = Start({HABERON_BINARY},
                                Environment({{"DISPLAY", display},
                                             {"QT_QPA_PLATFORM", ""},
                                             {"HOME", directory},
                                             {"XDG_CONFIG_HOME", directory + "/config"},
                                             {"SERIALKIT_PORT_MAP", directory + "/ports"}}),
                                log);
    ASSERT_GT(haberon, 0);

    const std::string window = Xdotool({"search", "--sync", "--onlyvisible", "--name", "^Harbex$"});
    const std::string id = window.substr(0, window.find('\n'));
    ASSERT_FALSE(id.empty());
    Xdotool({"windowactivate", "--sync", id});

    // The lower box has the focus with its text selected; Tab selects the upper box's text.
    Xdotool({"key", "--delay", "50", "ctrl+a"});
    Xdotool({"type", "--delay", "50", "1"});
    Xdotool({"key", "--delay", "50", "Tab"});
    Xdotool({"type", "--delay", "50", "2"});
    Xdotool({"key", "alt+g"});
    // Go opens COM1 and COM2; the second is busy, which the serial layer reports.
    const Clock::time_point deadline = Clock::now() + 30s;
    while (ReadFile(log).find("busy") == std::string::npos && Clock::now() < deadline) {
        std::this_thread::sleep_for(50ms);
    }
    ASSERT_NE(ReadFile(log).find("COM2: the virtual port is busy"), std::string::npos)
        << ReadFile(log);
    Xdotool({"key", "alt+s"});
    Xdotool({"key", "alt+F4"});

    const int status = WaitFor(haberon, 30000ms);
    if (status < 0) {
        Stop(haberon);
    }
    EXPECT_EQ(status, 0) << ReadFile(log);
    const std::string stored = ReadFile(directory + "/config/Harbex/Harbex.conf");
    EXPECT_NE(stored.find("[Settings]\n"), std::string::npos) << stored;
    EXPECT_NE(stored.find("LowerPort=1\n"), std::string::npos) << stored;
    EXPECT_NE(stored.find("UpperPort=2\n"), std::string::npos) << stored;
    EXPECT_NE(stored.find("Baud=5\n"), std::string::npos) << stored;
    EXPECT_NE(stored.find("Top="), std::string::npos) << stored;
    EXPECT_NE(stored.find("Left="), std::string::npos) << stored;
}

}  // namespace
