// Modal dialogs from templates, and the drivers that stand in for the user in tests.
#include "platform/dialog.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <deque>
#include <vector>

#include "platform/dialog_parts.h"
#include "platform/dialog_testing.h"

namespace ui {

namespace {

bool driveDialogs = false;
std::deque<std::function<void(Dialog&)>> drivers;
std::vector<int> openedDialogs;

// Escape and the close button come to reject(); they are the procedure's Cancel command, and
// the dialog ends only when the procedure says so.
class TemplateDialog : public QDialog {
  public:
    TemplateDialog(QWidget* owner, Dialog& dialog) : QDialog(owner), dialog_(dialog) {}

    void reject() override {
        if (dialog_.ended) {
            return;
        }
        if (dialog_.command) {
            dialog_.command(dialog_, kIdCancel);
        } else {
            EndDialog(dialog_, 0);
        }
    }

  private:
    Dialog& dialog_;
};

// Runs the next driver once the dialog's event loop is serving events, and ends the dialog
// if the driver left it open, so that a test never waits for a user.
void ScheduleDriver(Dialog& dialog) {
    std::function<void(Dialog&)> driver;
    if (!drivers.empty()) {
        driver = std::move(drivers.front());
        drivers.pop_front();
    }
    QTimer::singleShot(0, dialog.window, [&dialog, driver = std::move(driver)] {
        // As a window manager gives a new window the keyboard.
        QApplication::setActiveWindow(dialog.window);
        if (driver) {
            driver(dialog);
        } else {
            dialog.modal->reject();
        }
        if (!dialog.ended) {
            EndDialog(dialog, testing::kLeftOpen);
        }
    });
}

}  // namespace

int RunModalDialog(const DialogTemplate& dialogTemplate, const DialogProcedure& procedure) {
    Dialog dialog;
    dialog.layout = dialogTemplate;
    dialog.command = procedure.command;
    auto* window = new TemplateDialog(QApplication::activeWindow(), dialog);
    window->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint);
    dialog.window = window;
    dialog.modal = window;
    BuildDialogWindow(dialog);
    if (driveDialogs) {
        openedDialogs.push_back(dialogTemplate.id);
    }
    if (procedure.init) {
        procedure.init(dialog);
    }
    if (!dialog.ended) {
        FocusFirstTabStop(dialog);
        if (driveDialogs) {
            ScheduleDriver(dialog);
        }
        window->exec();
    }
    delete window;
    return dialog.result;
}

void EndDialog(Dialog& dialog, int result) {
    if (dialog.modal == nullptr || dialog.ended) {
        return;
    }
    dialog.ended = true;
    dialog.result = result;
    // Before exec() has started (EndDialog in init) there is no loop to end.
    if (dialog.modal->isVisible()) {
        dialog.modal->done(result);
    }
}

namespace testing {

void DriveDialogs() {
    driveDialogs = true;
}

void QueueDialogDriver(std::function<void(Dialog&)> driver) {
    drivers.push_back(std::move(driver));
}

std::vector<int> TakeOpenedDialogs() {
    std::vector<int> taken;
    taken.swap(openedDialogs);
    return taken;
}

}  // namespace testing

}  // namespace ui
