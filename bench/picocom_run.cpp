#include "bench/picocom_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <ctime>
#include <sstream>

#include "bench/bench_setup.h"

namespace bench {

namespace {

constexpr char kProgram[] = "picocom";
constexpr char kReady[] = "Terminal ready\r\n";
constexpr int kStallMs = 5000;

// Reads what is there, waiting up to kStallMs for the first byte; 0 after a stall.
ssize_t ReadSome(int fd, char* buffer, std::size_t size) {
    pollfd watch{fd, POLLIN, 0};
    if (poll(&watch, 1, kStallMs) <= 0) {
        return 0;
    }
    return read(fd, buffer, size);
}

}  // namespace

bool PicocomInstalled() {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (access((folder + "/" + kProgram).c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

PicocomRun::PicocomRun(const std::string& devicePath) {
    terminal_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal_ < 0 || grantpt(terminal_) != 0 || unlockpt(terminal_) != 0) {
        Abort("cannot create picocom's terminal");
    }
    const std::string terminalPath = ptsname(terminal_);
    pid_ = fork();
    if (pid_ < 0) {
        Abort("cannot start picocom");
    }
    if (pid_ == 0) {
        // The child's own session, with picocom's terminal as its controlling terminal and
        // its standard streams.
        setsid();
        const int fd = open(terminalPath.c_str(), O_RDWR);
        if (fd < 0) {
            _exit(127);
        }
        dup2(fd, 0);
        dup2(fd, 1);
        dup2(fd, 2);
        execlp(kProgram, kProgram, "--baud", "115200", "--flow", "n", devicePath.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string banner;
    char buffer[4096];
    while (banner.find(kReady) == std::string::npos) {
        const ssize_t n = ReadSome(terminal_, buffer, sizeof buffer);
        if (n <= 0) {
            Abort("picocom did not start on " + devicePath + ": " + banner);
        }
        banner.append(buffer, static_cast<std::size_t>(n));
    }
    // Data written after the banner comes out after it.
    banner.erase(0, banner.find(kReady) + std::strlen(kReady));
    if (!banner.empty()) {
        Abort("picocom wrote more than its banner: " + banner);
    }
}

PicocomRun::~PicocomRun() {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    close(terminal_);
}

bool PicocomRun::Receive(const Bytes& data) {
    char buffer[65536];
    for (std::size_t received = 0; received < data.size();) {
        const ssize_t n = ReadSome(terminal_, buffer, sizeof buffer);
        const auto count = static_cast<std::size_t>(n);
        if (n <= 0 || received + count > data.size() ||
            std::memcmp(buffer, data.data() + received, count) != 0) {
            return false;
        }
        received += count;
    }
    return true;
}

double PicocomRun::CpuSeconds() const {
    clockid_t clock{};
    timespec used{};
    if (clock_getcpuclockid(pid_, &clock) != 0 || clock_gettime(clock, &used) != 0) {
        Abort("cannot read picocom's CPU time");
    }
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) * 1e-9;
}

}  // namespace bench
