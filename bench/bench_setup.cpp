#include "bench/bench_setup.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <fstream>

namespace bench {

void Abort(const std::string& what) {
    std::fprintf(stderr, "benchmark aborted: %s\n", what.c_str());
    std::exit(1);
}

void UsePortMap(const std::string& text) {
    char path[] = "/tmp/serialkit-bench-map-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) {
        Abort("cannot create a temporary port map");
    }
    close(fd);
    // Every other COM name is no port: a benchmark never reaches a real device.
    std::ofstream(path) << text << "COM* none\n";
    serial::LoadPortMap(path);
    std::remove(path);
}

serial::HANDLE OpenPort(const char* name, serial::DWORD rate,
                        const serial::COMMTIMEOUTS& timeouts) {
    const serial::HANDLE port =
        serial::CreateFileA(name, serial::GENERIC_READ | serial::GENERIC_WRITE, 0, nullptr,
                            serial::OPEN_EXISTING, 0, 0);
    if (port == serial::INVALID_HANDLE_VALUE) {
        Abort(std::string("cannot open ") + name);
    }
    serial::DCB dcb;
    dcb.BaudRate = rate;
    dcb.ByteSize = 8;
    dcb.flags = serial::kFlagBinary | serial::kFlagParity | serial::kFlagTXContinueOnXoff |
                (serial::DTR_CONTROL_ENABLE << serial::kDtrControlShift) |
                (serial::RTS_CONTROL_ENABLE << serial::kRtsControlShift);
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    if (!serial::SetCommState(port, &dcb) || !serial::SetCommTimeouts(port, &timeouts)) {
        Abort(std::string("cannot configure ") + name);
    }
    return port;
}

PseudoTerminal::PseudoTerminal() {
    // The master's own side of the pair is raw from the start; termios calls made on it would
    // reach the device end, so it is left alone.
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        Abort("cannot create a pseudo-terminal pair");
    }
    devicePath_ = ptsname(master_);
}

PseudoTerminal::~PseudoTerminal() {
    close(master_);
}

int PseudoTerminal::OpenDeviceRaw() const {
    const int fd = open(devicePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (fd < 0 || tcgetattr(fd, &tio) != 0) {
        Abort("cannot open " + devicePath_);
    }
    cfmakeraw(&tio);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        Abort("cannot make " + devicePath_ + " raw");
    }
    return fd;
}

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace bench
