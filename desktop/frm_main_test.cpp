// frmMain as a user meets it: first start, settings kept between starts, Go and Stop, and
// closing the window during a run.
#include "desktop/frm_main.h"

#include <functional>
#include <string>
#include <vector>

#include "desktop/haberon_state.h"
#include "desktop/number_text.h"
#include "desktop/test_support.h"
#include "platform/dialog_testing.h"
#include "platform/dialog_units.h"
#include "platform/settings_store.h"
#include "platform/ui_app.h"

namespace haberon {
namespace {

using Texts = std::vector<std::string>;
using ui::testing::ClickItem;

std::string Stored(const char* key) {
    return settings::GetSetting("Harbex", "Settings", key, "<missing>");
}

void Store(const char* key, const char* value) {
    ASSERT_TRUE(settings::SaveSetting("Harbex", "Settings", key, value));
}

// Runs `action` at the first yield of a run (the first one comes after port 1's write) at
// which `ready` holds.
void AtYieldWhen(std::function<bool()> ready, std::function<void()> action) {
    ui::PostToUi([ready = std::move(ready), action = std::move(action)]() mutable {
        if (ready()) {
            action();
        } else {
            AtYieldWhen(std::move(ready), std::move(action));
        }
    });
}

void AtFirstYield(std::function<void()> action) {
    AtYieldWhen([] { return true; }, std::move(action));
}

bool PortIsFree(int port) {
    const std::string name = "\\\\.\\COM" + std::to_string(port);
    const serial::HANDLE handle = serial::testing::Open(name.c_str());
    serial::CloseHandle(handle);
    return handle != serial::INVALID_HANDLE_VALUE;
}

class FrmMainTest : public testing::HaberonTest {};

TEST_F(FrmMainTest, FirstStartShowsTheDefaultsInTheDesignedWindow) {
    ui::Dialog& form = Form();
    EXPECT_EQ(ui::testing::WindowCaption(form), "Harbex");
    EXPECT_FALSE(ui::testing::IsResizable(form));
    const ui::WindowPosition position = ui::GetWindowPosition(form);
    EXPECT_EQ(position.left, 0);
    EXPECT_EQ(position.top, 0);
    EXPECT_EQ(ui::GetItemText(form, kTxtLower), "1");
    EXPECT_EQ(ui::GetItemText(form, kTxtUpper), "1");
    EXPECT_EQ(ui::GetItemText(form, kCboRate), "9600");
    EXPECT_EQ(ui::GetListSelection(form, kCboRate), 5);
    Texts rates;
    for (int i = 0; i < ui::ListEntryCount(form, kCboRate); ++i) {
        rates.push_back(ui::GetListEntryText(form, kCboRate, i));
    }
    EXPECT_EQ(rates, (Texts{"300", "600", "1200", "2400", "4800", "9600", "14400", "19200", "38400",
                            "57600", "115200", "230400", "460800", "921600", "1382400"}));
    EXPECT_EQ(ui::GetItemText(form, kLabel3),
              "Results:       (128 Bytes of data is being transfered)");
    EXPECT_TRUE(ui::IsItemEnabled(form, kCmdGo));
    EXPECT_FALSE(ui::IsItemEnabled(form, kCmdStop));

    const Texts headers{
        "Port #",           "# Sent", "# Sent, Failed", "# Received", "# Received, Failed",
        "# Compare, Failed"};
    const Texts keys{"HEAD_PORT",     "HEAD_SENT",         "HEAD_SEND_FAIL",
                     "HEAD_RECEIVED", "HEAD_RECEIVE_FAIL", "HEAD_COMP_FAIL"};
    ASSERT_EQ(ui::ListViewColumnCount(form, kLvResults), 6);
    const int width = ui::TwipsToPixels(9615.0 / 6 - 50, ui::ScreenDotsPerInch());
    for (int column = 0; column < 6; ++column) {
        EXPECT_EQ(ui::testing::ListViewColumnHeader(form, kLvResults, column), headers[column]);
        EXPECT_EQ(ui::testing::ListViewColumnKey(form, kLvResults, column), keys[column]);
        EXPECT_EQ(ui::testing::ListViewColumnPixelWidth(form, kLvResults, column), width);
    }

    std::vector<int> focus{ui::testing::FocusedItem(form)};
    for (int i = 0; i < 5; ++i) {
        ui::testing::PressKey(form, ui::testing::Key::kTab);
        focus.push_back(ui::testing::FocusedItem(form));
    }
    EXPECT_EQ(focus,
              (std::vector<int>{kTxtLower, kTxtUpper, kCmdGo, kLvResults, kCboRate, kTxtLower}))
        << "Stop is disabled, so Tab passes it";
}

TEST_F(FrmMainTest, ClosingStoresWhatTheBoxesHoldExactlyAndTheNextStartShowsIt) {
    ui::Dialog& form = Form();
    ui::testing::TypeIntoItem(form, kTxtLower, "abc");
    ui::testing::TypeIntoItem(form, kTxtUpper, " 7x");
    ui::testing::ChooseListEntry(form, kCboRate, 14);
    ui::SetWindowPosition(form, {1200, 600});
    const double dpi = ui::ScreenDotsPerInch();
    const auto shown = [dpi](double twips) {
        return ui::PixelsToTwips(ui::TwipsToPixels(twips, dpi), dpi);
    };
    ui::testing::CloseWindow(form);
    EXPECT_EQ(state.frmMain, nullptr) << "the program ends";
    EXPECT_EQ(Stored("Top"), SingleText(shown(600)));
    EXPECT_EQ(Stored("Left"), SingleText(shown(1200)));
    EXPECT_EQ(Stored("Baud"), "14");
    EXPECT_EQ(Stored("LowerPort"), "abc");
    EXPECT_EQ(Stored("UpperPort"), " 7x");

    ui::Dialog& again = Form();
    EXPECT_EQ(ui::GetItemText(again, kTxtLower), "abc");
    EXPECT_EQ(ui::GetItemText(again, kTxtUpper), " 7x");
    EXPECT_EQ(ui::GetItemText(again, kCboRate), "1382400");
    EXPECT_EQ(ui::GetWindowPosition(again).left, shown(1200));
    EXPECT_EQ(ui::GetWindowPosition(again).top, shown(600));
}

TEST_F(FrmMainTest, StoredValuesThatAreNoNumbersOrNoListPositionGetTheDefaults) {
    struct Case {
        const char* top;
        const char* baud;
        double shownTop;
        int position;
        const char* rate;
    };
    const Case cases[] = {
        {"abc", "14", 0, 14, "1382400"}, {"1e999", "15", 0, 5, "9600"},
        {"", "x", 0, 5, "9600"},         {"-15", "2.5", -15, 5, "9600"},
        {"150", "-1", 150, -1, ""},      {" 300 ", "-2", 300, 5, "9600"},
        {"75", " 0 ", 75, 0, "300"},     {"0", "1e300", 0, 5, "9600"},
    };
    const double dpi = ui::ScreenDotsPerInch();
    for (const Case& c : cases) {
        Store("Top", c.top);
        Store("Baud", c.baud);
        ui::Dialog& form = Form();
        EXPECT_EQ(ui::GetWindowPosition(form).top,
                  ui::PixelsToTwips(ui::TwipsToPixels(c.shownTop, dpi), dpi))
            << c.top;
        EXPECT_EQ(ui::GetListSelection(form, kCboRate), c.position) << c.baud;
        EXPECT_EQ(ui::GetItemText(form, kCboRate), c.rate) << c.baud;
        ui::DestroyForm(form);
        state.frmMain = nullptr;
    }
}

TEST_F(FrmMainTest, StopInMidPassCompletesThatExchangeAndTestsNoFurtherPort) {
    serial::testing::UseMap("COM1 loopback\nCOM2 loopback\nCOM3 loopback\n");
    ui::Dialog& form = Form();
    ui::testing::TypeIntoItem(form, kTxtUpper, "3");
    bool goAtStop = true;
    bool stopAtStop = true;
    AtFirstYield([&] {
        ClickItem(form, kCmdStop);
        goAtStop = ui::IsItemEnabled(form, kCmdGo);
        stopAtStop = ui::IsItemEnabled(form, kCmdStop);
    });
    ASSERT_TRUE(ClickItem(form, kCmdGo));  // returns when the run has ended
    EXPECT_FALSE(goAtStop) << "Go waits until the ports are closed";
    EXPECT_FALSE(stopAtStop);
    EXPECT_EQ(Row(0), (Texts{"1", "1", "0", "1", "0", "0"})) << "the exchange completed";
    EXPECT_EQ(Row(1), (Texts{"2", "0", "0", "0", "0", "0"}));
    EXPECT_EQ(Row(2), (Texts{"3", "0", "0", "0", "0", "0"}));
    EXPECT_TRUE(ui::IsItemEnabled(form, kCmdGo));
    EXPECT_FALSE(ui::IsItemEnabled(form, kCmdStop));
    EXPECT_TRUE(PortIsFree(1) && PortIsFree(2) && PortIsFree(3));
}

TEST_F(FrmMainTest, TheRunKeepsTheRangeGoOpenedAndGoAgainStartsFromZero) {
    serial::testing::UseMap("COM1 loopback\nCOM2 loopback\nCOM3 loopback\n");
    ui::Dialog& form = Form();
    ui::testing::TypeIntoItem(form, kTxtUpper, "2");
    ui::testing::ChooseListEntry(form, kCboRate, 9);  // 57600: one refresh per pass
    AtFirstYield([&] {
        ui::SetItemText(form, kTxtLower, "2");
        ui::SetItemText(form, kTxtUpper, "3");
        ui::SetItemText(form, kCboRate, "300");
    });
    AtYieldWhen([] { return Row(1)[kColumnReceived] == "3"; }, [&] { ClickItem(form, kCmdStop); });
    ClickItem(form, kCmdGo);
    EXPECT_EQ(ui::ListViewRowCount(form, kLvResults), 2);
    EXPECT_EQ(Row(0), (Texts{"1", "3", "0", "3", "0", "0"}));
    EXPECT_EQ(Row(1), (Texts{"2", "3", "0", "3", "0", "0"}));
    EXPECT_TRUE(PortIsFree(1) && PortIsFree(2)) << "the range Go opened was closed";

    // The boxes now say 2 to 3 at 300: the next run takes them, from zero.
    AtFirstYield([&] { ClickItem(form, kCmdStop); });
    ClickItem(form, kCmdGo);
    EXPECT_EQ(ui::ListViewRowCount(form, kLvResults), 2);
    EXPECT_EQ(Row(0), (Texts{"2", "1", "0", "1", "0", "0"}));
    EXPECT_EQ(Row(1), (Texts{"3", "0", "0", "0", "0", "0"}));
}

TEST_F(FrmMainTest, ClosingTheWindowDuringARunStopsItClosesThePortsThenStoresTheSettings) {
    serial::testing::UseMap("COM1 loopback\nCOM2 loopback\n");
    ui::Dialog& form = Form();
    ui::testing::TypeIntoItem(form, kTxtUpper, "2");
    std::string storedDuringRun;
    bool shownAfterClose = false;
    AtFirstYield([&] {
        ui::testing::CloseWindow(form);
        storedDuringRun = Stored("UpperPort");
        shownAfterClose = ui::testing::IsItemVisible(form, kLvResults);
    });
    ClickItem(form, kCmdGo);
    EXPECT_EQ(storedDuringRun, "<missing>");
    EXPECT_TRUE(shownAfterClose) << "the window stays until the run has ended";
    EXPECT_EQ(state.frmMain, nullptr);
    EXPECT_EQ(Stored("UpperPort"), "2");
    EXPECT_TRUE(PortIsFree(1) && PortIsFree(2));
}

TEST_F(FrmMainTest, AccessKeysPressGoAndStop) {
    serial::testing::UseMap("COM1 loopback\n");
    ui::Dialog& form = Form();
    AtYieldWhen([] { return state.running; }, [&] { ui::testing::PressAccessKey(form, 's'); });
    ui::testing::PressAccessKey(form, 'g');
    EXPECT_TRUE(ui::testing::WaitUntil([&] {
        return !state.running && ui::IsItemEnabled(form, kCmdGo) && !Row(0)[kColumnSent].empty();
    }));
    EXPECT_EQ(Row(0)[kColumnPort], "1");
}

}  // namespace
}  // namespace haberon
