// The screen's rules as a user sees them: what a stream of received bytes leaves on the grid
// and where the cursor goes, and how the scroll bars move the view.
#include <string>
#include <vector>

#include "device/window/window_fixture.h"
#include "platform/terminal_view.h"

namespace device {
namespace {

using testing::WindowTest;

struct GridCase {
    const char* name;
    std::string bytes;
    std::vector<std::u16string> rows;  // rows 0.. as text; the rest blank
    int cursorRow;
    int cursorCol;
};

std::u16string Widen(const std::string& bytes) {
    std::u16string text;
    for (const char c : bytes) {
        text.push_back(static_cast<unsigned char>(c));
    }
    return text;
}

TEST_F(WindowTest, ReceivedBytesFollowTheGridRules) {
    const std::string eighty(80, 'x');
    std::string top;
    for (int r = 0; r < 25; ++r) {
        top += "r" + std::to_string(r) + "\r\n";
    }
    const GridCase cases[] = {
        {"line feed keeps the column", "abc\ndef", {u"abc", u"   def"}, 1, 6},
        {"carriage return and line feed", "abc\r\nd", {u"abc", u"d"}, 1, 1},
        {"backspace at column 0 does nothing", "\b\bab", {u"ab"}, 0, 2},
        {"backspace blanks the cell to the left", "abcdef\b", {u"abcde"}, 0, 5},
        {"the 80th byte fills the row and wraps", eighty + "y", {Widen(eighty), u"y"}, 1, 1},
        {"control bytes and 0xFF are stored",
         std::string("\x00\x07\x09\xff", 4),
         {std::u16string({0x00, 0x07, 0x09, 0xFF})},
         0,
         4},
        // 25 lines scroll the grid up once: r0 is lost and the cursor stays on the last row.
        {"a line feed on the last row scrolls up", top, {u"r1", u"r2"}, 24, 0},
        {"a wrap on the last row scrolls up", std::string(24, '\n') + eighty, {u"", u""}, 24, 0},
    };
    for (const GridCase& c : cases) {
        ClearScreen();
        for (const char b : c.bytes) {
            PutScreenChar(static_cast<unsigned char>(b));
        }
        const std::vector<std::u16string> rows = ScreenRowsText();
        for (std::size_t r = 0; r < c.rows.size(); ++r) {
            EXPECT_EQ(rows[r], c.rows[r]) << c.name << ", row " << r;
        }
        EXPECT_EQ(terminalScreen.cursorRow, c.cursorRow) << c.name;
        EXPECT_EQ(terminalScreen.cursorCol, c.cursorCol) << c.name;
    }
    EXPECT_EQ(Row(23), Widen(eighty)) << "the wrapped row moved up with the grid";
}

TEST_F(WindowTest, WriteScreenLineReplacesTheWholeRowAndStaysInTheGrid) {
    const std::u16string longer(100, u'z');
    WriteScreenLine(u"a longer text", 3);
    WriteScreenLine(u"abc", 3);
    WriteScreenLine(longer.c_str(), 4);
    WriteScreenLine(u"nowhere", 25);
    WriteScreenLine(u"nowhere", -1);
    EXPECT_EQ(Row(3), u"abc");
    EXPECT_EQ(Row(4), std::u16string(80, u'z'));
    EXPECT_EQ(terminalScreen.cursorRow, 0);
}

// A view of 10 rows by 40 columns over the 25 x 80 grid.
class ScrollTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        const ui::CellMetrics cell = ui::TerminalCellMetrics();
        ui::ShowMainWindow(40 * cell.width, 10 * cell.height);
        ASSERT_EQ(terminalScreen.visibleRows, 10);
        ASSERT_EQ(terminalScreen.visibleCols, 40);
    }
};

TEST_F(ScrollTest, EveryScrollBarStepMovesTheViewWithinItsRange) {
    const struct {
        bool vertical;
        int code;
        int thumb;
        int expected;  // topRow or leftCol afterwards
    } steps[] = {
        {true, ui::kScrollLineBack, 0, 0},  // at the start already: nothing
        {true, ui::kScrollLineForward, 0, 1},
        {true, ui::kScrollPageForward, 0, 10},  // a page is one row less than the view
        {true, ui::kScrollPageForward, 0, 15},  // stops at 25 - 10
        {true, ui::kScrollPageBack, 0, 6},
        {true, ui::kScrollToStart, 0, 0},
        {true, ui::kScrollToEnd, 0, 15},
        {true, ui::kScrollThumbTrack, 4, 4},  // the rows follow a dragged thumb
        {true, ui::kScrollThumbPosition, 7, 7},
        {false, ui::kScrollLineForward, 0, 1},
        {false, ui::kScrollPageForward, 0, 40},  // 1 + 39, the upper bound 80 - 40
        {false, ui::kScrollPageBack, 0, 1},
        {false, ui::kScrollToStart, 0, 0},
        {false, ui::kScrollThumbTrack, 20, 0},  // the columns wait for the release
        {false, ui::kScrollThumbPosition, 20, 20},
        {false, ui::kScrollToEnd, 0, 40},
    };
    for (const auto& step : steps) {
        ui::testing::PressScrollBar(step.vertical, step.code, step.thumb);
        const int position = step.vertical ? terminalScreen.topRow : terminalScreen.leftCol;
        EXPECT_EQ(position, step.expected)
            << (step.vertical ? "vertical" : "horizontal") << " code " << step.code;
        EXPECT_EQ(ui::testing::ScrollBarPosition(step.vertical), step.expected);
    }
}

TEST_F(ScrollTest, TheNextByteBringsTheCursorBackIntoView) {
    for (int i = 0; i < 12; ++i) {
        PutScreenChar('\n');
    }
    EXPECT_EQ(terminalScreen.topRow, 3) << "the cursor row is the last visible row";
    ui::testing::PressScrollBar(true, ui::kScrollToStart, 0);
    ui::testing::PressScrollBar(false, ui::kScrollToEnd, 0);
    ASSERT_EQ(terminalScreen.topRow, 0);
    PutScreenChar('x');
    EXPECT_EQ(terminalScreen.topRow, 3);
    EXPECT_EQ(terminalScreen.leftCol, 1) << "column 1 at the left edge";
}

TEST_F(ScrollTest, ResizingTheViewClearsTheScreen) {
    PutScreenChar('a');
    PutScreenChar('\n');
    const ui::CellMetrics cell = ui::TerminalCellMetrics();
    ui::ShowMainWindow(60 * cell.width, 12 * cell.height);
    EXPECT_EQ(Row(0), u"");
    EXPECT_EQ(terminalScreen.cursorRow, 0);
    EXPECT_EQ(terminalScreen.visibleCols, 60);
}

}  // namespace
}  // namespace device
