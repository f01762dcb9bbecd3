// The port operations on kernel pseudo-terminal pairs: the tty code's data path, its
// settings, time-outs, exclusive open and closing under blocked calls. The port under test
// is the pseudo-terminal's device end; the test plays the far end on the master.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "device/connection/serial_api.h"
#include "device/connection/test_ports.h"

namespace serial {
namespace {

using namespace std::chrono_literals;
using testing::DefaultDcb;
using testing::Open;

class PseudoTerminal : public ::testing::Test {
  protected:
    void SetUp() override {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master_, 0);
        ASSERT_EQ(grantpt(master_), 0);
        ASSERT_EQ(unlockpt(master_), 0);
        testing::UseMap(std::string("COM11 ") + ptsname(master_) + "\n");
        port_ = Open("COM11:");
        ASSERT_NE(port_, INVALID_HANDLE_VALUE);
        const DCB dcb = DefaultDcb();
        ASSERT_TRUE(SetCommState(port_, &dcb));
        SetTimeouts(testing::kDeviceLoopbackTimeouts);
    }
    void TearDown() override {
        if (port_ != INVALID_HANDLE_VALUE) {
            CloseHandle(port_);
        }
        if (master_ >= 0) {
            close(master_);
        }
    }

    void SetTimeouts(COMMTIMEOUTS timeouts) { SetCommTimeouts(port_, &timeouts); }

    // What the far end receives, waiting up to `patience` for `count` bytes.
    std::string FarEndReads(std::size_t count, std::chrono::milliseconds patience = 1s) {
        std::string data;
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (data.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd in{master_, POLLIN, 0};
            if (poll(&in, 1, 50) == 1) {
                char buffer[4096];
                const ssize_t n = read(master_, buffer, sizeof buffer);
                if (n > 0) {
                    data.append(buffer, static_cast<std::size_t>(n));
                }
            }
        }
        return data;
    }

    void FarEndWrites(const std::string& data) {
        ASSERT_EQ(write(master_, data.data(), data.size()), static_cast<ssize_t>(data.size()));
    }

    int master_ = -1;
    HANDLE port_ = INVALID_HANDLE_VALUE;
};

std::string AllByteValues() {
    std::string all;
    for (int i = 0; i < 256; ++i) {
        all.push_back(static_cast<char>(i));
    }
    return all;
}

TEST_F(PseudoTerminal, EveryByteValueCrossesUnchangedBothWays) {
    const std::string all = AllByteValues() + AllByteValues();
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(port_, all.data(), static_cast<DWORD>(all.size()), &written));
    EXPECT_EQ(written, all.size());
    EXPECT_EQ(FarEndReads(all.size()), all);

    FarEndWrites(all);
    std::string got(all.size(), '\0');
    DWORD count = 0;
    ASSERT_TRUE(ReadFile(port_, got.data(), static_cast<DWORD>(got.size()), &count));
    EXPECT_EQ(std::string(got, 0, count), all);
}

TEST_F(PseudoTerminal, AFreshOpenIsRawWithoutFlowControl) {
    // The kernel's terminal defaults (echo, line editing, XON/XOFF) must not touch the data.
    ASSERT_TRUE(CloseHandle(port_));
    port_ = Open("COM11:");
    ASSERT_NE(port_, INVALID_HANDLE_VALUE);
    DCB dcb;
    ASSERT_TRUE(GetCommState(port_, &dcb));
    EXPECT_EQ(dcb.flags & (kFlagOutX | kFlagInX | kFlagOutxCtsFlow), 0u);
    SetTimeouts(testing::kDeviceLoopbackTimeouts);
    const std::string all = AllByteValues();
    FarEndWrites(all);
    std::string got(all.size(), '\0');
    DWORD count = 0;
    ASSERT_TRUE(ReadFile(port_, got.data(), static_cast<DWORD>(got.size()), &count));
    EXPECT_EQ(std::string(got, 0, count), all);
    EXPECT_EQ(FarEndReads(1, 100ms), "") << "nothing echoed";
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(port_, all.data(), static_cast<DWORD>(all.size()), &written));
    EXPECT_EQ(FarEndReads(all.size()), all);
}

TEST_F(PseudoTerminal, ABurstReadInSmallPiecesKeepsItsOrder) {
    // The I/O thread and the reader both take bytes off the descriptor; none may overtake.
    std::string burst;
    for (int i = 0; burst.size() < 256 * 1024; ++i) {
        burst += std::to_string(i) + ',';
    }
    std::thread farEnd([this, &burst] {
        for (std::size_t at = 0; at < burst.size();) {
            const ssize_t n =
                write(master_, burst.data() + at, std::min<std::size_t>(3000, burst.size() - at));
            if (n <= 0) {
                return;
            }
            at += static_cast<std::size_t>(n);
        }
    });
    SetTimeouts(COMMTIMEOUTS{MAXDWORD, MAXDWORD, 1000, 0, 0});
    std::string got;
    for (DWORD piece = 1; got.size() < burst.size(); piece = piece % 700 + 37) {
        std::string part(piece, '\0');
        DWORD count = 0;
        ASSERT_TRUE(ReadFile(port_, part.data(), piece, &count));
        ASSERT_GT(count, 0u) << "stalled after " << got.size() << " bytes";
        got.append(part, 0, count);
    }
    farEnd.join();
    EXPECT_TRUE(got == burst) << "bytes arrived out of order or changed";
}

