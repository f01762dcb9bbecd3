// The run without a window, for production lines and scripts:
//
//   haberon --lower N --upper M [--baud RATE] [--passes N | --seconds S] [--progress]
//
// It runs the same passes and counters as the window and prints the results list as a table
// (its six column headers, then one row per port: the port number or -1, and the five
// counters): at the end, and with --progress after every pass too. --passes runs that many
// passes; --seconds starts passes until that much time has gone by, finishing the pass under
// way; with neither it runs until interrupted (Ctrl+C), which ends the run at the next port.
// The rate defaults to 9600. It needs no display and creates no window.
//
// Exit status: 0 when every port opened and no send, receive or compare failure was counted,
// 1 otherwise, 2 on bad options (with the usage on standard error). --help prints the usage.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "desktop/haberon_state.h"

namespace haberon {

inline constexpr int kExitAllPassed = 0;
inline constexpr int kExitFailureCounted = 1;
inline constexpr int kExitBadOptions = 2;

struct RunOptions {
    std::int16_t lower = 0;
    std::int16_t upper = 0;
    std::int32_t baud = 9600;
    long passes = 0;     // 0: not limited by passes
    double seconds = 0;  // 0: not limited by time
    bool progress = false;
};

enum class ParseOutcome { kRun, kHelp, kBad };

// Parses the arguments after the program name; a kBad outcome says why in `error`.
ParseOutcome ParseRunOptions(std::span<const char* const> args, RunOptions* options,
                             std::string* error);

void PrintUsage(std::FILE* out);
// The results list as text: the column headers, then one row per record.
void PrintResultTable(std::FILE* out, const std::vector<PortRecord>& records);
// 0 when every port opened and counted no failure, else 1.
int ExitStatusOf(const std::vector<PortRecord>& records);

// Runs the test; returns the exit status.
int RunWithoutWindow(const RunOptions& options, std::FILE* out);

// The whole command line: options, usage, run. Returns the exit status.
int RunFromCommandLine(int argc, const char* const* argv);

}  // namespace haberon
