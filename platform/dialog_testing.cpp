#include "platform/dialog_testing.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTreeWidget>

#include "platform/dialog_parts.h"

namespace ui::testing {

namespace {

// A control a user can reach: there, shown and enabled.
QWidget* Reachable(Dialog& dialog, int id) {
    QWidget* widget = ItemWidget(dialog, id);
    return widget != nullptr && widget->isVisible() && widget->isEnabled() ? widget : nullptr;
}

// Key presses reach the active window; a test's windows are not always active by themselves.
QWidget* ActiveWindow(Dialog& dialog) {
    dialog.window->activateWindow();
    QApplication::setActiveWindow(dialog.window);
    return dialog.window;
}

QWidget* FocusTarget(Dialog& dialog) {
    QWidget* focus = QApplication::focusWidget();
    return focus != nullptr && dialog.window->isAncestorOf(focus) ? focus : dialog.window;
}

}  // namespace

bool ClickItem(Dialog& dialog, int id) {
    auto* button = qobject_cast<QAbstractButton*>(Reachable(dialog, id));
    if (button == nullptr) {
        return false;
    }
    ActiveWindow(dialog);
    QTest::mouseClick(button, Qt::LeftButton);
    return true;
}

bool TypeIntoItem(Dialog& dialog, int id, std::string_view text) {
    QWidget* widget = Reachable(dialog, id);
    QLineEdit* edit = qobject_cast<QLineEdit*>(widget);
    if (auto* combo = qobject_cast<QComboBox*>(widget); combo != nullptr && combo->isEditable()) {
        edit = combo->lineEdit();
    }
    if (edit == nullptr) {
        return false;
    }
    ActiveWindow(dialog);
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    return true;
}

bool ChooseListEntry(Dialog& dialog, int id, int index) {
    QWidget* widget = Reachable(dialog, id);
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        if (index < 0 || index >= combo->count()) {
            return false;
        }
        // What picking from the dropped-down list does.
        combo->setCurrentIndex(index);
        emit combo->activated(index);
        return true;
    }
    if (auto* list = qobject_cast<QListWidget*>(widget)) {
        QListWidgetItem* item = list->item(index);
        if (item == nullptr) {
            return false;
        }
        ActiveWindow(dialog);
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualItemRect(item).center());
        return true;
    }
    return false;
}

void PressKey(Dialog& dialog, Key key) {
    ActiveWindow(dialog);
    switch (key) {
        case Key::kEnter:
            QTest::keyClick(FocusTarget(dialog), Qt::Key_Return);
            break;
        case Key::kEscape:
            QTest::keyClick(FocusTarget(dialog), Qt::Key_Escape);
            break;
        case Key::kTab:
            QTest::keyClick(FocusTarget(dialog), Qt::Key_Tab);
            break;
        case Key::kBacktab:
            QTest::keyClick(FocusTarget(dialog), Qt::Key_Backtab, Qt::ShiftModifier);
            break;
    }
}

void PressAccessKey(Dialog& dialog, char letter) {
    ActiveWindow(dialog);
    const QChar upper = QChar::fromLatin1(letter).toUpper();
    QTest::keyClick(FocusTarget(dialog), static_cast<Qt::Key>(upper.unicode()), Qt::AltModifier);
}

void CloseWindow(Dialog& dialog) {
    dialog.window->close();
}

int FocusedItem(Dialog& dialog) {
    // The window's focus child, which has the keyboard whenever the window is active.
    const QWidget* focus = dialog.window->focusWidget();
    for (const auto& [id, widget] : dialog.controls) {
        if (focus != nullptr && (focus == widget || widget->isAncestorOf(focus))) {
            return id;
        }
    }
    return kNoId;
}

bool IsItemVisible(Dialog& dialog, int id) {
    QWidget* widget = ItemWidget(dialog, id);
    return widget != nullptr && widget->isVisibleTo(dialog.window);
}

std::string WindowCaption(Dialog& dialog) {
    return dialog.window->windowTitle().toStdString();
}

PixelRect ItemRect(Dialog& dialog, int id) {
    const QWidget* widget = ItemWidget(dialog, id);
    if (widget == nullptr) {
        return {};
    }
    const QRect rect = widget->geometry();
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

PixelRect ClientRect(Dialog& dialog) {
    return {0, 0, dialog.window->width(), dialog.window->height()};
}

bool IsResizable(Dialog& dialog) {
    return dialog.window->minimumSize() != dialog.window->maximumSize();
}

std::string ListViewColumnHeader(Dialog& dialog, int id, int column) {
    auto* view = qobject_cast<QTreeWidget*>(ItemWidget(dialog, id));
    return view != nullptr ? view->headerItem()->text(column).toStdString() : std::string();
}

std::string ListViewColumnKey(Dialog& dialog, int id, int column) {
    auto* view = qobject_cast<QTreeWidget*>(ItemWidget(dialog, id));
    return view != nullptr
               ? view->headerItem()->data(column, kColumnKeyRole).toString().toStdString()
               : std::string();
}

int ListViewColumnPixelWidth(Dialog& dialog, int id, int column) {
    auto* view = qobject_cast<QTreeWidget*>(ItemWidget(dialog, id));
    return view != nullptr ? view->columnWidth(column) : -1;
}

}  // namespace ui::testing
