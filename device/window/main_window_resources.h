// The main window as the program's resources describe it: title, menu bar 101 and the lamp
// row of seven check boxes.
#pragma once

#include "platform/main_window.h"

namespace device {

inline constexpr char kMainWindowTitle[] = "WinCE ZEB TTY";

// Pixels from the command bar to the lamp row and to the terminal view; lamp height.
inline constexpr int kLampRowGap = 1;
inline constexpr int kLampHeight = 14;
inline constexpr int kViewGap = 16;

ui::MainWindowSpec MainWindowResources();

}  // namespace device
