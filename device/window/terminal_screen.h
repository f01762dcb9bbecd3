// The terminal screen: a fixed grid of 25 rows by 80 columns of UTF-16 characters, a cursor,
// and the scrolled view onto it (platform/terminal_view.h).
//
// The reader thread feeds received bytes to PutScreenChar; the loopback test and the port
// inventory clear the screen and fill whole rows; the user clears it with Clear Buffer. Every
// operation takes deviceState.screenLock for its whole run, so a paint never sees half a
// change. No operation waits for the user-interface thread: marks for repaint and scroll-bar
// positions reach it later. CreateScreen, ClearScreen, PaintScreen and the scroll-bar handling
// run on the user-interface thread; PutScreenChar and WriteScreenLine on any thread.
#pragma once

#include <string>
#include <vector>

#include "platform/terminal_view.h"

namespace device {

struct TerminalScreen {
    int rowCount = 0;  // 25 once created
    int colCount = 0;  // 80 once created
    // Row buffers of colCount characters, no terminator. Scrolling up moves the pointers.
    char16_t** rows = nullptr;
    int topRow = 0;   // grid row shown on the view's first line
    int leftCol = 0;  // grid column shown at the view's left edge
    int visibleRows = 0;
    int visibleCols = 0;
    int cursorRow = 0;
    int cursorCol = 0;
    int charHeight = 0;
    int charWidth = 0;
};

extern TerminalScreen terminalScreen;

// Allocates the grid the first time; every time, measures the font and the view, resets the
// scroll positions, the scroll bars and the cursor, and clears the screen. False when the grid
// cannot be allocated.
bool CreateScreen();
void ClearScreen();
// Stores the low 8 bits of `value` at the cursor, with backspace, line feed and carriage
// return rules, wrap at the row's end and scroll-up at the grid's end.
void PutScreenChar(unsigned value);
// Writes `text` (terminated) into `row` from column 0 and blanks the rest of the row. Text
// past column 80 is cut; a row outside the grid is left alone.
void WriteScreenLine(const char16_t* text, int row);
void PaintScreen(ui::PaintContext& context, const ui::Rect& area);
void ScrollScreenRows(int step);
void ScrollScreenColumns(int step);
void KeepCursorVisible();

// The step a scroll-bar request asks for, from the current positions; 0 for what is ignored.
int VerticalScrollStep(int code, int thumb);
int HorizontalScrollStep(int code, int thumb);

// The rows as text, trailing spaces cut; empty before the first CreateScreen.
std::vector<std::u16string> ScreenRowsText();

}  // namespace device
