// The device tester's top level: start-up, the main window with its command bar, lamp row
// and terminal view, the command table and the menu states. Everything here runs on the
// user-interface thread.
#pragma once

#include <string>

namespace device {

struct AppOptions {
    // When not empty, the window's picture and the screen's text are saved at exit as
    // <prefix>.png and <prefix>.txt.
    std::string snapshotPrefix;
};

// Exit statuses of the window program.
inline constexpr int kExitNormal = 0;
inline constexpr int kExitStartFailed = 1;

// Builds the window, runs the event loop until the window is destroyed and returns the exit
// status. The user interface must have been started (ui::StartUi).
int AppMain(const AppOptions& options);

// Builds and shows the main window, applies the start-up port settings, sets the idle menu
// and focuses the terminal view. False when a window cannot be made.
bool InitInstance(const AppOptions& options);

// Idle: "&Connect" enabled and "&Disconnect" grayed; otherwise the reverse.
void SetConnectMenu(bool idle);
// Idle: "Start" enabled and "Stop" grayed; otherwise the reverse.
void SetLoopbackMenu(bool idle);

// The command table: menu items and lamp-row boxes by id; other ids do nothing.
void MainWindowCommand(int id);

}  // namespace device
