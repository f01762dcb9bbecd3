// The port operations on virtual lines: data path, time-outs, modem lines, faults, exclusive
// open, and closing a port under blocked calls.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "device/connection/serial_api.h"
#include "device/connection/test_ports.h"
#include "device/connection/virtual_line.h"

namespace serial {
namespace {

using namespace std::chrono_literals;
using testing::DefaultDcb;
using testing::Open;

// Writes give up after 50 ms: a held transmitter shows as a write of nothing.
constexpr COMMTIMEOUTS kWritesGiveUp{MAXDWORD, 0, 0, 0, 50};

DCB RtsCtsDcb() {
    DCB dcb = DefaultDcb();
    dcb.flags = (dcb.flags & ~0x3000u) | 0x2000u | kFlagOutxCtsFlow;
    return dcb;
}

DCB XonXoffDcb(DWORD flags) {
    DCB dcb = DefaultDcb();
    dcb.flags |= flags;
    return dcb;
}

class VirtualPorts : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::UseMap(
            "COM1 loopback\n"
            "COM2 open-line\n"
            "COM3 null-modem:cable\n"
            "COM4 null-modem:cable\n"
            "COM5 loopback paced\n"
            "COM6 loopback busy\n");
    }
    void TearDown() override {
        for (HANDLE handle : opened_) {
            CloseHandle(handle);
        }
    }

    // Opens and configures a port as the testers do; fails the test when it cannot.
    HANDLE Configured(const char* name, COMMTIMEOUTS timeouts, DCB dcb = DefaultDcb()) {
        const HANDLE handle = Open(name);
        EXPECT_NE(handle, INVALID_HANDLE_VALUE) << name;
        EXPECT_TRUE(SetCommState(handle, &dcb));
        EXPECT_TRUE(SetCommTimeouts(handle, &timeouts));
        opened_.push_back(handle);
        return handle;
    }

    static std::string Read(HANDLE handle, DWORD count) {
        std::string data(count, '\0');
        DWORD got = 0;
        EXPECT_TRUE(ReadFile(handle, data.data(), count, &got));
        data.resize(got);
        return data;
    }

    static void Write(HANDLE handle, const std::string& data) {
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(handle, data.data(), static_cast<DWORD>(data.size()), &written));
        EXPECT_EQ(written, data.size());
    }

    std::vector<HANDLE> opened_;
};

TEST_F(VirtualPorts, LoopbackReturnsWhatWasWrittenUnderEachTestersTimeouts) {
    const HANDLE port = Configured("COM1:", testing::kTerminalTimeouts);
    Write(port, "hello");
    EXPECT_EQ(Read(port, 100), "hello");
    EXPECT_EQ(Read(port, 100), "");  // returns at once with what is buffered

    const COMMTIMEOUTS deviceLoopback = testing::kDeviceLoopbackTimeouts;
    SetCommTimeouts(port, &deviceLoopback);
    std::string block;
    for (int i = 0; i < 1000; ++i) {
        block.push_back(static_cast<char>('0' + i % 10));
    }
    Write(port, block);
    EXPECT_EQ(Read(port, 1000), block);

    // Nothing looped back: the desktop tester's read gives up after 50 ms + 1 ms per byte.
    const HANDLE open = Configured("\\\\.\\COM2", testing::kDesktopLoopbackTimeouts);
    Write(open, std::string(128, 'x'));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Read(open, 128), "");
    EXPECT_GE(std::chrono::steady_clock::now() - start, 170ms);
}

TEST_F(VirtualPorts, CallsForNoBytesSucceedAtOnce) {
    const HANDLE port = Configured("COM1:", COMMTIMEOUTS{});
    DWORD count = 7;
    EXPECT_TRUE(ReadFile(port, nullptr, 0, &count));
    EXPECT_EQ(count, 0u);
    count = 7;
    EXPECT_TRUE(WriteFile(port, nullptr, 0, &count));
    EXPECT_EQ(count, 0u);
}

