#include "platform/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>
#include <QWidget>
#include <map>
#include <memory>
#include <mutex>

#include "platform/ui_app.h"
#include "platform/window_parts.h"

namespace ui {

namespace {

class MainWindowWidget;

struct MainWindowState {
    MainWindowSpec layout;
    MainWindowHandlers handlers;
    MainWindowWidget* widget = nullptr;
    QMenuBar* commandBar = nullptr;
    std::map<int, QAction*> menuItems;
    std::map<int, QCheckBox*> checkBoxes;
    bool destroying = false;
};

std::unique_ptr<MainWindowState> mainWindow;

// Ticks from other threads wait here, the last one per box, until the user-interface thread
// applies them all at once: one hand-over serves a burst. A tick that would change nothing
// (none pending for the box, and the box shows it already) is not handed over at all, since a
// reader refreshes the lamps after every line event, up to a thousand times a second under a
// fast flow, and each hand-over wakes the user-interface thread.
std::mutex checksLock;
std::map<int, bool> shownChecks;    // what each box shows; kept by its toggled signal
std::map<int, bool> pendingChecks;  // ticks not applied yet
bool checksPosted = false;

void NoteShown(int id, bool checked) {
    std::lock_guard guard(checksLock);
    shownChecks[id] = checked;
}

void ApplyPendingChecks() {
    std::map<int, bool> pending;
    {
        std::lock_guard guard(checksLock);
        pending.swap(pendingChecks);
        checksPosted = false;
    }
    for (const auto& [id, checked] : pending) {
        SetCheck(id, checked);
    }
}

// Under the command bar lies a light-grey band with a black line at its foot, the height of
// the gap to the terminal view; the rest of the client area is white.
class MainWindowWidget : public QWidget {
  public:
    MainWindowWidget() {
        setAttribute(Qt::WA_DeleteOnClose, false);
        QPalette white = palette();
        white.setColor(QPalette::Window, Qt::white);
        setPalette(white);
        setAutoFillBackground(true);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const int band = mainWindow->layout.viewGap;
        painter.fillRect(0, 0, width(), band, QColor(192, 192, 192));
        painter.fillRect(0, band - 1, width(), 1, Qt::black);
    }

    void resizeEvent(QResizeEvent*) override {
        const int barHeight = mainWindow->commandBar->sizeHint().height();
        mainWindow->commandBar->setGeometry(0, 0, width(), barHeight);
        for (const CheckBoxSpec& box : mainWindow->layout.checkBoxes) {
            mainWindow->checkBoxes[box.id]->setGeometry(
                box.x, barHeight + mainWindow->layout.checkBoxGap, box.width,
                mainWindow->layout.checkBoxHeight);
        }
        if (QWidget* view = TerminalViewWidget()) {
            const int top = TerminalViewTop();
            view->setGeometry(0, top, width(), std::max(0, height() - top));
            view->raise();
            view->show();
        }
    }

    // Every road that closes the window destroys it, as the close button does.
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        PostToUi([] { DestroyMainWindow(); });
    }
};

}  // namespace

QWidget* MainWindowClient() {
    return mainWindow ? mainWindow->widget : nullptr;
}

int TerminalViewTop() {
    return mainWindow ? CommandBarHeight() + mainWindow->layout.viewGap : 0;
}

QAction* MenuItemAction(int id) {
    return mainWindow && mainWindow->menuItems.contains(id) ? mainWindow->menuItems[id] : nullptr;
}

QCheckBox* CheckBoxWidget(int id) {
    return mainWindow && mainWindow->checkBoxes.contains(id) ? mainWindow->checkBoxes[id] : nullptr;
}

