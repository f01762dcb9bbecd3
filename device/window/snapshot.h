// Saves what the user sees at exit: <prefix>.png, a picture of the main window, and
// <prefix>.txt, the 25 rows of the screen in UTF-8 with trailing spaces cut, one line each.
// For bug reports and documentation.
#pragma once

#include <string>

namespace device {

// False, with the reason on standard error, when a file cannot be written.
bool WriteSnapshot(const std::string& prefix);

}  // namespace device
