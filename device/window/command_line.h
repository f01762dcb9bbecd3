// termivo's command line.
#pragma once

#include <string>

#include "device/window/app_shell.h"

namespace device {

enum class RunMode { kWindow, kHelp, kPortInfo };

struct CommandLine {
    RunMode mode = RunMode::kWindow;
    AppOptions app;
};

// False, with what is wrong in `problem`, when the arguments cannot be understood.
bool ParseCommandLine(int argc, char** argv, CommandLine* line, std::string* problem);

inline constexpr char kUsage[] =
    "usage: termivo [--snapshot PREFIX]\n"
    "       termivo --port-info\n"
    "\n"
    "  --snapshot PREFIX  at exit, save the window as PREFIX.png and the screen's text as\n"
    "                     PREFIX.txt\n"
    "  --port-info        list the active serial ports with their drivers, without a window\n";

}  // namespace device