bool CreateMainWindow(const MainWindowSpec& layout, MainWindowHandlers handlers) {
    if (mainWindow) {
        return false;
    }
    mainWindow = std::make_unique<MainWindowState>();
    mainWindow->layout = layout;
    mainWindow->handlers = std::move(handlers);
    auto* widget = new MainWindowWidget;
    mainWindow->widget = widget;
    widget->setWindowTitle(QString::fromUtf8(layout.title));

    mainWindow->commandBar = new QMenuBar(widget);
    mainWindow->commandBar->setNativeMenuBar(false);
    for (const MenuSpec& menuSpec : layout.menus) {
        QMenu* menu = mainWindow->commandBar->addMenu(QString::fromUtf8(menuSpec.title));
        for (const MenuItemSpec& item : menuSpec.items) {
            if (item.id == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromUtf8(item.text));
            const int id = item.id;
            // The command runs once the menu has closed, as a posted command does, so that
            // it may destroy the window the menu belongs to.
            QObject::connect(action, &QAction::triggered, [id] {
                PostToUi([id] {
                    if (mainWindow && !mainWindow->destroying) {
                        mainWindow->handlers.command(id);
                    }
                });
            });
            mainWindow->menuItems[id] = action;
        }
    }
    auto* closeButton = new QToolButton(mainWindow->commandBar);
    closeButton->setText(QString::fromUtf8("\u2715"));
    closeButton->setToolTip(QStringLiteral("Close"));
    closeButton->setAutoRaise(true);
    closeButton->setFocusPolicy(Qt::NoFocus);
    QObject::connect(closeButton, &QToolButton::clicked,
                     [] { PostToUi([] { DestroyMainWindow(); }); });
    mainWindow->commandBar->setCornerWidget(closeButton, Qt::TopRightCorner);

    for (const CheckBoxSpec& boxSpec : layout.checkBoxes) {
        auto* box = new QCheckBox(QString::fromUtf8(boxSpec.text), widget);
        box->setEnabled(boxSpec.enabled);
        box->setFocusPolicy(Qt::NoFocus);
        const int id = boxSpec.id;
        QObject::connect(box, &QCheckBox::clicked, [id] {
            if (mainWindow && !mainWindow->destroying) {
                mainWindow->handlers.command(id);
            }
        });
        QObject::connect(box, &QCheckBox::toggled, [id](bool checked) { NoteShown(id, checked); });
        NoteShown(id, box->isChecked());
        mainWindow->checkBoxes[id] = box;
    }
    return true;
}

bool MainWindowExists() {
    return mainWindow != nullptr;
}

void ShowMainWindow(int viewWidth, int viewHeight) {
    if (!mainWindow) {
        return;
    }
    const int width = viewWidth + TerminalViewExtraWidth();
    const int height = TerminalViewTop() + viewHeight + TerminalViewExtraHeight();
    mainWindow->widget->resize(width, height);
    mainWindow->widget->show();
    mainWindow->widget->activateWindow();
}

void DestroyMainWindow() {
    if (!mainWindow || mainWindow->destroying) {
        return;
    }
    mainWindow->destroying = true;
    if (mainWindow->handlers.destroyed) {
        mainWindow->handlers.destroyed();
    }
    ForgetTerminalView();
    delete mainWindow->widget;
    mainWindow.reset();
    std::lock_guard guard(checksLock);
    shownChecks.clear();
}

void EnableMenuItem(int id, bool enabled) {
    if (mainWindow && mainWindow->menuItems.contains(id)) {
        mainWindow->menuItems[id]->setEnabled(enabled);
    }
}

bool IsMenuItemEnabled(int id) {
    return mainWindow && mainWindow->menuItems.contains(id) &&
           mainWindow->menuItems[id]->isEnabled();
}

void SetCheck(int id, bool checked) {
    if (!OnUiThread()) {
        bool post = false;
        {
            std::lock_guard guard(checksLock);
            const auto shown = shownChecks.find(id);
            if (!pendingChecks.contains(id) && shown != shownChecks.end() &&
                shown->second == checked) {
                return;
            }
            pendingChecks[id] = checked;
            post = !checksPosted;
            checksPosted = true;
        }
        if (post) {
            PostToUi(ApplyPendingChecks);
        }
        return;
    }
    if (mainWindow && mainWindow->checkBoxes.contains(id)) {
        mainWindow->checkBoxes[id]->setChecked(checked);
    }
}

bool IsChecked(int id) {
    return mainWindow && mainWindow->checkBoxes.contains(id) &&
           mainWindow->checkBoxes[id]->isChecked();
}

int CommandBarHeight() {
    return mainWindow ? mainWindow->commandBar->sizeHint().height() : 0;
}

bool SaveMainWindowPicture(const std::string& path) {
    return mainWindow && mainWindow->widget->grab().save(QString::fromStdString(path), "PNG");
}

}  // namespace ui
