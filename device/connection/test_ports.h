// Helpers for the tests of the port operations: a port map written to a temporary file, and
// the settings the testers use.
//
// A test opens only what its map names: every other COM name is no port, so that a test can
// never reach a real device (COM1 unmapped is /dev/ttyS0, often the system console).
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "device/connection/serial_api.h"

namespace serial::testing {

// Writes `text`, with every other COM name ruled out, as the port map in use.
inline void UseMap(const std::string& text) {
    char path[] = "/tmp/serialkit-map-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    std::ofstream(path) << text << "COM* none\n";
    LoadPortMap(path);
    std::remove(path);
}

inline HANDLE Open(const char* name) {
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, 0);
}

// 9600 8N1, DTR and RTS enabled, parity checking on: the testers' start-up settings.
inline DCB DefaultDcb() {
    DCB dcb;
    dcb.BaudRate = 9600;
    dcb.ByteSize = 8;
    dcb.flags = 0x1093;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    return dcb;
}

// Checks that every call but ReadFile, ClearCommError and CloseHandle fails on a port whose
// device has gone.
inline void ExpectCallsNeedingTheDeviceFail(HANDLE port) {
    DCB dcb = DefaultDcb();
    COMMTIMEOUTS timeouts{};
    DWORD word = 0;
    DWORD written = 0;
    EXPECT_FALSE(GetCommState(port, &dcb));
    EXPECT_FALSE(SetCommState(port, &dcb));
    EXPECT_FALSE(GetCommTimeouts(port, &timeouts));
    EXPECT_FALSE(SetCommTimeouts(port, &timeouts));
    EXPECT_FALSE(SetCommMask(port, EV_RXCHAR));
    EXPECT_FALSE(WaitCommEvent(port, &word));
    EXPECT_FALSE(WriteFile(port, "x", 1, &written));
    EXPECT_FALSE(GetCommModemStatus(port, &word));
    EXPECT_FALSE(EscapeCommFunction(port, SETDTR));
    EXPECT_FALSE(SetCommBreak(port));
}

inline constexpr COMMTIMEOUTS kTerminalTimeouts{MAXDWORD, 0, 0, 0, 0};
inline constexpr COMMTIMEOUTS kDeviceLoopbackTimeouts{0, 0, 10000, 0, 0};
inline constexpr COMMTIMEOUTS kDesktopLoopbackTimeouts{0, 1, 50, 0, 0};

}  // namespace serial::testing
