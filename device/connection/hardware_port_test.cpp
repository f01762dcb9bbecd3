// Real hardware, opt in: SERIALKIT_HW_PAIR names two tty devices joined by a null-modem
// cable (TX to RX, RTS to CTS, DTR to DSR and DCD, both ways), for example
// SERIALKIT_HW_PAIR=/dev/ttyUSB0,/dev/ttyUSB1. Without it every test here is skipped.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "device/connection/serial_api.h"
#include "device/connection/test_ports.h"

namespace serial {
namespace {

using namespace std::chrono_literals;
using testing::DefaultDcb;
using testing::Open;

class HardwarePair : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* pair = std::getenv("SERIALKIT_HW_PAIR");
        const std::string devices = pair != nullptr ? pair : "";
        const std::size_t comma = devices.find(',');
        if (comma == std::string::npos) {
            GTEST_SKIP() << "set SERIALKIT_HW_PAIR=/dev/ttyX,/dev/ttyY (a null-modem pair)";
        }
        testing::UseMap("COM21 " + devices.substr(0, comma) + "\nCOM22 " +
                        devices.substr(comma + 1) + "\n");
        a_ = Open("COM21:");
        b_ = Open("COM22:");
        ASSERT_NE(a_, INVALID_HANDLE_VALUE);
        ASSERT_NE(b_, INVALID_HANDLE_VALUE);
        Configure(DefaultDcb());
    }
    void TearDown() override {
        CloseHandle(a_);
        CloseHandle(b_);
    }

    // Applies `dcb` to both ends; false when either device cannot hold it.
    bool Configure(const DCB& dcb) {
        const COMMTIMEOUTS timeouts = testing::kDeviceLoopbackTimeouts;
        SetCommTimeouts(a_, &timeouts);
        SetCommTimeouts(b_, &timeouts);
        return SetCommState(a_, &dcb) && SetCommState(b_, &dcb);
    }

    HANDLE a_ = INVALID_HANDLE_VALUE;
    HANDLE b_ = INVALID_HANDLE_VALUE;
};

TEST_F(HardwarePair, DataCrossesAtEveryRateBothDevicesHold) {
    for (DWORD rate : {300u, 1200u, 2400u, 4800u, 9600u, 14400u, 19200u, 38400u, 57600u, 115200u,
                       230400u, 460800u, 921600u, 1382400u}) {
        DCB dcb = DefaultDcb();
        dcb.BaudRate = rate;
        if (!Configure(dcb)) {
            std::printf("%u baud: not held by the devices, skipped\n", rate);
            continue;
        }
        const std::string block(rate >= 9600 ? 1000 : 50, '5');
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(a_, block.data(), static_cast<DWORD>(block.size()), &written));
        std::string got(block.size(), '\0');
        DWORD count = 0;
        ASSERT_TRUE(ReadFile(b_, got.data(), static_cast<DWORD>(got.size()), &count));
        EXPECT_EQ(got.substr(0, count), block) << rate;
    }
}

TEST_F(HardwarePair, ModemLinesAndBreaksReachTheFarEnd) {
    SetCommMask(b_, EV_CTS | EV_BREAK);
    EscapeCommFunction(a_, CLRRTS);
    DWORD events = 0;
    ASSERT_TRUE(WaitCommEvent(b_, &events));
    EXPECT_TRUE(events & EV_CTS);
    DWORD status = 0;
    ASSERT_TRUE(GetCommModemStatus(b_, &status));
    EXPECT_FALSE(status & MS_CTS_ON);

    SetCommMask(b_, EV_BREAK);
    ASSERT_TRUE(SetCommBreak(a_));
    std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(ClearCommBreak(a_));
    ASSERT_TRUE(WaitCommEvent(b_, &events));
    EXPECT_EQ(events, EV_BREAK);
    DWORD errors = 0;
    ClearCommError(b_, &errors, nullptr);
    EXPECT_TRUE(errors & CE_BREAK);
}

TEST_F(HardwarePair, AParityMismatchIsReportedAsAParityError) {
    DCB even = DefaultDcb();
    even.ByteSize = 7;
    even.Parity = EVENPARITY;
    DCB odd = even;
    odd.Parity = ODDPARITY;
    ASSERT_TRUE(SetCommState(a_, &even));
    ASSERT_TRUE(SetCommState(b_, &odd));
    SetCommMask(b_, EV_ERR);
    DWORD written = 0;
    WriteFile(a_, "A", 1, &written);
    DWORD events = 0;
    ASSERT_TRUE(WaitCommEvent(b_, &events));
    EXPECT_EQ(events, EV_ERR);
    DWORD errors = 0;
    ClearCommError(b_, &errors, nullptr);
    EXPECT_TRUE(errors & CE_RXPARITY);
}

}  // namespace
}  // namespace serial
