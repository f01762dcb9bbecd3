// The wizard's shell: the command-line check with its usage screen, and the product menu that
// runs one dialogue per choice until Exit is chosen.
#pragma once

#include "platform/console.h"

namespace zandinst {

// Exit statuses of the program.
inline constexpr int kExitDone = 0;        // Exit chosen, every section reached its file
inline constexpr int kExitUsage = 1;       // usage screen shown
inline constexpr int kExitInputEnded = 2;  // input ended at a prompt before Exit was chosen
inline constexpr int kExitNotWritten = 3;  // Exit chosen, but some file could not be written

// True when an argument after the program name is exactly "/?".
bool AsksForUsage(int argc, const char* const* argv);

void ShowUsage(console::Console& con);

// Runs the menu loop to its end and returns the exit status.
int RunMenu(console::Console& con);

// The program: the usage screen when asked for, else the menu. Returns the exit status.
int RunWizard(console::Console& con, int argc, const char* const* argv);

}  // namespace zandinst
