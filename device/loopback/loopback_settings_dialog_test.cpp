// The Loopback Settings dialog: what it shows when it opens and what OK and Cancel store.
#include "device/loopback/loopback_settings_dialog.h"

#include "device/connection/device_state.h"
#include "device/connection/serial_api.h"
#include "device/resource_ids.h"
#include "device/window/window_fixture.h"

namespace device {
namespace {

using testing::WindowTest;

constexpr int kPackageSize = 1038;
constexpr int kFirstPort = 1040;
constexpr int kPortCount = 1041;
constexpr int kBaud = 1045;

void Drive(std::function<void(ui::Dialog&)> act) {
    ui::testing::TakeOpenedDialogs();
    ui::testing::QueueDialogDriver(std::move(act));
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdLoopbackSettings));
}

TEST_F(WindowTest, LoopbackSettingsOpenWithTheCurrentValues) {
    deviceState.packageSize = 256;
    deviceState.loopFirstPort = 8;
    deviceState.loopPortCount = 3;
    Drive([](ui::Dialog& d) {
        EXPECT_EQ(ui::GetItemText(d, kPackageSize), "256");
        EXPECT_EQ(ui::GetItemText(d, kFirstPort), "8");
        EXPECT_EQ(ui::GetItemText(d, kPortCount), "3");
        EXPECT_EQ(ui::GetListEntryText(d, kBaud, ui::GetListSelection(d, kBaud)), "9600");
        EXPECT_EQ(ui::ListEntryCount(d, kBaud), 14);
        EXPECT_FALSE(ui::testing::IsItemVisible(d, 1046)) << "the flow-control list stays hidden";
        ui::testing::ClickItem(d, ui::kIdCancel);
    });
    EXPECT_EQ(ui::testing::TakeOpenedDialogs(), std::vector<int>{107});
}

TEST_F(WindowTest, LoopbackSettingsOkStoresWhatWasTypedOrPicked) {
    const struct {
        const char* first;
        const char* count;
        const char* size;
        int baudEntry;  // -1: leave the list alone
        int storedFirst;
        int storedCount;
        std::uint32_t storedSize;
        serial::DWORD storedBaud;
    } cases[] = {
        {"12", "2", "64", 9, 12, 2, 64, 115200},  // numbers beyond the list are stored as typed
        {"abc", "x", "0", -1, 0, 0, 0, 115200},   // text without digits stores 0
        {" 3", "10", "1000", 0, 3, 10, 1000, 300},
    };
    for (const auto& c : cases) {
        deviceState.cancelFlag = true;
        Drive([&](ui::Dialog& d) {
            ui::testing::TypeIntoItem(d, kFirstPort, c.first);
            ui::testing::TypeIntoItem(d, kPortCount, c.count);
            ui::testing::TypeIntoItem(d, kPackageSize, c.size);
            if (c.baudEntry >= 0) {
                ui::testing::ChooseListEntry(d, kBaud, c.baudEntry);
            }
            ui::testing::ClickItem(d, ui::kIdOk);
        });
        EXPECT_FALSE(deviceState.cancelFlag) << "OK clears the flag";
        EXPECT_EQ(deviceState.loopFirstPort, c.storedFirst) << c.first;
        EXPECT_EQ(deviceState.loopPortCount, c.storedCount) << c.count;
        EXPECT_EQ(deviceState.packageSize, c.storedSize) << c.size;
        EXPECT_EQ(deviceState.portSettings.dcb.BaudRate, c.storedBaud);
    }
}

TEST_F(WindowTest, ARateNotInTheListSelectsNothingAndIsKeptByOk) {
    deviceState.portSettings.dcb.BaudRate = 14401;
    Drive([](ui::Dialog& d) {
        EXPECT_EQ(ui::GetListSelection(d, kBaud), -1);
        ui::testing::ClickItem(d, ui::kIdOk);
    });
    EXPECT_EQ(deviceState.portSettings.dcb.BaudRate, 14401u);
}

TEST_F(WindowTest, LoopbackSettingsCancelStoresNothingAndTheRateIsTheTerminals) {
    Drive([](ui::Dialog& d) {
        ui::testing::TypeIntoItem(d, kFirstPort, "5");
        ui::testing::ChooseListEntry(d, kBaud, 9);
        ui::testing::ClickItem(d, ui::kIdCancel);
    });
    EXPECT_TRUE(deviceState.cancelFlag);
    EXPECT_EQ(deviceState.loopFirstPort, 1);
    EXPECT_EQ(deviceState.portSettings.dcb.BaudRate, 9600u);

    Drive([](ui::Dialog& d) {
        ui::testing::ChooseListEntry(d, kBaud, 9);
        ui::testing::ClickItem(d, ui::kIdOk);
    });
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdConnect));
    serial::DCB onPort;
    ASSERT_TRUE(serial::GetCommState(deviceState.portHandle, &onPort));
    EXPECT_EQ(onPort.BaudRate, 115200u) << "the next Connect opens at the rate chosen here";
}

}  // namespace
}  // namespace device
