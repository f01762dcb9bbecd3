// Building a template's controls, and reading and writing them by id.
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTreeWidget>
#include <algorithm>

#include "platform/dialog.h"
#include "platform/dialog_parts.h"

namespace ui {

namespace {

constexpr int kFormComboRows = 8;

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool Has(const ControlSpec& control, unsigned bit) {
    return (control.style & bit) != 0;
}

template <typename Widget>
Widget* Item(Dialog& dialog, int id) {
    return qobject_cast<Widget*>(ItemWidget(dialog, id));
}

Qt::ScrollBarPolicy VerticalPolicy(const ControlSpec& control) {
    return Has(control, style::kVerticalScroll) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
}

// Where a new entry goes: at the end, or before the first entry that sorts after it.
template <typename Text>
int InsertPosition(const ControlSpec& control, int count, const QString& text, Text entryText) {
    if (!Has(control, style::kSorted)) {
        return count;
    }
    int index = 0;
    while (index < count && QString::compare(entryText(index), text, Qt::CaseInsensitive) <= 0) {
        ++index;
    }
    return index;
}

QWidget* NewLabel(const ControlSpec& control) {
    auto* label = new QLabel(QString::fromUtf8(control.text));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignTop |
                        (Has(control, style::kRightAligned) ? Qt::AlignRight : Qt::AlignLeft));
    return label;
}

QWidget* NewEdit(const ControlSpec& control) {
    auto* edit = new QLineEdit(QString::fromUtf8(control.text));
    edit->setFrame(Has(control, style::kBorder));
    if (Has(control, style::kRightAligned)) {
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (Has(control, style::kDigitsOnly)) {
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    }
    return edit;
}

QWidget* NewComboBox(const ControlSpec& control) {
    auto* combo = new QComboBox;
    if (control.kind == ControlKind::kDropDownCombo) {
        combo->setEditable(true);
        // What the user types stays as typed: no completion, and Enter adds no entry.
        combo->setCompleter(nullptr);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setEditText(QString::fromUtf8(control.text));
    }
    combo->view()->setVerticalScrollBarPolicy(VerticalPolicy(control));
    return combo;
}

QWidget* NewListBox(const ControlSpec& control) {
    auto* list = new QListWidget;
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setFrameShape(Has(control, style::kBorder) ? QFrame::StyledPanel : QFrame::NoFrame);
    list->setVerticalScrollBarPolicy(VerticalPolicy(control));
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return list;
}

QWidget* NewListView(const Dialog& dialog, const ControlSpec& control) {
    auto* view = new QTreeWidget;
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setFrameShape(Has(control, style::kBorder) ? QFrame::StyledPanel : QFrame::NoFrame);
    view->header()->setStretchLastSection(false);
    view->header()->setSectionsMovable(false);
    auto* header = new QTreeWidgetItem;
    int column = 0;
    for (const ListColumnSpec& columnSpec : dialog.layout.columns) {
        if (columnSpec.controlId != control.id) {
            continue;
        }
        header->setText(column, QString::fromUtf8(columnSpec.header));
        header->setData(column, kColumnKeyRole, QString::fromUtf8(columnSpec.key));
        ++column;
    }
    view->setColumnCount(column);
    view->setHeaderItem(header);
    return view;
}

QWidget* NewControl(Dialog& dialog, const ControlSpec& control) {
    switch (control.kind) {
        case ControlKind::kLabel:
            return NewLabel(control);
        case ControlKind::kEdit:
            return NewEdit(control);
        case ControlKind::kCheckBox:
            return new QCheckBox(QString::fromUtf8(control.text));
        case ControlKind::kPushButton: {
            auto* button = new QPushButton(QString::fromUtf8(control.text));
            button->setDefault(Has(control, style::kDefaultButton));
            const int id = control.id;
            QObject::connect(button, &QPushButton::clicked, [&dialog, id] {
                if (!dialog.ended && dialog.command) {
                    dialog.command(dialog, id);
                }
            });
            return button;
        }
        case ControlKind::kDropDownList:
        case ControlKind::kDropDownCombo:
            return NewComboBox(control);
        case ControlKind::kListBox:
            return NewListBox(control);
        case ControlKind::kListView:
            return NewListView(dialog, control);
    }
    return new QWidget;
}

void PlaceControl(Dialog& dialog, QWidget* widget, const ControlSpec& control) {
    const int x = ToPixelsX(dialog, control.x);
    const int y = ToPixelsY(dialog, control.y);
    const int width = ToPixelsX(dialog, control.width);
    int height = ToPixelsY(dialog, control.height);
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        // The closed box is as high as its font needs. A resource template's height covers
        // the dropped-down list, which shows as many rows as the rest holds; a form's is the
        // closed box's, and its list shows up to eight rows.
        const int field = combo->sizeHint().height();
        const int row = QFontMetrics(combo->font()).height() + 2;
        combo->setMaxVisibleItems(dialog.layout.units == TemplateUnits::kTwips
                                      ? kFormComboRows
                                      : std::max(1, (height - field) / row));
        height = field;
    }
    widget->setGeometry(x, y, width, height);
}

}  // namespace

