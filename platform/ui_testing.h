// What tests of window programs need from the user interface: an offscreen application, the
// record of every message box shown, worker boxes held open until the test dismisses them, and
// a wait that serves events. User-interface thread (the test's main thread) only.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ui::testing {

// Starts the offscreen application once per process and calls RecordBoxes and DriveDialogs
// (dialog_testing.h).
void StartTestUi();

// From now on every box is recorded, and boxes of the user-interface thread are answered at
// once instead of waiting for a click.
void RecordBoxes();

struct ShownBox {
    std::string caption;
    std::string text;
    bool fromWorker = false;

    bool operator==(const ShownBox&) const = default;
};

// The boxes shown since the last call, in order.
std::vector<ShownBox> TakeShownBoxes();

// kAnswerAtOnce (the default): a worker's box is recorded and answered at once. kHold: it
// is shown as a real box and its worker waits until the test dismisses it.
enum class WorkerBoxes { kAnswerAtOnce, kHold };
void SetWorkerBoxes(WorkerBoxes policy);
int OpenWorkerBoxCount();
// Presses OK on the oldest open worker box; false when there is none.
bool DismissOldestWorkerBox();

// Runs everything handed to the user-interface thread so far.
void RunPostedWork();

// Serves events until `done` holds or `timeoutMs` has passed; returns `done()`.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 20000);

// What a user's hands do: choose a menu item (false when it is grayed), click a check box
// (false when it is disabled), type characters into the focused widget.
bool ChooseMenuItem(int id);
bool ClickCheckBox(int id);
void TypeText(const std::u16string& text);
// Whether the terminal view has the keyboard focus of its window (an offscreen window need
// not be the active one).
bool TerminalViewHasFocus();
// A scroll-bar request as the bar would make it; for the thumb codes, the thumb position.
void PressScrollBar(bool vertical, int code, int thumb);
int ScrollBarPosition(bool vertical);

// Back to the defaults between tests: answer at once, empty record, boxes no longer ended.
void ResetBoxes();

}  // namespace ui::testing
