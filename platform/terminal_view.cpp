#include "platform/terminal_view.h"

#include <QAbstractScrollArea>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <mutex>
#include <optional>

#include "platform/ui_app.h"
#include "platform/window_parts.h"

namespace ui {

struct PaintContext {
    QPainter& painter;
    int ascent;
    int cellWidth;
    int cellHeight;
};

namespace {

constexpr int kCellHeight = 20;

// Marks are handed to the toolkit at most once per frame: a flood that marks cells all the
// time then costs one paint a frame, while a mark after a quiet spell (a typed key's echo) is
// painted at once.
constexpr std::chrono::milliseconds kFrame{16};

// The system's fixed-pitch font at the largest pixel size whose cell is at most 20 pixels
// high. A style hint alone resolves to a proportional face on some systems, so the font comes
// from the database's fixed font; its advance is the cell width.
struct TerminalFont {
    QFont font;
    int ascent = 0;
    int cellWidth = 0;
    int cellHeight = 0;
};

TerminalFont MakeTerminalFont() {
    TerminalFont t;
    t.font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    t.font.setStyleStrategy(QFont::NoFontMerging);
    for (int pixels = kCellHeight; pixels > 6; --pixels) {
        t.font.setPixelSize(pixels);
        if (QFontMetrics(t.font).height() <= kCellHeight) {
            break;
        }
    }
    // A fixed-pitch font's advance is often a fraction of a pixel; text drawn with it drifts
    // off the cell grid along a row. The cell is the advance rounded up, and the spacing
    // between letters makes up the difference, so that every character starts on its cell.
    const QFontMetricsF exact(t.font);
    const qreal advance = exact.horizontalAdvance(QLatin1Char('M'));
    t.cellWidth = static_cast<int>(std::ceil(advance));
    t.font.setLetterSpacing(QFont::AbsoluteSpacing, t.cellWidth - advance);
    const QFontMetrics metrics(t.font);
    t.ascent = metrics.ascent();
    t.cellHeight = metrics.height();
    return t;
}

bool IsControl(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

class TerminalViewArea;

// Lives with the view, so that no font outlives the application.
struct ViewState {
    TerminalViewHandlers handlers;
    TerminalFont font = MakeTerminalFont();
    TerminalViewArea* area = nullptr;
    int caretWidth = 0;
    int caretHeight = 0;
    bool caretExists = false;
    int caretHidden = 0;  // hide requests not yet matched by a show
    QPoint caretAt;
    bool painting = false;      // hide and show around a paint need no repaint of their own
    int positions[2] = {0, 0};  // where the program put each bar
};

std::optional<ViewState> view;

// Marks gathered from every thread, and whether a request to paint them is on its way.
std::mutex pendingLock;
QRect pendingArea;
bool flushPosted = false;
// When the marks may next be handed over; user-interface thread.
std::chrono::steady_clock::time_point nextFrame;

QScrollBar* Bar(ScrollBar bar);

class TerminalViewArea : public QAbstractScrollArea {
  public:
    explicit TerminalViewArea(QWidget* parent) : QAbstractScrollArea(parent) {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        QPalette white = viewport()->palette();
        white.setColor(QPalette::Window, Qt::white);
        viewport()->setPalette(white);
        viewport()->setAutoFillBackground(true);
        viewport()->setFocusProxy(this);
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_InputMethodEnabled, false);
        // The columns move only when the horizontal thumb is released; the rows follow the
        // vertical thumb while it is dragged.
        horizontalScrollBar()->setTracking(false);
        Connect(ScrollBar::kVertical);
        Connect(ScrollBar::kHorizontal);
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        const TerminalFont& f = view->font;
        QPainter painter(viewport());
        painter.setFont(f.font);
        painter.setPen(Qt::black);
        PaintContext context{painter, f.ascent, f.cellWidth, f.cellHeight};
        const QRect r = event->rect();
        view->painting = true;
        if (view->handlers.paint) {
            view->handlers.paint(context, Rect{r.left(), r.top(), r.right() + 1, r.bottom() + 1});
        }
        view->painting = false;
        if (view->caretExists && view->caretHidden == 0) {
            painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            painter.fillRect(CaretRect(), Qt::white);
        }
    }

    void resizeEvent(QResizeEvent* event) override {
        QAbstractScrollArea::resizeEvent(event);
        if (view->handlers.sized) {
            view->handlers.sized();
        }
    }

    void keyPressEvent(QKeyEvent* event) override {
        // Only plain characters reach the program; Alt combinations belong to the menu.
        if ((event->modifiers() & Qt::AltModifier) != 0 || event->text().isEmpty()) {
            QAbstractScrollArea::keyPressEvent(event);
            return;
        }
        for (const QChar c : event->text()) {
            if (view->handlers.character) {
                view->handlers.character(c.unicode());
            }
        }
    }

    void focusInEvent(QFocusEvent* event) override {
        QAbstractScrollArea::focusInEvent(event);
        if (view->handlers.focusGained) {
            view->handlers.focusGained();
        }
    }

    void focusOutEvent(QFocusEvent* event) override {
        QAbstractScrollArea::focusOutEvent(event);
        if (view->handlers.focusLost) {
            view->handlers.focusLost();
        }
    }

    // Tab is a character for the port, not a move to the next control.
    bool focusNextPrevChild(bool) override { return false; }

    // The program moves the picture itself (ScrollTerminalView).
    void scrollContentsBy(int, int) override {}

  public:
    QRect CaretRect() const {
        return QRect(view->caretAt, QSize(view->caretWidth, view->caretHeight));
    }

  private:
    void Connect(ScrollBar which) {
        const bool vertical = which == ScrollBar::kVertical;
        QScrollBar* bar = vertical ? verticalScrollBar() : horizontalScrollBar();
        connect(bar, &QAbstractSlider::actionTriggered, this,
                [this, which, bar, vertical](int action) {
                    int code = -1;
                    switch (action) {
                        case QAbstractSlider::SliderSingleStepSub:
                            code = kScrollLineBack;
                            break;
                        case QAbstractSlider::SliderSingleStepAdd:
                            code = kScrollLineForward;
                            break;
                        case QAbstractSlider::SliderPageStepSub:
                            code = kScrollPageBack;
                            break;
                        case QAbstractSlider::SliderPageStepAdd:
                            code = kScrollPageForward;
                            break;
                        case QAbstractSlider::SliderToMinimum:
                            code = kScrollToStart;
                            break;
                        case QAbstractSlider::SliderToMaximum:
                            code = kScrollToEnd;
                            break;
                        case QAbstractSlider::SliderMove:
                            code = kScrollThumbTrack;
                            break;
                        default:
                            break;
                    }
                    if (code == kScrollThumbTrack && bar->isSliderDown() && !vertical) {
                        return;  // the thumb follows the mouse; the columns wait for the release
                    }
                    Send(which, code, bar->sliderPosition());
                    bar->setSliderPosition(view->positions[vertical ? 0 : 1]);
                });
        connect(bar, &QAbstractSlider::sliderReleased, this, [this, which, bar, vertical] {
            Send(which, kScrollThumbPosition, bar->sliderPosition());
            bar->setSliderPosition(view->positions[vertical ? 0 : 1]);
            bar->setValue(view->positions[vertical ? 0 : 1]);
        });
    }

    static void Send(ScrollBar which, int code, int thumb) {
        if (code < 0) {
            return;
        }
        const auto& handler = which == ScrollBar::kVertical ? view->handlers.verticalScroll
                                                            : view->handlers.horizontalScroll;
        if (handler) {
            handler(code, thumb);
        }
    }
};

QScrollBar* Bar(ScrollBar bar) {
    return bar == ScrollBar::kVertical ? view->area->verticalScrollBar()
                                       : view->area->horizontalScrollBar();
}

// Hands the pending marks to the toolkit; user-interface thread.
void FlushPending() {
    nextFrame = std::chrono::steady_clock::now() + kFrame;
    QRect area;
    {
        std::lock_guard guard(pendingLock);
        area = pendingArea;
        pendingArea = QRect();
        flushPosted = false;
    }
    if (view && !area.isEmpty()) {
        view->area->viewport()->update(area);
    }
}

// The request of AddPending: flushes now, or at the next frame when the last flush was less
// than a frame ago. The request stays on its way until then, so marks added meanwhile only
// join the pending area.
void FlushAtFrame() {
    const auto wait =
        std::chrono::ceil<std::chrono::milliseconds>(nextFrame - std::chrono::steady_clock::now());
    if (wait.count() <= 0) {
        FlushPending();
        return;
    }
    QTimer::singleShot(wait, Qt::PreciseTimer, FlushPending);
}

void AddPending(const QRect& area) {
    bool post = false;
    {
        std::lock_guard guard(pendingLock);
        pendingArea = pendingArea.united(area);
        post = !flushPosted;
        flushPosted = true;
    }
    if (post) {
        PostToUi(FlushAtFrame);
    }
}

void UpdateCaretArea() {
    if (view && view->caretExists) {
        view->area->viewport()->update(view->area->CaretRect());
    }
}

}  // namespace

QWidget* TerminalViewWidget() {
    return view ? view->area : nullptr;
}

QScrollBar* TerminalViewScrollBar(bool vertical) {
    return view ? Bar(vertical ? ScrollBar::kVertical : ScrollBar::kHorizontal) : nullptr;
}

void ForgetTerminalView() {
    view.reset();
}

int TerminalViewExtraWidth() {
    return view ? 2 * view->area->frameWidth() + view->area->verticalScrollBar()->sizeHint().width()
                : 0;
}

int TerminalViewExtraHeight() {
    return view ? 2 * view->area->frameWidth() +
                      view->area->horizontalScrollBar()->sizeHint().height()
                : 0;
}

void DrawCells(PaintContext& context, int x, int y, const char16_t* cells, int count) {
    const int baseline = y + context.ascent;
    int run = 0;
    while (run < count) {
        int end = run;
        while (end < count && !IsControl(cells[end])) {
            ++end;
        }
        // Blanks at either end of a run paint nothing on the white the toolkit has filled the
        // area with; laying them out would cost as much as text.
        int first = run;
        while (first < end && cells[first] == u' ') {
            ++first;
        }
        int last = end;
        while (last > first && cells[last - 1] == u' ') {
            --last;
        }
        if (last > first) {
            context.painter.drawText(
                x + first * context.cellWidth, baseline,
                QString::fromUtf16(cells + first, static_cast<qsizetype>(last - first)));
        }
        for (; end < count && IsControl(cells[end]); ++end) {
            // A control character has no glyph; it shows as a box in its own cell.
            context.painter.drawRect(x + end * context.cellWidth + 1, y + 3, context.cellWidth - 3,
                                     context.cellHeight - 7);
        }
        run = end;
    }
}

CellMetrics TerminalCellMetrics() {
    if (!UiStarted()) {
        return CellMetrics{};
    }
    const TerminalFont f = view ? view->font : MakeTerminalFont();
    return CellMetrics{f.cellHeight, f.cellWidth};
}

bool CreateTerminalView(TerminalViewHandlers handlers) {
    QWidget* parent = MainWindowClient();
    if (parent == nullptr || view) {
        return false;
    }
    view.emplace();
    view->handlers = std::move(handlers);
    view->area = new TerminalViewArea(parent);
    const int top = TerminalViewTop();
    view->area->setGeometry(0, top, parent->width(), std::max(0, parent->height() - top));
    view->area->show();
    return true;
}

Rect TerminalViewClientRect() {
    if (!view) {
        return Rect{};
    }
    const QSize size = view->area->viewport()->size();
    return Rect{0, 0, size.width(), size.height()};
}

void FocusTerminalView() {
    if (view) {
        view->area->setFocus(Qt::OtherFocusReason);
    }
}

void SetScrollRange(ScrollBar which, int maximum, int page, int position) {
    if (!view) {
        return;
    }
    QScrollBar* bar = Bar(which);
    const QSignalBlocker quiet(bar);
    bar->setRange(0, std::max(0, maximum - page + 1));
    bar->setPageStep(std::max(1, page));
    bar->setSingleStep(1);
    view->positions[which == ScrollBar::kVertical ? 0 : 1] = position;
    bar->setValue(position);
}

void SetScrollPosition(ScrollBar which, int position) {
    if (!OnUiThread()) {
        PostToUi([which, position] { SetScrollPosition(which, position); });
        return;
    }
    if (!view) {
        return;
    }
    QScrollBar* bar = Bar(which);
    const QSignalBlocker quiet(bar);
    view->positions[which == ScrollBar::kVertical ? 0 : 1] = position;
    bar->setValue(position);
}

void InvalidateTerminalView(const Rect& area) {
    AddPending(QRect(QPoint(area.left, area.top), QPoint(area.right - 1, area.bottom - 1)));
}

void InvalidateWholeTerminalView() {
    // Larger than any view: the toolkit clips it to the viewport.
    AddPending(QRect(0, 0, 1 << 16, 1 << 16));
}

void UpdateTerminalViewNow() {
    FlushPending();
    if (view) {
        view->area->viewport()->repaint();
    }
}

void ScrollTerminalView(int dx, int dy) {
    if (!OnUiThread()) {
        InvalidateWholeTerminalView();
        return;
    }
    if (!view) {
        return;
    }
    // Marks still pending belong to the picture before the move.
    FlushPending();
    view->area->viewport()->scroll(dx, dy);
}

void CreateCaret(int width, int height) {
    if (!OnUiThread() || !view) {
        return;
    }
    UpdateCaretArea();
    view->caretExists = true;
    view->caretWidth = width;
    view->caretHeight = height;
    view->caretHidden = 1;  // a new caret starts hidden
}

void DestroyCaret() {
    if (!OnUiThread() || !view) {
        return;
    }
    UpdateCaretArea();
    view->caretExists = false;
}

void SetCaretPosition(int x, int y) {
    if (!OnUiThread() || !view || view->caretAt == QPoint(x, y)) {
        return;
    }
    if (view->painting) {
        // A paint places the caret on the cursor. Asking for a paint from inside one would
        // start the next paint at once, again and again while received bytes move the cursor;
        // the old and the new place join the pending marks and are painted with the next frame.
        AddPending(view->area->CaretRect());
        view->caretAt = QPoint(x, y);
        AddPending(view->area->CaretRect());
        return;
    }
    UpdateCaretArea();
    view->caretAt = QPoint(x, y);
    UpdateCaretArea();
}

void ShowCaret() {
    if (!OnUiThread() || !view || view->caretHidden == 0) {
        return;
    }
    --view->caretHidden;
    if (!view->painting) {
        UpdateCaretArea();
    }
}

void HideCaret() {
    if (!OnUiThread() || !view) {
        return;
    }
    ++view->caretHidden;
    if (!view->painting) {
        UpdateCaretArea();
    }
}

}  // namespace ui
