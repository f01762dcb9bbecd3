// What tests of dialogs and forms do: drive a modal dialog by control id as a user would, with
// real key presses and clicks, and see which templates were opened.
//
// User-interface thread (the test's main thread) only.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog.h"

namespace ui::testing {

// From now on a modal dialog does not wait for a user. Once it has opened (after its init),
// it runs the oldest queued driver; a dialog that the driver leaves open is ended with
// kLeftOpen. Without a queued driver the dialog gets Escape. StartTestUi calls this.
void DriveDialogs();
void QueueDialogDriver(std::function<void(Dialog&)> driver);
inline constexpr int kLeftOpen = -1;

// The template ids of the dialogs opened since the last call, in order.
std::vector<int> TakeOpenedDialogs();

// Clicks a push button or check box as the mouse would; false when the control is not
// there, hidden or disabled.
bool ClickItem(Dialog& dialog, int id);
// Clicks into an edit or editable combo, selects all of its text and types `text` over it,
// one key press a character (so a digits-only edit refuses what it refuses a user). False
// when the control is not there, hidden or disabled.
bool TypeIntoItem(Dialog& dialog, int id, std::string_view text);
// Picks an entry of a combo or list box as the mouse would; false when the control or the
// entry is not there, or the control is hidden or disabled.
bool ChooseListEntry(Dialog& dialog, int id, int index);

enum class Key { kEnter, kEscape, kTab, kBacktab };
// A key press to the control with the focus.
void PressKey(Dialog& dialog, Key key);
// Alt and `letter` together.
void PressAccessKey(Dialog& dialog, char letter);
// The window's close button.
void CloseWindow(Dialog& dialog);

// The id of the control with the focus, or kNoId.
int FocusedItem(Dialog& dialog);
bool IsItemVisible(Dialog& dialog, int id);
std::string WindowCaption(Dialog& dialog);

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const PixelRect&) const = default;
};
// Where a control lies in the client area, and the client area's size, in pixels.
PixelRect ItemRect(Dialog& dialog, int id);
PixelRect ClientRect(Dialog& dialog);
// Whether the user can resize the window.
bool IsResizable(Dialog& dialog);

// A list view's column header: its text, key and width in pixels.
std::string ListViewColumnHeader(Dialog& dialog, int id, int column);
std::string ListViewColumnKey(Dialog& dialog, int id, int column);
int ListViewColumnPixelWidth(Dialog& dialog, int id, int column);

}  // namespace ui::testing
