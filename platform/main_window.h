// The main window of the device tester: a command bar (the menu bar and a close button) on
// top, a row of check boxes under it, and the terminal view (terminal_view.h) below, over a
// white background. Menu items and check boxes are addressed by their command ids.
//
// Threads: everything here is for the user-interface thread, except SetCheck, which any
// thread may call (the change reaches the box through the user-interface thread; a tick that
// would change nothing is dropped).
#pragma once

#include <functional>
#include <span>
#include <string>

namespace ui {

struct MenuItemSpec {
    int id;            // 0: a separator
    const char* text;  // "&" marks the access letter
};

struct MenuSpec {
    const char* title;
    std::span<const MenuItemSpec> items;
};

struct CheckBoxSpec {
    int id;
    const char* text;
    int x;
    int width;
    bool enabled;
};

struct MainWindowSpec {
    const char* title;
    std::span<const MenuSpec> menus;
    std::span<const CheckBoxSpec> checkBoxes;
    int checkBoxGap;     // pixels between the command bar and the check-box row
    int checkBoxHeight;  // height of every box of the row
    int viewGap;         // pixels between the command bar and the terminal view
};

struct MainWindowHandlers {
    // A menu item was chosen (this runs after the menu has closed) or a check box clicked (it
    // has toggled itself already).
    std::function<void(int id)> command;
    // The window is being destroyed: it still exists and is shown while this runs.
    std::function<void()> destroyed;
};

// Builds the window, hidden. Closing it (the command bar's close button or the window
// manager's) destroys it. False when it exists already.
bool CreateMainWindow(const MainWindowSpec& layout, MainWindowHandlers handlers);
bool MainWindowExists();
// Shows the window at a size whose terminal view has a client area of `viewWidth` by
// `viewHeight` pixels.
void ShowMainWindow(int viewWidth, int viewHeight);
// Runs the destroyed handler, then removes the window. Nothing when there is none.
void DestroyMainWindow();

void EnableMenuItem(int id, bool enabled);
bool IsMenuItemEnabled(int id);
void SetCheck(int id, bool checked);
bool IsChecked(int id);
int CommandBarHeight();

// Saves a picture of the main window as PNG; false when there is no window or it cannot be
// written.
bool SaveMainWindowPicture(const std::string& path);

}  // namespace ui
