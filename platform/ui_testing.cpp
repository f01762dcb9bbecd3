#include "platform/ui_testing.h"

#include <QAction>
#include <QApplication>
#include <QByteArray>
#include <QCheckBox>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTimer>

#include "platform/dialog_testing.h"
#include "platform/terminal_view.h"
#include "platform/ui_app.h"
#include "platform/window_parts.h"

namespace ui::testing {

void StartTestUi() {
    if (UiStarted()) {
        return;
    }
    static int argc = 1;
    static char name[] = "tests";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    StartUi(argc, argv, "tests", "");
    RecordBoxes();
    DriveDialogs();
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    bool timedOut = false;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [&] {
        timedOut = true;
        WakeUi();
    });
    // What tests wait for is often changed by workers that do not call WakeUi; look again often.
    QTimer again;
    QObject::connect(&again, &QTimer::timeout, [] { WakeUi(); });
    deadline.start(timeoutMs);
    again.start(2);
    ServeEventsUntil([&] { return timedOut || done(); });
    return done();
}

void RunPostedWork() {
    bool ran = false;
    PostToUi([&ran] { ran = true; });
    WaitUntil([&ran] { return ran; });
}

bool ChooseMenuItem(int id) {
    QAction* action = MenuItemAction(id);
    if (action == nullptr || !action->isEnabled()) {
        return false;
    }
    action->trigger();
    // The command was posted; this runs it.
    RunPostedWork();
    return true;
}

bool ClickCheckBox(int id) {
    QCheckBox* box = CheckBoxWidget(id);
    if (box == nullptr || !box->isEnabled()) {
        return false;
    }
    box->click();
    return true;
}

void TypeText(const std::u16string& text) {
    for (const char16_t c : text) {
        QWidget* target = QApplication::focusWidget();
        if (target == nullptr) {
            target = TerminalViewWidget();
        }
        if (target == nullptr) {
            return;
        }
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(c)));
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(QChar(c)));
        QApplication::sendEvent(target, &release);
    }
}

bool TerminalViewHasFocus() {
    QWidget* view = TerminalViewWidget();
    return view != nullptr && view->window()->focusWidget() == view;
}

void PressScrollBar(bool vertical, int code, int thumb) {
    QScrollBar* bar = TerminalViewScrollBar(vertical);
    if (bar == nullptr) {
        return;
    }
    switch (code) {
        case kScrollLineBack:
            bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
            break;
        case kScrollLineForward:
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            break;
        case kScrollPageBack:
            bar->triggerAction(QAbstractSlider::SliderPageStepSub);
            break;
        case kScrollPageForward:
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
            break;
        case kScrollToStart:
            bar->triggerAction(QAbstractSlider::SliderToMinimum);
            break;
        case kScrollToEnd:
            bar->triggerAction(QAbstractSlider::SliderToMaximum);
            break;
        case kScrollThumbTrack:
            bar->setSliderDown(true);
            bar->setSliderPosition(thumb);
            break;
        case kScrollThumbPosition:
            bar->setSliderDown(true);
            bar->setSliderPosition(thumb);
            bar->setSliderDown(false);
            break;
        default:
            break;
    }
}

int ScrollBarPosition(bool vertical) {
    QScrollBar* bar = TerminalViewScrollBar(vertical);
    return bar == nullptr ? -1 : bar->value();
}

}  // namespace ui::testing
