// termivo's command line.
#pragma once

#include <string>

#include "device/loopback/loopback_without_window.h"
#include "device/window/app_shell.h"

namespace device {

enum class RunMode { kWindow, kHelp, kPortInfo, kLoopback };

struct CommandLine {
    RunMode mode = RunMode::kWindow;
    AppOptions app;
    LoopbackOptions loopback;
};

// False, with what is wrong in `problem`, when the arguments cannot be understood.
bool ParseCommandLine(int argc, char** argv, CommandLine* line, std::string* problem);

inline constexpr char kUsage[] =
    "usage: termivo [--snapshot PREFIX]\n"
    "       termivo --port-info\n"
    "       termivo --loopback [--first N] [--ports N] [--size BYTES] [--baud RATE]\n"
    "                          [--passes N | --seconds S]\n"
    "\n"
    "  --snapshot PREFIX  at exit, save the window as PREFIX.png and the screen's text as\n"
    "                     PREFIX.txt\n"
    "  --port-info        list the active serial ports with their drivers, without a window\n"
    "  --loopback         run the loopback test without a window: ports N.. (1 to 10, 10 is\n"
    "                     COM0; default first port 1, one port), BYTES per pass (default\n"
    "                     1000), RATE baud (default 9600), N passes per port (default 1) or\n"
    "                     for S seconds. Exit 0 when every pass of every port succeeded, 1\n"
    "                     otherwise, 2 for bad options\n";

}  // namespace device
