// Dialogs and forms built from a template: a table of controls (id, kind, text, position, size,
// style) copied from a resource layout. RunModalDialog turns a template into a modal dialog
// driven by a dialog procedure; form.h turns one into a program's main window. Both are a
// `Dialog`, and the functions below read and write their controls by id.
//
// Units. A template is laid out in dialog units (from the dialog font's metrics, see
// dialog_units.h) or in twips (1/1440 inch). Positions and sizes are those of the client area:
// the window's frame and caption come on top. A closed combo box is as high as its font needs;
// the height in a template of dialog units is that of the box with its list dropped down (as
// resource templates give it), in a template of twips that of the closed box, whose list then
// shows up to eight entries (as form layouts give it).
//
// Keys. In a modal dialog Enter presses the default button (a focused push button is the
// default while it has the focus), and Escape and the window's close button reach the
// procedure as the command kIdCancel (2) whether or not the dialog has such a button: the
// dialog ends only when the procedure calls EndDialog. Tab moves through the controls with
// style::kTabStop in template order, and the first of them has the focus when the dialog
// opens, its text selected. "&" in a button's or check box's text marks its access key
// (Alt+letter presses it). Only push buttons give commands: what is typed, ticked or picked
// is read when a button is pressed.
//
// Texts are UTF-8. A function addressing an id that the dialog does not have, or a control of
// another kind, does nothing and returns an empty text, -1, or false.
//
// Threads: everything here belongs to the user-interface thread.
#pragma once

#include <cstddef>
#include <functional>
#include <limits>
#include <span>
#include <string>
#include <string_view>

