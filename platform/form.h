// A program's main window built from a template (dialog.h), as a desktop form toolkit gives
// it: a fixed-size window with a caption, a close button and no maximize button, whose
// controls are read and written by id with the functions of dialog.h. One form at a time.
//
// Closing the window (its close button, or the window manager's Alt+F4) only asks: the form
// stays until the program calls DestroyForm, so a program can finish what it is doing first.
//
// Threads: everything here belongs to the user-interface thread.
#pragma once

#include <functional>

#include "platform/dialog.h"

namespace ui {

struct FormHandlers {
    // The controls exist; the window is not shown yet.
    std::function<void(Dialog&)> load;
    // A push button was clicked, by the mouse, Space or its access key.
    std::function<void(Dialog&, int id)> command;
    // The user asked to close the window.
    std::function<void(Dialog&)> closeRequested;
};

// Builds the form hidden and runs `load`. Null when a form exists already.
Dialog* CreateForm(const DialogTemplate& formTemplate, FormHandlers handlers);
// Shows the form with the focus on its first tab stop.
void ShowForm(Dialog& form);
// Hides the form at once; it is freed when control is back in the event loop, so this may be
// called from inside one of its handlers.
void DestroyForm(Dialog& form);

// The window's outer top-left corner on the screen, in the template's units.
struct WindowPosition {
    double left = 0;
    double top = 0;
};
WindowPosition GetWindowPosition(Dialog& form);
void SetWindowPosition(Dialog& form, const WindowPosition& position);

}  // namespace ui