TEST_F(VirtualPorts, ReadWaitsForTheCountWhenTimeoutsAreZero) {
    const HANDLE port = Configured("COM1:", COMMTIMEOUTS{});
    auto reader = std::async(std::launch::async, [port] { return Read(port, 6); });
    Write(port, "abc");
    EXPECT_EQ(reader.wait_for(50ms), std::future_status::timeout);
    Write(port, "def");
    EXPECT_EQ(reader.get(), "abcdef");
}

TEST_F(VirtualPorts, ModemLinesFollowThePlugAndRaiseEvents) {
    const HANDLE port = Configured("COM1:", testing::kTerminalTimeouts);
    DWORD status = 0;
    ASSERT_TRUE(GetCommModemStatus(port, &status));
    EXPECT_EQ(status, MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON);

    SetCommMask(port, 0x01F9);
    EscapeCommFunction(port, CLRRTS);
    DWORD events = 0;
    ASSERT_TRUE(WaitCommEvent(port, &events));
    EXPECT_EQ(events, EV_CTS);
    EscapeCommFunction(port, CLRDTR);
    ASSERT_TRUE(WaitCommEvent(port, &events));
    EXPECT_EQ(events, EV_DSR | EV_RLSD);
    GetCommModemStatus(port, &status);
    EXPECT_EQ(status, 0u);

    SetRingIndicator(1, true);
    Write(port, "z");
    ASSERT_TRUE(WaitCommEvent(port, &events));
    EXPECT_EQ(events, EV_RING | EV_RXCHAR);
    GetCommModemStatus(port, &status);
    EXPECT_EQ(status, MS_RING_ON);
}

TEST_F(VirtualPorts, UnderHandshakeTheLineIsNotTheCallersToSet) {
    DCB rtsCts = DefaultDcb();
    rtsCts.flags = (rtsCts.flags & ~0x3000u) | 0x2000u | kFlagOutxCtsFlow;
    const HANDLE a = Configured("COM3:", testing::kDeviceLoopbackTimeouts, rtsCts);
    const HANDLE b = Configured("COM4:", testing::kDeviceLoopbackTimeouts, rtsCts);
    EXPECT_FALSE(EscapeCommFunction(a, CLRRTS));
    EXPECT_FALSE(EscapeCommFunction(a, SETRTS));
    EXPECT_TRUE(EscapeCommFunction(a, CLRDTR)) << "DTR is not under handshake";
    DWORD status = 0;
    ASSERT_TRUE(GetCommModemStatus(b, &status));
    EXPECT_EQ(status, MS_CTS_ON) << "RTS stays as flow control wants it";
    Write(b, "still flows");
    EXPECT_EQ(Read(a, 11), "still flows");
}

TEST_F(VirtualPorts, EventsOutsideTheMaskAreNotReported) {
    const HANDLE port = Configured("COM1:", testing::kTerminalTimeouts);
    SetCommMask(port, EV_RXCHAR);
    EscapeCommFunction(port, CLRRTS);
    Write(port, "a");
    DWORD events = 0;
    ASSERT_TRUE(WaitCommEvent(port, &events));
    EXPECT_EQ(events, EV_RXCHAR);
}

TEST_F(VirtualPorts, NullModemCrossesDataAndLines) {
    const HANDLE a = Configured("COM3:", testing::kDeviceLoopbackTimeouts);
    const HANDLE b = Configured("COM4:", testing::kDeviceLoopbackTimeouts);
    Write(a, "ping");
    EXPECT_EQ(Read(b, 4), "ping");
    Write(b, "pong");
    EXPECT_EQ(Read(a, 4), "pong");

    DWORD status = 0;
    EscapeCommFunction(a, CLRDTR);
    GetCommModemStatus(b, &status);
    EXPECT_EQ(status, MS_CTS_ON);
    CloseHandle(b);
    opened_.pop_back();
    GetCommModemStatus(a, &status);
    EXPECT_EQ(status, 0u);
}

