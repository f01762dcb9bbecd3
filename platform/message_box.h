// Message boxes with a caption, a text and one OK button, shown from any thread.
//
// On the user-interface thread a box is modal and MessageBox returns when the user dismisses
// it. From another thread the box is shown by the user-interface thread, without an owner and
// without blocking the rest of the program, while the calling thread waits for the answer; the
// calling thread must not hold a lock that the user-interface thread may wait for. Without a
// user interface (a run without a window) the text goes to standard error as "caption: text".
#pragma once

#include <string_view>

namespace ui {

void MessageBox(std::string_view text, std::string_view caption);

// The program is ending: dismisses the boxes that worker threads are waiting on, as if OK had
// been pressed, and answers every later one at once. User-interface thread.
void EndWorkerBoxes();

}  // namespace ui