TEST_F(PseudoTerminal, ReceivedBytesRaiseTheReceiveEvent) {
    SetTimeouts(testing::kTerminalTimeouts);
    SetCommMask(port_, 0x01F9);
    FarEndWrites("k");
    DWORD events = 0;
    ASSERT_TRUE(WaitCommEvent(port_, &events));
    EXPECT_EQ(events, EV_RXCHAR);
    char byte = 0;
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(port_, &byte, 1, &got));
    EXPECT_EQ(got, 1u);
    EXPECT_EQ(byte, 'k');
    EXPECT_TRUE(ReadFile(port_, &byte, 1, &got));
    EXPECT_EQ(got, 0u) << "the terminal's read returns at once when nothing is buffered";
    EXPECT_TRUE(ReadFile(port_, &byte, 0, &got));
    EXPECT_TRUE(ReadFile(port_, nullptr, 0, &got)) << "nothing asked, nothing to fail";
    EXPECT_EQ(got, 0u);
    DWORD written = 7;
    EXPECT_TRUE(WriteFile(port_, nullptr, 0, &written));
    EXPECT_EQ(written, 0u);
    FarEndWrites("m");
    ASSERT_TRUE(WaitCommEvent(port_, &events)) << "a read of nothing leaves the port working";
    ASSERT_TRUE(ReadFile(port_, &byte, 1, &got));
    EXPECT_EQ(byte, 'm');
}

TEST_F(PseudoTerminal, TimeOutsEndAReadThatWaitsOnTheDevice) {
    struct Case {
        const char* name;
        COMMTIMEOUTS timeouts;
        std::string sent;  // before the read
        std::string read;
        std::chrono::milliseconds atLeast;
    } cases[] = {
        {"total, nothing comes", {0, 0, 50, 0, 0}, "", "", 50ms},
        {"total, some comes", {0, 0, 50, 0, 0}, "ab", "ab", 50ms},
        {"interval after the bytes", {30, 0, 0, 0, 0}, "abc", "abc", 30ms},
        {"first byte, nothing comes", {MAXDWORD, MAXDWORD, 50, 0, 0}, "", "", 50ms},
        {"first byte, bytes there", {MAXDWORD, MAXDWORD, 5000, 0, 0}, "xy", "xy", 0ms},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetTimeouts(c.timeouts);
        if (!c.sent.empty()) {
            FarEndWrites(c.sent);
        }
        const auto start = std::chrono::steady_clock::now();
        std::string got(16, '\0');
        DWORD count = 0;
        ASSERT_TRUE(ReadFile(port_, got.data(), 16, &count));
        EXPECT_GE(std::chrono::steady_clock::now() - start, c.atLeast);
        // What the far end wrote in one go may reach the port in pieces: collect the rest.
        got.resize(count);
        SetTimeouts(testing::kDeviceLoopbackTimeouts);
        if (got.size() < c.read.size()) {
            std::string rest(c.read.size() - got.size(), '\0');
            ASSERT_TRUE(ReadFile(port_, rest.data(), static_cast<DWORD>(rest.size()), &count));
            got += rest.substr(0, count);
        }
        EXPECT_EQ(got, c.read);
    }
}

TEST_F(PseudoTerminal, AWaitAfterABlockingReadSeesTheNextBytes) {
    // The blocking read waits on the device itself and keeps it while reads keep coming;
    // a wait that begins after it must still learn of the next bytes, from another thread too.
    SetTimeouts(COMMTIMEOUTS{MAXDWORD, MAXDWORD, 1000, 0, 0});
    FarEndWrites("a");
    char byte = 0;
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(port_, &byte, 1, &got));
    ASSERT_EQ(got, 1u);
    SetCommMask(port_, EV_RXCHAR);
    auto waiter = std::async(std::launch::async, [port = port_] {
        DWORD events = 0;
        return WaitCommEvent(port, &events) ? events : 0u;
    });
    std::this_thread::sleep_for(20ms);
    FarEndWrites("b");
    ASSERT_EQ(waiter.wait_for(5s), std::future_status::ready) << "the wait missed the byte";
    EXPECT_EQ(waiter.get(), EV_RXCHAR);
    DWORD errors = 0;
    COMSTAT status;
    ASSERT_TRUE(ClearCommError(port_, &errors, &status));
    EXPECT_EQ(status.cbInQue, 1u);
    ASSERT_TRUE(ReadFile(port_, &byte, 1, &got));
    EXPECT_EQ(byte, 'b');
}