TEST_F(VirtualPorts, LineFaultsAreReportedThroughEventsAndErrors) {
    struct Case {
        LineFault fault;
        DWORD event;
        DWORD error;
        std::string received;
    } cases[] = {
        {LineFault::kBreak, EV_BREAK, CE_BREAK, "x"},
        {LineFault::kOverrun, EV_ERR, CE_OVERRUN, "x"},
        {LineFault::kFrameError, EV_ERR | EV_RXCHAR, CE_FRAME, "x"},
        {LineFault::kParityError, EV_ERR | EV_RXCHAR, CE_RXPARITY, "x"},
    };
    const HANDLE port = Configured("COM1:", testing::kTerminalTimeouts);
    SetCommMask(port, EV_BREAK | EV_ERR | EV_RXCHAR);
    for (const Case& c : cases) {
        InjectLineFault(1, c.fault);
        Write(port, "x");
        DWORD events = 0;
        ASSERT_TRUE(WaitCommEvent(port, &events));
        EXPECT_EQ(events & (EV_BREAK | EV_ERR), c.event & (EV_BREAK | EV_ERR));
        EXPECT_EQ(Read(port, 10), c.received);
        DWORD errors = 0;
        COMSTAT status;
        ASSERT_TRUE(ClearCommError(port, &errors, &status));
        EXPECT_EQ(errors, c.error);
        ASSERT_TRUE(ClearCommError(port, &errors, &status));
        EXPECT_EQ(errors, 0u) << "ClearCommError clears what it reports";
        SetCommMask(port, EV_BREAK | EV_ERR | EV_RXCHAR);
    }
}

TEST_F(VirtualPorts, ParityErrorsNeedParityChecking) {
    DCB dcb = DefaultDcb();
    dcb.flags &= ~kFlagParity;
    const HANDLE port = Configured("COM1:", testing::kTerminalTimeouts, dcb);
    InjectLineFault(1, LineFault::kParityError);
    Write(port, "x");
    EXPECT_EQ(Read(port, 1), "x");
    DWORD errors = 1;
    ClearCommError(port, &errors, nullptr);
    EXPECT_EQ(errors, 0u);
}

TEST_F(VirtualPorts, DroppedChangedAndShortWrittenBytes) {
    const HANDLE port = Configured("COM1:", testing::kDesktopLoopbackTimeouts);
    DropTransmittedByte(1, 2);
    Write(port, "abcdef");
    EXPECT_EQ(Read(port, 6), "abdef");

    ChangeTransmittedByte(1, 0, 0x20);
    Write(port, "abc");
    EXPECT_EQ(Read(port, 3), "Abc");

    ShortenNextWrite(1, 2);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(port, "abcdef", 6, &written));
    EXPECT_EQ(written, 2u);
    EXPECT_EQ(Read(port, 6), "ab");
}