int ToPixelsX(const Dialog& dialog, double units) {
    return dialog.layout.units == TemplateUnits::kTwips
               ? TwipsToPixels(units, dialog.dotsPerInch)
               : DialogUnitsToPixelsX(units, dialog.baseUnits);
}

int ToPixelsY(const Dialog& dialog, double units) {
    return dialog.layout.units == TemplateUnits::kTwips
               ? TwipsToPixels(units, dialog.dotsPerInch)
               : DialogUnitsToPixelsY(units, dialog.baseUnits);
}

double FromPixelsX(const Dialog& dialog, int pixels) {
    return dialog.layout.units == TemplateUnits::kTwips
               ? PixelsToTwips(pixels, dialog.dotsPerInch)
               : PixelsToDialogUnitsX(pixels, dialog.baseUnits);
}

double FromPixelsY(const Dialog& dialog, int pixels) {
    return dialog.layout.units == TemplateUnits::kTwips
               ? PixelsToTwips(pixels, dialog.dotsPerInch)
               : PixelsToDialogUnitsY(pixels, dialog.baseUnits);
}

void BuildDialogWindow(Dialog& dialog) {
    const DialogTemplate& layout = dialog.layout;
    const QFont font = DialogFont(layout.fontFamily, layout.fontPoints);
    dialog.baseUnits = MeasureDialogFont(layout.fontFamily, layout.fontPoints);
    dialog.dotsPerInch = ScreenDotsPerInch();
    QWidget* window = dialog.window;
    window->setWindowTitle(QString::fromUtf8(layout.caption));
    window->setFont(font);
    window->setFixedSize(ToPixelsX(dialog, layout.width), ToPixelsY(dialog, layout.height));
    // Created in template order, which is also the order Tab follows.
    for (const ControlSpec& control : layout.controls) {
        QWidget* widget = NewControl(dialog, control);
        widget->setParent(window);
        PlaceControl(dialog, widget, control);
        if (control.kind == ControlKind::kLabel) {
            widget->setFocusPolicy(Qt::NoFocus);
        } else {
            widget->setFocusPolicy(Has(control, style::kTabStop) ? Qt::StrongFocus
                                                                 : Qt::ClickFocus);
        }
        widget->setEnabled(!Has(control, style::kDisabled));
        widget->setVisible(!Has(control, style::kHidden));
        if (control.id != kNoId) {
            dialog.controls[control.id] = widget;
            dialog.specs[control.id] = &control;
        }
    }
}

void FocusFirstTabStop(Dialog& dialog) {
    for (const ControlSpec& control : dialog.layout.controls) {
        QWidget* widget = control.id != kNoId ? dialog.controls[control.id] : nullptr;
        if (widget == nullptr || !Has(control, style::kTabStop) || Has(control, style::kHidden) ||
            !widget->isEnabled()) {
            continue;
        }
        widget->setFocus(Qt::TabFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            edit->selectAll();
        } else if (auto* combo = qobject_cast<QComboBox*>(widget); combo && combo->isEditable()) {
            combo->lineEdit()->selectAll();
        }
        return;
    }
}

QWidget* ItemWidget(Dialog& dialog, int id) {
    const auto found = dialog.controls.find(id);
    return found != dialog.controls.end() ? found->second : nullptr;
}

std::string GetItemText(Dialog& dialog, int id, std::size_t maxChars) {
    QWidget* widget = ItemWidget(dialog, id);
    QString text;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        text = label->text();
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        text = edit->text();
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        text = button->text();
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        text = combo->currentText();
    }
    if (maxChars < static_cast<std::size_t>(text.size())) {
        text.truncate(static_cast<qsizetype>(maxChars));
    }
    return text.toStdString();
}

void SetItemText(Dialog& dialog, int id, std::string_view text) {
    QWidget* widget = ItemWidget(dialog, id);
    const QString value = ToQString(text);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(value);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(value);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(value);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        if (combo->isEditable()) {
            combo->setEditText(value);
        } else {
            combo->setCurrentIndex(
                combo->findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive));
        }
    }
}

int AddListEntry(Dialog& dialog, int id, std::string_view text) {
    const auto control = dialog.specs.find(id);
    if (control == dialog.specs.end()) {
        return -1;
    }
    const QString value = ToQString(text);
    if (auto* combo = Item<QComboBox>(dialog, id)) {
        // A new entry selects nothing (the toolkit selects the first one of an empty box),
        // and an editable combo's field keeps what it shows.
        const int selected = combo->currentIndex();
        const QString field = combo->currentText();
        const int index = InsertPosition(*control->second, combo->count(), value,
                                         [combo](int i) { return combo->itemText(i); });
        combo->insertItem(index, value);
        if (selected < 0) {
            combo->setCurrentIndex(-1);
        }
        if (combo->isEditable()) {
            combo->setEditText(field);
        }
        return index;
    }
    if (auto* list = Item<QListWidget>(dialog, id)) {
        const int index = InsertPosition(*control->second, list->count(), value,
                                         [list](int i) { return list->item(i)->text(); });
        list->insertItem(index, value);
        return index;
    }
    return -1;
}