TEST_F(PseudoTerminal, RatesAreHeldAndWhatTheDriverChangesIsRefused) {
    struct Case {
        DWORD rate;
        BYTE bits, parity, stop;
        bool held;  // a pseudo-terminal runs 8N1 at any rate
    } cases[] = {
        {300, 8, NOPARITY, ONESTOPBIT, true},     {14400, 8, NOPARITY, ONESTOPBIT, true},
        {14400, 8, NOPARITY, TWOSTOPBITS, false}, {9600, 8, ODDPARITY, ONESTOPBIT, false},
        {115200, 8, NOPARITY, ONESTOPBIT, true},  {921600, 8, NOPARITY, ONESTOPBIT, true},
        {1382400, 8, NOPARITY, ONESTOPBIT, true}, {9600, 7, EVENPARITY, ONESTOPBIT, false},
        {9600, 8, MARKPARITY, ONESTOPBIT, false}, {9600, 4, NOPARITY, ONESTOPBIT, false},
    };
    DCB last = DefaultDcb();
    for (const Case& c : cases) {
        DCB dcb = DefaultDcb();
        dcb.BaudRate = c.rate;
        dcb.ByteSize = c.bits;
        dcb.Parity = c.parity;
        dcb.StopBits = c.stop;
        EXPECT_EQ(SetCommState(port_, &dcb), c.held ? 1 : 0) << c.rate;
        if (c.held) {
            last = dcb;
        }
        // A refused setting leaves the port as it was.
        DCB held;
        ASSERT_TRUE(GetCommState(port_, &held));
        EXPECT_EQ(held.BaudRate, last.BaudRate);
        EXPECT_EQ(held.ByteSize, last.ByteSize);
        EXPECT_EQ(held.Parity, last.Parity);
        EXPECT_EQ(held.StopBits, last.StopBits);
        EXPECT_EQ(held.flags, last.flags);
    }
}

TEST_F(PseudoTerminal, OpenIsExclusiveEvenForRoot) {
    EXPECT_EQ(Open("COM11:"), INVALID_HANDLE_VALUE);
    const int other = open(ptsname(master_), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (other >= 0) {
        // Root passes TIOCEXCL; the lock still tells it the port is taken.
        EXPECT_EQ(geteuid(), 0u);
        close(other);
    }
    ASSERT_TRUE(CloseHandle(port_));
    port_ = Open("COM11:");
    EXPECT_NE(port_, INVALID_HANDLE_VALUE) << "free again after the close";
}

TEST_F(PseudoTerminal, ClosingWakesAPendingWaitAndABlockedRead) {
    SetTimeouts(COMMTIMEOUTS{});
    SetCommMask(port_, EV_RXCHAR);
    auto waiter = std::async(std::launch::async, [port = port_] {
        DWORD events = 0;
        return WaitCommEvent(port, &events);
    });
    auto reader = std::async(std::launch::async, [port = port_] {
        char buffer[16];
        DWORD got = 0;
        return ReadFile(port, buffer, sizeof buffer, &got, nullptr);
    });
    std::this_thread::sleep_for(30ms);
    ASSERT_TRUE(CloseHandle(port_));
    port_ = INVALID_HANDLE_VALUE;
    EXPECT_FALSE(waiter.get());
    EXPECT_FALSE(reader.get());
}

TEST_F(PseudoTerminal, AFarEndThatGoesAwayFailsTheCalls) {
    SetTimeouts(COMMTIMEOUTS{});
    auto reader = std::async(std::launch::async, [port = port_] {
        char buffer[16];
        DWORD got = 0;
        return ReadFile(port, buffer, sizeof buffer, &got, nullptr);
    });
    std::this_thread::sleep_for(30ms);
    close(master_);
    master_ = -1;
    EXPECT_FALSE(reader.get());
    DWORD written = 0;
    EXPECT_FALSE(WriteFile(port_, "x", 1, &written));
}

TEST_F(PseudoTerminal, AfterAHangUpOnlyWhatArrivedBeforeCanBeCollected) {
    // The I/O thread takes the bytes into the port's ring before the far end goes away (the
    // kernel itself flushes what it still holds at a hang-up).
    FarEndWrites("bye");
    std::this_thread::sleep_for(50ms);
    close(master_);
    master_ = -1;
    DWORD written = 0;
    EXPECT_FALSE(WriteFile(port_, "x", 1, &written)) << "the write meets the hang-up";
    testing::ExpectCallsNeedingTheDeviceFail(port_);

    DWORD errors = 1;
    COMSTAT status;
    ASSERT_TRUE(ClearCommError(port_, &errors, &status)) << "three bytes are left to read";
    EXPECT_EQ(errors, 0u);
    EXPECT_EQ(status.cbInQue, 3u);
    std::string got(16, '\0');
    DWORD count = 0;
    EXPECT_TRUE(ReadFile(port_, got.data(), 16, &count));
    EXPECT_EQ(got.substr(0, count), "bye");
    EXPECT_FALSE(ReadFile(port_, got.data(), 16, &count));
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(ClearCommError(port_, &errors, &status)) << "nothing is left to report";
}

TEST_F(PseudoTerminal, APseudoTerminalHasNoModemLines) {
    DWORD status = 0xFFFF;
    EXPECT_FALSE(GetCommModemStatus(port_, &status));
    EXPECT_FALSE(EscapeCommFunction(port_, SETDTR));
}

}  // namespace
}  // namespace serial
