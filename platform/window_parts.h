// How the main window and the terminal view find each other inside platform/.
#pragma once

class QAction;
class QCheckBox;
class QScrollBar;
class QWidget;

namespace ui {

// The main window's client widget, or null.
QWidget* MainWindowClient();
// The top of the terminal view in the main window's client area.
int TerminalViewTop();
// The terminal view widget, or null; the main window places it on every size change.
QWidget* TerminalViewWidget();
// The main window is going away: the view forgets it.
void ForgetTerminalView();
// The widgets behind ids and bars, or null; for what tests do with them.
QAction* MenuItemAction(int id);
QCheckBox* CheckBoxWidget(int id);
QScrollBar* TerminalViewScrollBar(bool vertical);
// Pixels the view adds around its client area (frame and scroll bars).
int TerminalViewExtraWidth();
int TerminalViewExtraHeight();

}  // namespace ui
