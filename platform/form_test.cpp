// A main window built from a template in twips: layout, list view, position, and closing.
#include "platform/form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dialog_testing.h"
#include "platform/dialog_units.h"
#include "platform/ui_testing.h"

namespace ui {
namespace {

using testing::PixelRect;

constexpr int kTxtLower = 11;
constexpr int kCmdGo = 12;
constexpr int kCmdStop = 13;
constexpr int kLvRows = 14;

constexpr ControlSpec kControls[] = {
    {kNoId, ControlKind::kLabel, "Lower:", 120, 240, 1335, 255, 0},
    {kTxtLower, ControlKind::kEdit, "3", 1560, 240, 735, 285, style::kBorder | style::kTabStop},
    {kCmdGo, ControlKind::kPushButton, "&Go", 2640, 240, 1335, 615, style::kTabStop},
    {kCmdStop, ControlKind::kPushButton, "&Stop", 4200, 240, 1335, 615,
     style::kTabStop | style::kDisabled},
    {kLvRows, ControlKind::kListView, "", 120, 1440, 9615, 5775, style::kBorder | style::kTabStop},
};
constexpr ListColumnSpec kColumns[] = {{kLvRows, "HEAD_A", "A"}, {kLvRows, "HEAD_B", "# B"}};
constexpr DialogTemplate kForm{0,    "Form Test", "MS Sans Serif", 8,       TemplateUnits::kTwips,
                               9870, 9090,        kControls,       kColumns};

class FormTest : public ::testing::Test {
  protected:
    void SetUp() override { testing::StartTestUi(); }

    void TearDown() override {
        if (form != nullptr) {
            DestroyForm(*form);
        }
        // The form is freed once the events are served; the next test builds a new one.
        testing::WaitUntil([] { return false; }, 10);
    }

    Dialog& Create(FormHandlers handlers = {}) {
        form = CreateForm(kForm, std::move(handlers));
        EXPECT_NE(form, nullptr);
        return *form;
    }

    Dialog* form = nullptr;
};

TEST_F(FormTest, LaysOutInTwipsThroughTheScreensDotsPerInch) {
    Dialog& dialog = Create();
    const double dpi = ScreenDotsPerInch();
    const auto px = [dpi](double twips) { return TwipsToPixels(twips, dpi); };
    EXPECT_EQ(testing::ClientRect(dialog), (PixelRect{0, 0, px(9870), px(9090)}));
    EXPECT_EQ(testing::ItemRect(dialog, kTxtLower),
              (PixelRect{px(1560), px(240), px(735), px(285)}));
    EXPECT_EQ(testing::ItemRect(dialog, kLvRows),
              (PixelRect{px(120), px(1440), px(9615), px(5775)}));
    EXPECT_EQ(testing::WindowCaption(dialog), "Form Test");
    EXPECT_FALSE(testing::IsResizable(dialog));
    EXPECT_EQ(GetItemWidth(dialog, kLvRows), 9615);
}

TEST_F(FormTest, LoadRunsBeforeTheWindowShowsAndButtonsAreCommands) {
    std::vector<int> commands;
    bool shownAtLoad = true;
    Dialog& dialog = Create({[&](Dialog& loaded) {
                                 shownAtLoad = testing::IsItemVisible(loaded, kCmdGo) &&
                                               testing::ClickItem(loaded, kCmdGo);
                                 SetItemText(loaded, kTxtLower, "1");
                             },
                             [&](Dialog&, int id) { commands.push_back(id); }, nullptr});
    EXPECT_FALSE(shownAtLoad);
    ShowForm(dialog);
    EXPECT_EQ(testing::FocusedItem(dialog), kTxtLower);
    EXPECT_EQ(GetItemText(dialog, kTxtLower), "1");
    EXPECT_TRUE(testing::ClickItem(dialog, kCmdGo));
    EXPECT_FALSE(testing::ClickItem(dialog, kCmdStop)) << "disabled at start";
    EnableItem(dialog, kCmdStop, true);
    testing::PressAccessKey(dialog, 's');
    ASSERT_TRUE(testing::WaitUntil([&] { return commands.size() == 2; }));
    EXPECT_EQ(commands, (std::vector<int>{kCmdGo, kCmdStop}));
}

TEST_F(FormTest, ListViewHasKeyedColumnsAndRowsByIndex) {
    Dialog& dialog = Create();
    ASSERT_EQ(ListViewColumnCount(dialog, kLvRows), 2);
    EXPECT_EQ(testing::ListViewColumnHeader(dialog, kLvRows, 1), "# B");
    EXPECT_EQ(testing::ListViewColumnKey(dialog, kLvRows, 0), "HEAD_A");
    SetListViewColumnWidth(dialog, kLvRows, 1, 1552.5);
    EXPECT_EQ(testing::ListViewColumnPixelWidth(dialog, kLvRows, 1),
              TwipsToPixels(1552.5, ScreenDotsPerInch()));

    EXPECT_EQ(AddListViewRow(dialog, kLvRows, "3"), 0);
    EXPECT_EQ(AddListViewRow(dialog, kLvRows, "-1"), 1);
    EXPECT_EQ(GetListViewText(dialog, kLvRows, 0, 1), "") << "sub-items start empty";
    SetListViewText(dialog, kLvRows, 1, 1, "17");
    SetListViewText(dialog, kLvRows, 2, 1, "lost");  // no such row
    SetListViewText(dialog, kLvRows, 0, 5, "lost");  // no such column
    EXPECT_EQ(ListViewRowCount(dialog, kLvRows), 2);
    EXPECT_EQ(GetListViewText(dialog, kLvRows, 1, 0), "-1");
    EXPECT_EQ(GetListViewText(dialog, kLvRows, 1, 1), "17");
    ClearListViewRows(dialog, kLvRows);
    EXPECT_EQ(ListViewRowCount(dialog, kLvRows), 0);
}

TEST_F(FormTest, PositionIsTheOuterCornerInTwips) {
    Dialog& dialog = Create();
    const double dpi = ScreenDotsPerInch();
    SetWindowPosition(dialog, {1200, 600});
    ShowForm(dialog);
    const WindowPosition position = GetWindowPosition(dialog);
    EXPECT_DOUBLE_EQ(position.left, PixelsToTwips(TwipsToPixels(1200, dpi), dpi));
    EXPECT_DOUBLE_EQ(position.top, PixelsToTwips(TwipsToPixels(600, dpi), dpi));
}

TEST_F(FormTest, ClosingOnlyAsksAndTheFormStaysUntilDestroyed) {
    int asked = 0;
    Dialog& dialog = Create({nullptr, nullptr, [&](Dialog&) { ++asked; }});
    ShowForm(dialog);
    testing::CloseWindow(dialog);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(testing::IsItemVisible(dialog, kCmdGo));
    EXPECT_EQ(CreateForm(kForm, {}), nullptr) << "one form at a time";
    DestroyForm(dialog);
    form = CreateForm(kForm, {});
    EXPECT_NE(form, nullptr) << "a new form may follow at once";
}

}  // namespace
}  // namespace ui
