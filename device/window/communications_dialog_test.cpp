// The Communications dialog as a user meets it: what it shows when it opens, what OK stores
// and applies, and what Cancel leaves alone.
#include "device/window/communications_dialog.h"

#include <cstring>
#include <cwchar>

#include "device/connection/device_state.h"
#include "device/connection/serial_api.h"
#include "device/resource_ids.h"
#include "device/window/window_fixture.h"

namespace device {
namespace {

using namespace serial;
using testing::WindowTest;
using ui::testing::ShownBox;

constexpr int kPortName = 1037;
constexpr int kBaud = 1030;
constexpr int kDataBits = 1031;
constexpr int kStopBits = 1032;
constexpr int kFlow = 1033;
constexpr int kParity = 1034;

struct Shown {
    std::string portName, baud, dataBits, parity, stopBits, flow;
    bool portNameEnabled = true;

    bool operator==(const Shown&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Shown& s) {
    return out << s.portName << "/" << s.baud << "/" << s.dataBits << "/" << s.parity << "/"
               << s.stopBits << "/" << s.flow << (s.portNameEnabled ? "" : " (name disabled)");
}

// Opens the dialog, reads what it shows, and leaves it with `then` (a button id).
Shown OpenAndRead(int then = ui::kIdCancel) {
    Shown shown;
    ui::testing::QueueDialogDriver([&](ui::Dialog& d) {
        shown = {ui::GetItemText(d, kPortName),  ui::GetItemText(d, kBaud),
                 ui::GetItemText(d, kDataBits),  ui::GetItemText(d, kParity),
                 ui::GetItemText(d, kStopBits),  ui::GetItemText(d, kFlow),
                 ui::IsItemEnabled(d, kPortName)};
        ui::testing::ClickItem(d, then);
    });
    EXPECT_TRUE(ui::testing::ChooseMenuItem(kIdSettings));
    return shown;
}

void ChangeAndPress(std::function<void(ui::Dialog&)> change, int button) {
    ui::testing::QueueDialogDriver([=](ui::Dialog& d) {
        change(d);
        ui::testing::ClickItem(d, button);
    });
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdSettings));
}

TEST_F(WindowTest, CommunicationsOpensWithTheStartupSettings) {
    EXPECT_EQ(OpenAndRead(), (Shown{"COM1", "9600", "8", "None", "1", "None", true}));
}

TEST_F(WindowTest, CommunicationsOkStoresEveryFieldAndShowsItAgain) {
    deviceState.portSettings.dcb.flags |= kFlagDsrSensitivity | 0x10000u;
    ChangeAndPress(
        [](ui::Dialog& d) {
            ui::testing::TypeIntoItem(d, kPortName, "COM10-and-more");
            ui::testing::TypeIntoItem(d, kBaud, "14401");
            ui::testing::ChooseListEntry(d, kDataBits, 2);  // 6
            ui::testing::ChooseListEntry(d, kParity, 2);    // Even
            ui::testing::ChooseListEntry(d, kStopBits, 2);  // 2
            ui::testing::ChooseListEntry(d, kFlow, 1);      // RTS/CTS
        },
        ui::kIdOk);
    const DCB& dcb = deviceState.portSettings.dcb;
    EXPECT_STREQ(deviceState.portSettings.portName, L"COM10-and") << "cut after 9 characters";
    EXPECT_EQ(dcb.BaudRate, 14401u);
    EXPECT_EQ(dcb.ByteSize, 6);
    EXPECT_EQ(dcb.Parity, EVENPARITY);
    EXPECT_EQ(dcb.StopBits, TWOSTOPBITS);
    EXPECT_EQ(RtsControl(dcb), RTS_CONTROL_HANDSHAKE);
    EXPECT_NE(dcb.flags & kFlagOutxCtsFlow, 0u);
    EXPECT_EQ(dcb.flags & kFlagDsrSensitivity, 0u) << "OK always turns DSR sensitivity off";
    EXPECT_NE(dcb.flags & 0x10000u, 0u) << "bits above the low 16 are kept";
    EXPECT_EQ(OpenAndRead(), (Shown{"COM10-and", "14401", "6", "Even", "2", "RTS/CTS", true}));

    // Letters for a rate store 0; "None" returns the handshake to enable.
    ChangeAndPress(
        [](ui::Dialog& d) {
            ui::testing::TypeIntoItem(d, kBaud, "fast");
            ui::testing::ChooseListEntry(d, kFlow, 0);
        },
        ui::kIdOk);
    EXPECT_EQ(dcb.BaudRate, 0u);
    EXPECT_EQ(RtsControl(dcb), RTS_CONTROL_ENABLE);
    EXPECT_EQ(dcb.flags & kFlagOutxCtsFlow, 0u);
}

TEST_F(WindowTest, CommunicationsCancelLeavesEverything) {
    const PortSettings before = deviceState.portSettings;
    ChangeAndPress(
        [](ui::Dialog& d) {
            ui::testing::TypeIntoItem(d, kPortName, "COM5");
            ui::testing::TypeIntoItem(d, kBaud, "300");
            ui::testing::ChooseListEntry(d, kFlow, 2);
        },
        ui::kIdCancel);
    EXPECT_STREQ(deviceState.portSettings.portName, before.portName);
    EXPECT_EQ(std::memcmp(&deviceState.portSettings.dcb, &before.dcb, sizeof(DCB)), 0);
}

TEST_F(WindowTest, CommunicationsAppliesToTheOpenPortAndKeepsItsName) {
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdConnect));
    ChangeAndPress(
        [](ui::Dialog& d) {
            EXPECT_FALSE(ui::testing::TypeIntoItem(d, kPortName, "COM2")) << "disabled";
            ui::testing::TypeIntoItem(d, kBaud, "115200");
            ui::testing::ChooseListEntry(d, kFlow, 2);
        },
        ui::kIdOk);
    DCB onPort;
    ASSERT_TRUE(GetCommState(deviceState.portHandle, &onPort));
    EXPECT_EQ(onPort.BaudRate, 115200u);
    EXPECT_NE(onPort.flags & kFlagOutX, 0u);
    EXPECT_STREQ(deviceState.portSettings.portName, L"COM1");
    EXPECT_TRUE(ui::testing::TakeShownBoxes().empty());

    // Settings the port refuses are said to be refused, and kept for the next Connect.
    ChangeAndPress([](ui::Dialog& d) { ui::testing::ChooseListEntry(d, kDataBits, 0); }, ui::kIdOk);
    EXPECT_EQ(ui::testing::TakeShownBoxes(),
              (std::vector<ShownBox>{{"Warning",
                                      "COM1 does not take these settings and keeps its current "
                                      "ones; they are stored for the next Connect.",
                                      false}}));
    EXPECT_EQ(deviceState.portSettings.dcb.ByteSize, 4);
    ASSERT_TRUE(GetCommState(deviceState.portHandle, &onPort));
    EXPECT_EQ(onPort.ByteSize, 8);
}

TEST(FlowControlFlags, SetsTheSixFieldsAndKeepsTheRest) {
    const struct {
        DWORD before;
        int choice;
        DWORD after;
    } cases[] = {
        {0x1093, 0, 0x1093},                   // the start-up flags are "None"
        {0x1093, 1, 0x2097},                   // RTS handshake, CTS flow
        {0x1093, 2, 0x1393},                   // XON/XOFF both ways
        {0x2097 | 0x40 | 0x8, -1, 0x1093},     // no choice is "None"; DSR flow and sensitivity off
        {0xFFFF0393, 0, 0xFFFF0093 | 0x1000},  // bits 16 to 31 untouched
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FlowControlFlags(c.before, c.choice), c.after) << std::hex << c.before;
    }
}

}  // namespace
}  // namespace device