TEST_F(VirtualPorts, OpenIsExclusiveAndRefusalsAreClean) {
    const HANDLE first = Configured("COM1:", testing::kTerminalTimeouts);
    EXPECT_EQ(Open("COM1:"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open("\\\\.\\COM1"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open("COM6:"), INVALID_HANDLE_VALUE);  // mapped as busy
    EXPECT_EQ(Open("PORT1"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open("COM01:"), INVALID_HANDLE_VALUE) << "not another spelling of COM1";
    SetPortBusy(2, true);
    EXPECT_EQ(Open("COM2:"), INVALID_HANDLE_VALUE);

    // A closed handle fails cleanly, and its value is not given to the next open.
    ASSERT_TRUE(CloseHandle(first));
    opened_.clear();
    const HANDLE second = Configured("COM1:", testing::kTerminalTimeouts);
    EXPECT_NE(second, first);
    DWORD written = 0;
    EXPECT_FALSE(WriteFile(first, "a", 1, &written));
    EXPECT_FALSE(CloseHandle(first));
    DCB dcb;
    EXPECT_FALSE(GetCommState(first, &dcb));
}

TEST_F(VirtualPorts, APortTheMapDoesNotNameIsNoPortAtAll) {
    // Without "COM* none" in the tests' map this would open /dev/ttyS6.
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Open("COM7:"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "COM7: no such port: the port map gives it no line\n");
}

TEST_F(VirtualPorts, AVanishedPortFailsEveryCallUntilItComesBack) {
    const HANDLE port = Configured("COM1:", COMMTIMEOUTS{});
    auto reader = std::async(std::launch::async, [port] {
        char buffer[4];
        DWORD got = 0;
        return ReadFile(port, buffer, 4, &got, nullptr);
    });
    std::this_thread::sleep_for(20ms);
    SetPortVanished(1, true);
    EXPECT_FALSE(reader.get());
    testing::ExpectCallsNeedingTheDeviceFail(port);
    DWORD errors = 0;
    EXPECT_FALSE(ClearCommError(port, &errors, nullptr));
    CloseHandle(port);
    opened_.clear();
    EXPECT_EQ(Open("COM1:"), INVALID_HANDLE_VALUE);
    SetPortVanished(1, false);
    Configured("COM1:", testing::kTerminalTimeouts);
}

TEST_F(VirtualPorts, RefusedSettingsLeaveThePortAsItWas) {
    const HANDLE port = Configured("COM1:", testing::kTerminalTimeouts);
    DCB wanted = DefaultDcb();
    wanted.BaudRate = 1382400;
    ASSERT_TRUE(SetCommState(port, &wanted));
    DCB bad = wanted;
    bad.ByteSize = 4;
    bad.BaudRate = 300;
    EXPECT_FALSE(SetCommState(port, &bad));
    DCB now;
    ASSERT_TRUE(GetCommState(port, &now));
    EXPECT_EQ(now.BaudRate, 1382400u);
    EXPECT_EQ(now.ByteSize, 8);
    EXPECT_EQ(now.DCBlength, 28u);
}

TEST_F(VirtualPorts, TheEventCharacterRaisesItsEventAndUnsupportedWaitsAreRefused) {
    DCB dcb = DefaultDcb();
    dcb.EvtChar = '\n';
    const HANDLE port = Configured("COM1:", testing::kTerminalTimeouts, dcb);
    ASSERT_TRUE(SetCommMask(port, EV_RXCHAR | EV_RXFLAG));
    DWORD events = 0;
    Write(port, "no end");
    ASSERT_TRUE(WaitCommEvent(port, &events));
    EXPECT_EQ(events, EV_RXCHAR);
    Write(port, "line\n");
    ASSERT_TRUE(WaitCommEvent(port, &events));
    EXPECT_EQ(events, EV_RXCHAR | EV_RXFLAG);

    // Waits that nothing could ever end fail at once instead of hanging.
    EXPECT_FALSE(SetCommMask(port, EV_TXEMPTY | EV_RXCHAR));
    ASSERT_TRUE(SetCommMask(port, 0));
    EXPECT_FALSE(WaitCommEvent(port, &events));
}

TEST_F(VirtualPorts, HugeTimeoutsMeanNoEndRatherThanNone) {
    // 0xFFFFFFFF ms per byte for 4096 bytes lies beyond the clock: it must not wrap to "now".
    const HANDLE port = Configured("COM2:", COMMTIMEOUTS{0, MAXDWORD, 0, MAXDWORD, 0});
    auto reader = std::async(std::launch::async, [port] {
        std::string buffer(4096, '\0');
        DWORD got = 0;
        return ReadFile(port, buffer.data(), 4096, &got, nullptr);
    });
    EXPECT_EQ(reader.wait_for(100ms), std::future_status::timeout);
    CloseHandle(port);
    opened_.clear();
    EXPECT_FALSE(reader.get());
}

TEST_F(VirtualPorts, APacedTransmitterHoldsOnlyItsQueueWhenNobodyListens) {
    // COM3's far end is closed. Beyond the 4096-byte queue a write waits for the line, so it
    // cannot book minutes of line time that would delay whatever is sent next.
    testing::UseMap("COM3 null-modem:cable paced\nCOM4 null-modem:cable\n");
    DCB fast = DefaultDcb();
    fast.BaudRate = 115200;
    const HANDLE port = Configured("COM3:", COMMTIMEOUTS{}, fast);
    const auto start = std::chrono::steady_clock::now();
    Write(port, std::string(4096 + 1152, 'x'));  // 1152 characters: 100 ms at 115200 8N1
    EXPECT_GE(std::chrono::steady_clock::now() - start, 80ms);
}

TEST_F(VirtualPorts, ANewMaskReleasesAPendingWait) {
    const HANDLE port = Configured("COM1:", testing::kTerminalTimeouts);
    SetCommMask(port, EV_RXCHAR);
    auto waiter = std::async(std::launch::async, [port] {
        DWORD events = 99;
        const BOOL ok = WaitCommEvent(port, &events);
        return std::make_pair(ok, events);
    });
    std::this_thread::sleep_for(20ms);
    SetCommMask(port, 0);
    const auto [ok, events] = waiter.get();
    EXPECT_TRUE(ok);
    EXPECT_EQ(events, 0u);
}

TEST_F(VirtualPorts, ClosingWakesEveryBlockedCall) {
    // CTS flow control on an open line: CTS never rises, so the write is held back.
    DCB rtsCts = DefaultDcb();
    rtsCts.flags = (rtsCts.flags & ~0x3000u) | 0x2000u | kFlagOutxCtsFlow;
    const HANDLE port = Configured("COM2:", COMMTIMEOUTS{}, rtsCts);
    SetCommMask(port, EV_RXCHAR);
    auto waiter = std::async(std::launch::async, [port] {
        DWORD events = 0;
        return WaitCommEvent(port, &events);
    });
    auto reader = std::async(std::launch::async, [port] {
        char buffer[8];
        DWORD got = 0;
        return ReadFile(port, buffer, 8, &got, nullptr);
    });
    auto writer = std::async(std::launch::async, [port] {
        DWORD written = 0;
        return WriteFile(port, "held", 4, &written, nullptr);
    });
    // A loopback plug whose transmitter is held as if by a received XOFF.
    const HANDLE stopped = Configured("COM1:", COMMTIMEOUTS{}, XonXoffDcb(kFlagOutX));
    ASSERT_TRUE(EscapeCommFunction(stopped, SETXOFF));
    auto xoffWriter = std::async(std::launch::async, [stopped] {
        DWORD written = 0;
        return WriteFile(stopped, "held", 4, &written, nullptr);
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(writer.wait_for(0ms), std::future_status::timeout);
    EXPECT_EQ(xoffWriter.wait_for(0ms), std::future_status::timeout);
    ASSERT_TRUE(CloseHandle(port));
    ASSERT_TRUE(CloseHandle(stopped));
    opened_.clear();
    EXPECT_FALSE(waiter.get());
    EXPECT_FALSE(reader.get());
    EXPECT_FALSE(writer.get());
    EXPECT_FALSE(xoffWriter.get());
    // The port is free again at once.
    Configured("COM2:", testing::kTerminalTimeouts);
}

TEST_F(VirtualPorts, AFullReceiveQueueLosesBytesOnlyWithoutFlowControl) {
    const std::string burst(kReceiveCapacity + 100, 'q');
    const HANDLE plain = Configured("COM1:", testing::kTerminalTimeouts);
    Write(plain, burst);
    DWORD errors = 0;
    COMSTAT status;
    ClearCommError(plain, &errors, &status);
    EXPECT_EQ(errors, CE_RXOVER);
    EXPECT_EQ(status.cbInQue, kReceiveCapacity);

    for (const DCB& flow : {RtsCtsDcb(), XonXoffDcb(kFlagOutX | kFlagInX)}) {
        const HANDLE a = Configured("COM3:", testing::kDeviceLoopbackTimeouts, flow);
        const HANDLE b = Configured("COM4:", testing::kDeviceLoopbackTimeouts, flow);
        auto writer = std::async(std::launch::async, [a, &burst] { Write(a, burst); });
        std::this_thread::sleep_for(20ms);
        EXPECT_EQ(writer.wait_for(0ms), std::future_status::timeout) << "held back, not dropped";
        EXPECT_EQ(Read(b, static_cast<DWORD>(burst.size())), burst);
        writer.get();
        ClearCommError(b, &errors, &status);
        EXPECT_EQ(errors, 0u);
        CloseHandle(a);
        CloseHandle(b);
        opened_.resize(1);
    }
}

TEST_F(VirtualPorts, SetXoffHoldsTheTransmitterUntilSetXon) {
    struct Case {
        const char* sender;
        const char* receiver;
    } cases[] = {{"COM1:", "COM1:"}, {"COM3:", "COM4:"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sender);
        const HANDLE sender = Configured(c.sender, kWritesGiveUp, XonXoffDcb(kFlagOutX));
        const HANDLE receiver =
            c.sender == c.receiver ? sender : Configured(c.receiver, kWritesGiveUp);
        ASSERT_TRUE(EscapeCommFunction(sender, SETXOFF));
        DWORD written = 9;
        EXPECT_TRUE(WriteFile(sender, "data", 4, &written));
        EXPECT_EQ(written, 0u) << "held as if an XOFF had been received";
        ASSERT_TRUE(EscapeCommFunction(sender, SETXON));
        Write(sender, "data");
        EXPECT_EQ(Read(receiver, 10), "data");
    }
}

TEST_F(VirtualPorts, AReceivedXoffHoldsTheTransmitterUntilXon) {
    // From the far end of a null-modem cable: the flow characters do not reach the data.
    const HANDLE near = Configured("COM3:", kWritesGiveUp, XonXoffDcb(kFlagOutX));
    const HANDLE far = Configured("COM4:", kWritesGiveUp);
    Write(far, "\x13");
    DWORD written = 9;
    EXPECT_TRUE(WriteFile(near, "data", 4, &written));
    EXPECT_EQ(written, 0u);
    Write(far, "\x11");
    Write(near, "data");
    EXPECT_EQ(Read(far, 10), "data");
    EXPECT_EQ(Read(near, 10), "");

    // A loopback plug hears its own data: the bytes after an XOFF in it wait for an XON.
    const HANDLE plug = Configured("COM1:", kWritesGiveUp, XonXoffDcb(kFlagOutX));
    EXPECT_TRUE(WriteFile(plug,
                          "ab\x13"
                          "cd",
                          5, &written));
    EXPECT_EQ(written, 3u);
    EXPECT_EQ(Read(plug, 10), "ab");
    ASSERT_TRUE(EscapeCommFunction(plug, SETXON));
    EXPECT_TRUE(WriteFile(plug, "cd", 2, &written));
    EXPECT_EQ(Read(plug, 10), "cd");
}

TEST_F(VirtualPorts, AReceiverWithFlowControlAsksItsSenderToStopAndGoOn) {
    // The sender has no flow control of its own, so what the receiver asks shows: XOFF and XON
    // as received bytes, or RTS as the sender's CTS.
    struct Case {
        const char* name;
        DCB receiverDcb;
        bool xonXoff;
    } cases[] = {{"fInX", XonXoffDcb(kFlagInX), true}, {"RTS handshake", RtsCtsDcb(), false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const HANDLE sender = Configured("COM3:", testing::kTerminalTimeouts);
        const HANDLE receiver = Configured("COM4:", testing::kTerminalTimeouts, c.receiverDcb);
        auto asked = [&] {
            if (c.xonXoff) {
                return Read(sender, 10);
            }
            DWORD status = 0;
            GetCommModemStatus(sender, &status);
            return std::string(status & MS_CTS_ON ? "" : "CTS low");
        };
        const std::string stop = c.xonXoff ? "\x13" : "CTS low";
        const std::string goOn = c.xonXoff ? "\x11" : "";
        Write(sender, std::string(kThrottleAt, 'f'));
        EXPECT_EQ(asked(), "") << "not yet past the limit";
        Write(sender, "f");
        EXPECT_EQ(asked(), stop);
        EXPECT_EQ(Read(receiver, kThrottleAt - kResumeAt).size(), kThrottleAt - kResumeAt);
        EXPECT_EQ(asked(), c.xonXoff ? "" : stop) << "one byte above the resume mark";
        EXPECT_EQ(Read(receiver, 1), "f");
        EXPECT_EQ(asked(), goOn);
        CloseHandle(sender);
        CloseHandle(receiver);
        opened_.clear();
    }
}

TEST_F(VirtualPorts, OnAPacedLineFlowControlActsWhenItsBytesArrive) {
    testing::UseMap("COM3 null-modem:slow paced\nCOM4 null-modem:slow paced\n");
    DCB xonXoff = XonXoffDcb(kFlagOutX | kFlagInX);
    xonXoff.BaudRate = 1382400;  // 7.2 us a character
    const HANDLE a = Configured("COM3:", kWritesGiveUp, xonXoff);
    const HANDLE b = Configured("COM4:", testing::kDeviceLoopbackTimeouts, xonXoff);

    // The far end's XOFF holds this transmitter once it has arrived, its XON releases it.
    Write(b, "\x13");
    std::this_thread::sleep_for(20ms);
    DWORD written = 9;
    EXPECT_TRUE(WriteFile(a, "data", 4, &written));
    EXPECT_EQ(written, 0u);
    Write(b, "\x11");
    const COMMTIMEOUTS patient{MAXDWORD, 0, 0, 0, 0};
    SetCommTimeouts(a, &patient);
    Write(a, "data");
    EXPECT_EQ(Read(b, 4), "data");

    // A burst beyond the receive queue: the receiver stops the sender in time and lets it
    // go on as it reads.
    std::string burst;
    for (std::size_t i = 0; burst.size() < kReceiveCapacity + 8192; ++i) {
        burst += std::to_string(i) + ',';
    }
    auto writer = std::async(std::launch::async, [a, &burst] { Write(a, burst); });
    COMSTAT status;
    DWORD errors = 0;
    for (int i = 0; i < 1000 && status.cbInQue <= kThrottleAt; ++i) {
        std::this_thread::sleep_for(10ms);
        ClearCommError(b, &errors, &status);
    }
    EXPECT_GT(status.cbInQue, kThrottleAt);
    EXPECT_EQ(writer.wait_for(300ms), std::future_status::timeout) << "held back, not dropped";
    EXPECT_EQ(Read(b, static_cast<DWORD>(burst.size())), burst);
    writer.get();
    ClearCommError(b, &errors, &status);
    EXPECT_EQ(errors, 0u);
}

TEST_F(VirtualPorts, PacedBytesTakeTheirTimeOnTheLine) {
    DCB slow = DefaultDcb();
    slow.BaudRate = 1200;
    const HANDLE port = Configured("COM5:", testing::kTerminalTimeouts, slow);
    const std::string block(96, 'p');  // 800 ms at 1200 8N1
    Write(port, block);
    const std::string early = Read(port, 96);
    EXPECT_LT(early.size(), block.size()) << "bytes still on the line";
    const COMMTIMEOUTS wait = testing::kDeviceLoopbackTimeouts;
    SetCommTimeouts(port, &wait);
    EXPECT_EQ(early + Read(port, static_cast<DWORD>(block.size() - early.size())), block);
}

}  // namespace
}  // namespace serial
