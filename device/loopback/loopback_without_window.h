// The loopback test without a window, for production lines and scripts: the same engine,
// threads, judgement and lines, written to standard output instead of the screen's rows.
#pragma once

namespace device {

struct LoopbackOptions {
    int firstPort = 1;
    int portCount = 1;
    unsigned long long packageSize = 1000;
    unsigned long long baudRate = 9600;
    int passes = 0;   // passes per port; 0 when the run is timed
    int seconds = 0;  // length of a timed run
};

// Exit statuses of the run.
inline constexpr int kLoopbackAllPassed = 0;
inline constexpr int kLoopbackFailed = 1;

// A run stops when no pass has ended anywhere for this long (a write that flow control holds
// back for good never ends otherwise).
inline constexpr int kStallSeconds = 30;

// Prints the header, then each port's result line at every pass; stops after the passes, or
// after the seconds, and returns kLoopbackAllPassed only when every port opened and every pass
// of every port succeeded. "Cannot open COM<n>" and other messages go to standard error.
int RunLoopbackWithoutWindow(const LoopbackOptions& options);

}  // namespace device