namespace ui {

enum class ControlKind {
    kLabel,          // static text; starts at the top left (or right) of its rectangle, wraps
    kEdit,           // single-line text field
    kCheckBox,       // toggles itself when clicked; the click is not a command
    kPushButton,     // a click is the command with the button's id
    kDropDownList,   // combo box: a list to pick from, no field to type in
    kDropDownCombo,  // combo box: a field to type in, with a list to pick from under it
    kListBox,        // list of entries, at most one selected
    kListView,       // report list: rows of texts under column headers (see ListColumnSpec)
};

// Style bits of a control, or'ed together.
namespace style {
// Push button that Enter presses.
inline constexpr unsigned kDefaultButton = 1u << 0;
// Edit: typed characters other than 0-9 are refused.
inline constexpr unsigned kDigitsOnly = 1u << 1;
// Label or edit: the text lies flush right.
inline constexpr unsigned kRightAligned = 1u << 2;
// Created hidden; nothing shows it.
inline constexpr unsigned kHidden = 1u << 3;
// Created disabled.
inline constexpr unsigned kDisabled = 1u << 4;
// Tab stops here.
inline constexpr unsigned kTabStop = 1u << 5;
// First control of a group. Kept so that a table reads like its template; it changes nothing,
// since groups matter only to radio buttons, which no template has.
inline constexpr unsigned kGroupStart = 1u << 6;
// Edit, list box or list view: framed. Without it they have no frame.
inline constexpr unsigned kBorder = 1u << 7;
// List box or a combo's list: a vertical scroll bar when the entries overflow; none without.
inline constexpr unsigned kVerticalScroll = 1u << 8;
// Edit: the text scrolls sideways as the user types past the end. Kept so that a table reads
// like its template; every edit scrolls so.
inline constexpr unsigned kAutoHorizontalScroll = 1u << 9;
// Combo or list box: entries are kept in case-blind alphabetical order.
inline constexpr unsigned kSorted = 1u << 10;
}  // namespace style

// The id of a control that the procedure never addresses (the labels of most templates).
inline constexpr int kNoId = -1;
// The commands of the usual OK and Cancel buttons; Escape and the close button give kIdCancel.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

struct ControlSpec {
    int id;
    ControlKind kind;
    const char* text;  // caption, or the first text of an edit or combo field; "" for none
    int x;
    int y;
    int width;
    int height;
    unsigned style;
};

// One column of a list view, in column order. The first column holds the row's text, the
// following ones its sub-items 1, 2, ...
struct ListColumnSpec {
    int controlId;       // the list view it belongs to
    const char* key;     // the column's name for the program
    const char* header;  // the header's text
};

enum class TemplateUnits { kDialogUnits, kTwips };

struct DialogTemplate {
    int id;  // the resource id; tests see which templates were opened
    const char* caption;
    const char* fontFamily;  // stand-ins are used when the host lacks it (dialog_units.h)
    int fontPoints;
    TemplateUnits units;
    int width;  // client area, in `units`
    int height;
    std::span<const ControlSpec> controls;  // in tab order
    std::span<const ListColumnSpec> columns = {};
};

// A dialog or form being shown. A modal dialog's is valid until RunModalDialog returns, a
// form's until DestroyForm.
struct Dialog;

struct DialogProcedure {
    // The controls exist and show their template texts; the dialog is not on screen yet.
    // EndDialog here ends the dialog before it shows.
    std::function<void(Dialog&)> init;
    // A push button was pressed (its id), or Escape or the close button (kIdCancel).
    std::function<void(Dialog&, int id)> command;
};

// Builds the dialog, runs init, shows it modal over the active window and serves events until
// the procedure calls EndDialog. Returns the result given to EndDialog.
int RunModalDialog(const DialogTemplate& dialogTemplate, const DialogProcedure& procedure);
// Ends the dialog with `result` once the procedure returns; the controls stay readable until
// then. Only the first call counts. Does nothing to a form (see DestroyForm).
void EndDialog(Dialog& dialog, int result);

inline constexpr std::size_t kAllChars = std::numeric_limits<std::size_t>::max();

// The text of a label, edit, check box or button; of a combo box its field (the selected
// entry of a drop-down list). At most `maxChars` characters, the first ones.
std::string GetItemText(Dialog& dialog, int id, std::size_t maxChars = kAllChars);
// Sets that text. A drop-down list selects the entry equal to `text`, or none.
void SetItemText(Dialog& dialog, int id, std::string_view text);

// Combo and list boxes. Entries are counted from 0; -1 is "none".
// Adds an entry at the end (in order with style::kSorted) and returns its index; the
// selection stays as it was (adding to an empty box selects nothing).
int AddListEntry(Dialog& dialog, int id, std::string_view text);
int ListEntryCount(Dialog& dialog, int id);
std::string GetListEntryText(Dialog& dialog, int id, int index);
// The first entry whose text equals `text` exactly (case counts), or -1.
int FindListEntryExact(Dialog& dialog, int id, std::string_view text);
// Selects the entry (an editable combo's field then shows it); -1 clears the selection.
// False when the index is out of range.
bool SelectListEntry(Dialog& dialog, int id, int index);
// The selected entry, or -1. An editable combo's selection holds only while its field shows
// the entry's text: typing something else leaves it without a selection.
int GetListSelection(Dialog& dialog, int id);

void CheckItem(Dialog& dialog, int id, bool checked);
bool IsItemChecked(Dialog& dialog, int id);
void EnableItem(Dialog& dialog, int id, bool enabled);
bool IsItemEnabled(Dialog& dialog, int id);

// The control's width in the template's units, as the template gives it.
int GetItemWidth(Dialog& dialog, int id);

// List views. Rows are counted from 0; column 0 is the row's text, column n its sub-item n.
int ListViewColumnCount(Dialog& dialog, int id);
// Width in the template's units (fractions allowed), rounded to pixels.
void SetListViewColumnWidth(Dialog& dialog, int id, int column, double width);
// Adds a row at the end whose text is `text` and whose sub-items are empty; returns its index.
int AddListViewRow(Dialog& dialog, int id, std::string_view text);
int ListViewRowCount(Dialog& dialog, int id);
void SetListViewText(Dialog& dialog, int id, int row, int column, std::string_view text);
std::string GetListViewText(Dialog& dialog, int id, int row, int column);
void ClearListViewRows(Dialog& dialog, int id);

}  // namespace ui
