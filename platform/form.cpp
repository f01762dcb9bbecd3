#include "platform/form.h"

#include <QCloseEvent>
#include <QWidget>
#include <memory>

#include "platform/dialog_parts.h"

namespace ui {

namespace {

class FormWindow;

struct FormState {
    Dialog dialog;
    FormHandlers handlers;
};

std::unique_ptr<FormState> form;

class FormWindow : public QWidget {
  public:
    FormWindow() {
        setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    }

  protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        if (form && form->handlers.closeRequested) {
            form->handlers.closeRequested(form->dialog);
        }
    }
};

}  // namespace

Dialog* CreateForm(const DialogTemplate& formTemplate, FormHandlers handlers) {
    if (form) {
        return nullptr;
    }
    form = std::make_unique<FormState>();
    form->handlers = std::move(handlers);
    Dialog& dialog = form->dialog;
    dialog.layout = formTemplate;
    dialog.command = form->handlers.command;
    dialog.window = new FormWindow;
    BuildDialogWindow(dialog);
    if (form->handlers.load) {
        form->handlers.load(dialog);
    }
    return &dialog;
}

void ShowForm(Dialog& dialog) {
    FocusFirstTabStop(dialog);
    dialog.window->show();
    dialog.window->activateWindow();
}

void DestroyForm(Dialog& dialog) {
    if (!form || &form->dialog != &dialog) {
        return;
    }
    dialog.ended = true;
    dialog.window->hide();
    // The record goes with the window, once no handler of the form is running any more.
    FormState* leaving = form.release();
    QObject::connect(dialog.window, &QObject::destroyed, [leaving] { delete leaving; });
    dialog.window->deleteLater();
}

WindowPosition GetWindowPosition(Dialog& dialog) {
    const QPoint corner = dialog.window->pos();
    return {FromPixelsX(dialog, corner.x()), FromPixelsY(dialog, corner.y())};
}

void SetWindowPosition(Dialog& dialog, const WindowPosition& position) {
    dialog.window->move(ToPixelsX(dialog, position.left), ToPixelsY(dialog, position.top));
}

}  // namespace ui
