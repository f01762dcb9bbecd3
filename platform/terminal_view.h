// The terminal view: a child of the main window with both scroll bars, painted cell by cell
// in a fixed-pitch font on white, with a solid block caret. The program owns what is shown:
// the view asks it to paint an area, tells it of size changes, typed characters, scroll-bar
// requests and focus changes, and leaves the scroll bars where the program puts them.
//
// Threads: handlers run on the user-interface thread. InvalidateTerminalView,
// InvalidateWholeTerminalView, ScrollTerminalView and SetScrollPosition may be called from any
// thread; marks from all threads gather in one pending area, and at most one request per burst
// reaches the user-interface thread, which paints the area when it is idle. A scroll asked for
// by another thread repaints the whole view instead of moving pixels. The caret belongs to the
// user-interface thread: caret calls from other threads do nothing. Everything does nothing
// while there is no view.
#pragma once

#include <functional>

namespace ui {

// Pixel rectangle; right and bottom are exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Valid inside the paint handler only.
struct PaintContext;
// Draws `count` cells of text in the terminal font, black on white, from (x, y), one cell
// width per character. Control characters are drawn as a box, one cell wide.
void DrawCells(PaintContext& context, int x, int y, const char16_t* cells, int count);

struct CellMetrics {
    int height = 0;
    int width = 0;
};
// The terminal font's cell: its character height and the advance of its characters, which
// is the same for every character of a fixed-pitch font. Zero without a user interface.
CellMetrics TerminalCellMetrics();

enum class ScrollBar { kVertical, kHorizontal };

// Scroll-bar request codes, as the handlers receive them.
inline constexpr int kScrollLineBack = 0;
inline constexpr int kScrollLineForward = 1;
inline constexpr int kScrollPageBack = 2;
inline constexpr int kScrollPageForward = 3;
inline constexpr int kScrollThumbPosition = 4;  // the thumb was released at `thumb`
inline constexpr int kScrollThumbTrack = 5;     // the thumb is being dragged over `thumb`
inline constexpr int kScrollToStart = 6;
inline constexpr int kScrollToEnd = 7;

struct TerminalViewHandlers {
    std::function<void(PaintContext&, const Rect&)> paint;
    std::function<void()> sized;
    std::function<void(unsigned code)> character;
    std::function<void(int code, int thumb)> verticalScroll;
    std::function<void(int code, int thumb)> horizontalScroll;
    std::function<void()> focusGained;
    std::function<void()> focusLost;
};

// Creates the view in the main window, under the check-box row. False when there is no main
// window or a view exists already.
bool CreateTerminalView(TerminalViewHandlers handlers);
Rect TerminalViewClientRect();
void FocusTerminalView();

// The bar covers positions 0 .. maximum with a thumb `page` positions long; as on the
// platform the program was written for, the thumb can reach maximum - page + 1.
void SetScrollRange(ScrollBar bar, int maximum, int page, int position);
void SetScrollPosition(ScrollBar bar, int position);

void InvalidateTerminalView(const Rect& area);
void InvalidateWholeTerminalView();
// Paints what is pending at once (user-interface thread).
void UpdateTerminalViewNow();
// Moves the view's picture by (dx, dy) pixels and repaints the uncovered strip.
void ScrollTerminalView(int dx, int dy);

void CreateCaret(int width, int height);
void DestroyCaret();
void SetCaretPosition(int x, int y);
void ShowCaret();
void HideCaret();

}  // namespace ui