int ListEntryCount(Dialog& dialog, int id) {
    if (auto* combo = Item<QComboBox>(dialog, id)) {
        return combo->count();
    }
    if (auto* list = Item<QListWidget>(dialog, id)) {
        return list->count();
    }
    return -1;
}

std::string GetListEntryText(Dialog& dialog, int id, int index) {
    if (index < 0 || index >= ListEntryCount(dialog, id)) {
        return {};
    }
    if (auto* combo = Item<QComboBox>(dialog, id)) {
        return combo->itemText(index).toStdString();
    }
    return Item<QListWidget>(dialog, id)->item(index)->text().toStdString();
}

int FindListEntryExact(Dialog& dialog, int id, std::string_view text) {
    const int count = ListEntryCount(dialog, id);
    for (int index = 0; index < count; ++index) {
        if (GetListEntryText(dialog, id, index) == text) {
            return index;
        }
    }
    return -1;
}

bool SelectListEntry(Dialog& dialog, int id, int index) {
    if (index < -1 || index >= ListEntryCount(dialog, id)) {
        return false;
    }
    if (auto* combo = Item<QComboBox>(dialog, id)) {
        combo->setCurrentIndex(index);
        if (combo->isEditable() && index >= 0) {
            combo->setEditText(combo->itemText(index));
        }
        return true;
    }
    auto* list = Item<QListWidget>(dialog, id);
    if (index < 0) {
        list->clearSelection();
        list->setCurrentRow(-1);
    } else {
        list->setCurrentRow(index);
    }
    return true;
}

int GetListSelection(Dialog& dialog, int id) {
    if (auto* combo = Item<QComboBox>(dialog, id)) {
        const int index = combo->currentIndex();
        if (index < 0 || (combo->isEditable() && combo->currentText() != combo->itemText(index))) {
            return -1;
        }
        return index;
    }
    if (auto* list = Item<QListWidget>(dialog, id)) {
        const QList<QListWidgetItem*> selected = list->selectedItems();
        return selected.isEmpty() ? -1 : list->row(selected.first());
    }
    return -1;
}

void CheckItem(Dialog& dialog, int id, bool checked) {
    if (auto* box = Item<QCheckBox>(dialog, id)) {
        box->setChecked(checked);
    }
}

bool IsItemChecked(Dialog& dialog, int id) {
    auto* box = Item<QCheckBox>(dialog, id);
    return box != nullptr && box->isChecked();
}

void EnableItem(Dialog& dialog, int id, bool enabled) {
    if (QWidget* widget = ItemWidget(dialog, id)) {
        widget->setEnabled(enabled);
    }
}

bool IsItemEnabled(Dialog& dialog, int id) {
    QWidget* widget = ItemWidget(dialog, id);
    return widget != nullptr && widget->isEnabled();
}

int GetItemWidth(Dialog& dialog, int id) {
    const auto control = dialog.specs.find(id);
    return control != dialog.specs.end() ? control->second->width : 0;
}

int ListViewColumnCount(Dialog& dialog, int id) {
    auto* view = Item<QTreeWidget>(dialog, id);
    return view != nullptr ? view->columnCount() : -1;
}

void SetListViewColumnWidth(Dialog& dialog, int id, int column, double width) {
    auto* view = Item<QTreeWidget>(dialog, id);
    if (view != nullptr && column >= 0 && column < view->columnCount()) {
        view->setColumnWidth(column, ToPixelsX(dialog, width));
    }
}

int AddListViewRow(Dialog& dialog, int id, std::string_view text) {
    auto* view = Item<QTreeWidget>(dialog, id);
    if (view == nullptr) {
        return -1;
    }
    auto* row = new QTreeWidgetItem(view);
    row->setText(0, ToQString(text));
    return view->topLevelItemCount() - 1;
}

int ListViewRowCount(Dialog& dialog, int id) {
    auto* view = Item<QTreeWidget>(dialog, id);
    return view != nullptr ? view->topLevelItemCount() : -1;
}

void SetListViewText(Dialog& dialog, int id, int row, int column, std::string_view text) {
    auto* view = Item<QTreeWidget>(dialog, id);
    if (view == nullptr || column < 0 || column >= view->columnCount()) {
        return;
    }
    if (QTreeWidgetItem* item = view->topLevelItem(row)) {
        item->setText(column, ToQString(text));
    }
}

std::string GetListViewText(Dialog& dialog, int id, int row, int column) {
    auto* view = Item<QTreeWidget>(dialog, id);
    QTreeWidgetItem* item = view != nullptr ? view->topLevelItem(row) : nullptr;
    return item != nullptr ? item->text(column).toStdString() : std::string();
}

void ClearListViewRows(Dialog& dialog, int id) {
    if (auto* view = Item<QTreeWidget>(dialog, id)) {
        view->clear();
    }
}

}  // namespace ui
