// Send Data as a user meets it on a loopback plug: the dialog, what comes back over the line,
// and the report.
#include <string>

#include "device/connection/device_state.h"
#include "device/resource_ids.h"
#include "device/window/window_fixture.h"

namespace device {
namespace {

using testing::WindowTest;
using ui::testing::ShownBox;

class SendDataTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdConnect));
    }

    // Everything the screen shows, rows joined.
    static std::u16string ScreenText() {
        std::u16string text;
        for (const std::u16string& row : ScreenRowsText()) {
            text += row;
        }
        return text;
    }

    static std::u16string Digits(std::size_t count) {
        std::u16string digits;
        for (std::size_t i = 0; i < count; ++i) {
            digits.push_back(static_cast<char16_t>(u'0' + i % 10));
        }
        return digits;
    }
};

TEST_F(SendDataTest, OneSendWritesTheDigitsOnceAndReportsTheTotal) {
    ui::testing::TakeOpenedDialogs();
    ui::testing::QueueDialogDriver([&](ui::Dialog& dialog) {
        EXPECT_EQ(ui::GetItemText(dialog, 1038), "1000");
        EXPECT_FALSE(ui::IsItemChecked(dialog, 1039));
        ui::testing::ClickItem(dialog, ui::kIdOk);
    });
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdSendData));
    EXPECT_EQ(ui::testing::TakeOpenedDialogs(), std::vector<int>{105});
    EXPECT_EQ(WaitForBoxes(1),
              (std::vector<ShownBox>{{"Send Finished", "Total 1000 bytes transmitted", true}}));
    EXPECT_TRUE(ui::testing::WaitUntil([] { return ScreenText() == Digits(1000); }));
}

TEST_F(SendDataTest, APackageOfFifteenSendsTheDigitsAndFiveMore) {
    ui::testing::QueueDialogDriver([](ui::Dialog& dialog) {
        ui::testing::TypeIntoItem(dialog, 1038, "15");
        ui::testing::PressKey(dialog, ui::testing::Key::kEnter);
    });
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdSendData));
    EXPECT_TRUE(WaitForRow(0, u"012345678901234"));
    EXPECT_EQ(deviceState.packageSize, 15u);
    EXPECT_EQ(WaitForBoxes(1)[0].text, "Total 15 bytes transmitted");
}

TEST_F(SendDataTest, KeepSendingRepeatsWholePackagesUntilCancelled) {
    ui::testing::QueueDialogDriver([](ui::Dialog& dialog) {
        ui::testing::TypeIntoItem(dialog, 1038, "50");
        ui::testing::ClickItem(dialog, 1039);
        ui::testing::ClickItem(dialog, ui::kIdOk);
    });
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdSendData));
    // The "Sending Data..." box was answered at once; the sender stops after its write.
    const std::vector<ShownBox> boxes = WaitForBoxes(2);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0],
              (ShownBox{"Warning", "Sending Data...\nClick OK to CANCEL sending", false}));
    EXPECT_EQ(boxes[1].caption, "Send Finished");
    const int total = deviceState.totalSent;
    EXPECT_EQ(boxes[1].text, "Total " + std::to_string(total) + " bytes transmitted");
    EXPECT_GE(total, 50);
    EXPECT_EQ(total % 50, 0);
    EXPECT_TRUE(deviceState.keepSending);
}

TEST_F(SendDataTest, CancelSendsNothingAndKeepsTheSettings) {
    ui::testing::QueueDialogDriver([](ui::Dialog& dialog) {
        ui::testing::TypeIntoItem(dialog, 1038, "77");
        ui::testing::ClickItem(dialog, 1039);
        ui::testing::ClickItem(dialog, ui::kIdCancel);
    });
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdSendData));
    EXPECT_EQ(deviceState.packageSize, 1000u);
    EXPECT_FALSE(deviceState.keepSending);
    EXPECT_EQ(deviceState.senderThreads, 0);
    ui::testing::TypeText(u"x");  // something does come back: the port works
    EXPECT_TRUE(WaitForRow(0, u"x"));
    EXPECT_TRUE(ui::testing::TakeShownBoxes().empty());
}

TEST_F(WindowTest, SendDataWithoutAPortSaysSoAndOpensNoDialog) {
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdSendData));
    EXPECT_TRUE(ui::testing::TakeOpenedDialogs().empty());
    EXPECT_EQ(ui::testing::TakeShownBoxes(),
              (std::vector<ShownBox>{{"Warning", "Port is not opened", false}}));
}

TEST_F(SendDataTest, APackageTooLargeForMemoryIsRefusedAndNothingIsSent) {
    ui::testing::QueueDialogDriver([](ui::Dialog& dialog) {
        ui::testing::TypeIntoItem(dialog, 1038, "99999999999");
        ui::testing::ClickItem(dialog, ui::kIdOk);
    });
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdSendData));
    EXPECT_EQ(WaitForBoxes(1),
              (std::vector<ShownBox>{{"Error", "Unable to allocated buffer", true}}));
    EXPECT_TRUE(ui::testing::WaitUntil([] { return deviceState.senderThreads == 0; }));
    EXPECT_EQ(deviceState.totalSent, 0);
}

}  // namespace
}  // namespace device
