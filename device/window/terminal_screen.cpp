#include "device/window/terminal_screen.h"

#include <algorithm>
#include <mutex>
#include <new>

#include "device/connection/device_state.h"

namespace device {

TerminalScreen terminalScreen;

namespace {

constexpr int kRowCount = 25;
constexpr int kColCount = 80;

TerminalScreen& s = terminalScreen;

void MarkCells(int row, int col, int rowSpan, int colSpan) {
    const int x = (col - s.leftCol) * s.charWidth;
    const int y = (row - s.topRow) * s.charHeight;
    ui::InvalidateTerminalView(
        ui::Rect{x, y, x + colSpan * s.charWidth, y + rowSpan * s.charHeight});
}

void BlankRow(char16_t* row) {
    std::fill(row, row + s.colCount, u' ');
}

// The grid is allocated once and never freed: worker threads may write it until the process
// ends.
bool AllocateGrid() {
    s.rows = new (std::nothrow) char16_t*[kRowCount];
    if (s.rows == nullptr) {
        return false;
    }
    for (int r = 0; r < kRowCount; ++r) {
        s.rows[r] = new (std::nothrow) char16_t[kColCount];
        if (s.rows[r] == nullptr) {
            return false;
        }
    }
    s.rowCount = kRowCount;
    s.colCount = kColCount;
    return true;
}

// Moves a scroll position by `step` within 0 .. `limit` (never below 0, also when the view
// shows more than the whole grid); returns the new position.
int Scrolled(int old, int step, int limit) {
    if (step < 0 && -step > old) {
        return 0;
    }
    return std::max(0, std::min(old + step, limit));
}

}  // namespace

bool CreateScreen() {
    std::lock_guard lock(deviceState.screenLock);
    if (s.rows == nullptr && !AllocateGrid()) {
        return false;
    }
    const ui::CellMetrics cell = ui::TerminalCellMetrics();
    s.charHeight = cell.height;
    s.charWidth = cell.width;
    s.topRow = s.leftCol = 0;
    s.cursorRow = s.cursorCol = 0;
    const ui::Rect client = ui::TerminalViewClientRect();
    s.visibleRows = s.charHeight > 0 ? client.bottom / s.charHeight : 0;
    s.visibleCols = s.charWidth > 0 ? client.right / s.charWidth : 0;
    ui::SetScrollRange(ui::ScrollBar::kVertical, s.rowCount, s.visibleRows, 0);
    ui::SetScrollRange(ui::ScrollBar::kHorizontal, s.colCount, s.visibleCols, 0);
    ClearScreen();
    return true;
}

void ClearScreen() {
    std::lock_guard lock(deviceState.screenLock);
    for (int r = 0; r < s.rowCount; ++r) {
        BlankRow(s.rows[r]);
    }
    s.topRow = s.leftCol = s.cursorRow = s.cursorCol = 0;
    // The thumbs go back to the start with the positions, so the bars tell the truth.
    ui::SetScrollPosition(ui::ScrollBar::kVertical, 0);
    ui::SetScrollPosition(ui::ScrollBar::kHorizontal, 0);
    ui::InvalidateWholeTerminalView();
    ui::UpdateTerminalViewNow();
}

void PutScreenChar(unsigned value) {
    const auto b = static_cast<unsigned char>(value);
    std::lock_guard lock(deviceState.screenLock);
    if (s.rows == nullptr) {
        return;
    }
    if (b == 0x08 && s.cursorCol > 0) {
        MarkCells(s.cursorRow, s.cursorCol - 1, 1, 2);
    } else {
        MarkCells(s.cursorRow, s.cursorCol, 1, 1);
    }
    switch (b) {
        case 0x08:
            if (s.cursorCol != 0) {
                --s.cursorCol;
                s.rows[s.cursorRow][s.cursorCol] = u' ';
            }
            break;
        case 0x0A:
            ++s.cursorRow;
            break;
        case 0x0D:
            s.cursorCol = 0;
            break;
        default:
            s.rows[s.cursorRow][s.cursorCol] = static_cast<char16_t>(b);
            ++s.cursorCol;
            break;
    }
    if (s.cursorCol == s.colCount) {
        ++s.cursorRow;
        s.cursorCol = 0;
    }
    if (s.cursorRow == s.rowCount) {
        char16_t* top = s.rows[0];
        std::move(s.rows + 1, s.rows + s.rowCount, s.rows);
        s.rows[s.rowCount - 1] = top;
        BlankRow(top);
        s.cursorRow = s.rowCount - 1;
        ui::InvalidateWholeTerminalView();
    }
    ui::HideCaret();
    KeepCursorVisible();
    ui::ShowCaret();
}

void WriteScreenLine(const char16_t* text, int row) {
    std::lock_guard lock(deviceState.screenLock);
    if (s.rows == nullptr || row < 0 || row >= s.rowCount) {
        return;
    }
    int n = 0;
    while (n < s.colCount && text[n] != u'\0') {
        s.rows[row][n] = text[n];
        ++n;
    }
    std::fill(s.rows[row] + n, s.rows[row] + s.colCount, u' ');
    MarkCells(row, s.leftCol, 1, s.colCount);
}

void PaintScreen(ui::PaintContext& context, const ui::Rect& area) {
    std::lock_guard lock(deviceState.screenLock);
    if (s.rows == nullptr || s.charWidth <= 0 || s.charHeight <= 0) {
        return;
    }
    int firstCol = area.left / s.charWidth + s.leftCol;
    int endCol = (area.right + s.charWidth - 1) / s.charWidth + s.leftCol;
    int firstRow = area.top / s.charHeight + s.topRow;
    int endRow = (area.bottom + s.charHeight - 1) / s.charHeight + s.topRow;
    firstCol = std::max(firstCol, 0);
    firstRow = std::max(firstRow, 0);
    endCol = std::min(endCol, s.colCount);
    endRow = std::min(endRow, s.rowCount);
    if (firstRow >= endRow || firstCol >= endCol) {
        return;
    }
    for (int r = firstRow; r < endRow; ++r) {
        ui::DrawCells(context, (firstCol - s.leftCol) * s.charWidth, (r - s.topRow) * s.charHeight,
                      s.rows[r] + firstCol, endCol - firstCol);
    }
    ui::SetCaretPosition((s.cursorCol - s.leftCol) * s.charWidth,
                         (s.cursorRow - s.topRow) * s.charHeight);
}

namespace {

// Moves one axis's scroll position by `step` within 0 .. count - visible, and the view's
// picture and the bar with it. The caller holds the screen lock.
void ScrollAxis(ui::ScrollBar bar, int* position, int step, int count, int visible, int cell) {
    const int old = *position;
    *position = Scrolled(old, step, count - visible);
    if (*position == old) {
        return;
    }
    const int shift = (old - *position) * cell;
    ui::HideCaret();
    if (bar == ui::ScrollBar::kVertical) {
        ui::ScrollTerminalView(0, shift);
    } else {
        ui::ScrollTerminalView(shift, 0);
    }
    ui::SetScrollPosition(bar, *position);
    ui::ShowCaret();
}

// The step of a scroll-bar request on one axis. `tracks`: whether the axis follows a thumb
// that is being dragged.
int ScrollStep(int code, int thumb, int position, int count, int visible, bool tracks) {
    switch (code) {
        case ui::kScrollLineBack:
            return -1;
        case ui::kScrollLineForward:
            return 1;
        case ui::kScrollPageBack:
            return 1 - visible;
        case ui::kScrollPageForward:
            return visible - 1;
        case ui::kScrollThumbPosition:
            return thumb - position;
        case ui::kScrollThumbTrack:
            return tracks ? thumb - position : 0;
        case ui::kScrollToStart:
            return -count;
        case ui::kScrollToEnd:
            return count;
        default:
            return 0;
    }
}

}  // namespace

void ScrollScreenRows(int step) {
    std::lock_guard lock(deviceState.screenLock);
    ScrollAxis(ui::ScrollBar::kVertical, &s.topRow, step, s.rowCount, s.visibleRows, s.charHeight);
}

void ScrollScreenColumns(int step) {
    std::lock_guard lock(deviceState.screenLock);
    ScrollAxis(ui::ScrollBar::kHorizontal, &s.leftCol, step, s.colCount, s.visibleCols,
               s.charWidth);
}

void KeepCursorVisible() {
    std::lock_guard lock(deviceState.screenLock);
    if (s.cursorRow < s.topRow) {
        ScrollScreenRows(s.cursorRow - s.topRow);
    } else if (s.cursorRow > s.topRow + s.visibleRows - 1) {
        ScrollScreenRows(s.cursorRow - s.visibleRows - s.topRow + 1);
    }
    if (s.cursorCol < s.leftCol) {
        ScrollScreenColumns(s.cursorCol - s.leftCol);
    } else if (s.cursorCol > s.leftCol + s.visibleCols - 1) {
        ScrollScreenColumns(s.cursorCol - s.visibleCols - s.leftCol + 1);
    }
}

int VerticalScrollStep(int code, int thumb) {
    std::lock_guard lock(deviceState.screenLock);
    return ScrollStep(code, thumb, s.topRow, s.rowCount, s.visibleRows, true);
}

int HorizontalScrollStep(int code, int thumb) {
    std::lock_guard lock(deviceState.screenLock);
    // The columns do not follow a dragged thumb; they move when it is released.
    return ScrollStep(code, thumb, s.leftCol, s.colCount, s.visibleCols, false);
}

std::vector<std::u16string> ScreenRowsText() {
    std::lock_guard lock(deviceState.screenLock);
    std::vector<std::u16string> text;
    for (int r = 0; r < s.rowCount; ++r) {
        std::u16string row(s.rows[r], static_cast<std::size_t>(s.colCount));
        row.erase(row.find_last_not_of(u' ') + 1);
        text.push_back(std::move(row));
    }
    return text;
}

}  // namespace device
