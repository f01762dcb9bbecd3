// The test module: opens a range of ports at a baud rate, runs loopback passes over it (128
// random bytes written, read back and compared per port), keeps five counters per port in
// state.portRecords, shows them in the results list of frmMain, and closes the range.
//
// Ports are "\\.\COM<n>", resolved through the port map. The desktop numbers its ports from 1:
// a port below 1 is never opened (COM0 would be the device tester's other name of COM10).
// Counters stop at 32767. Without a form (the run without a window) the list operations do
// nothing and the yields return at once.
//
// Threads: the user-interface thread (or the one thread of the run without a window).
#pragma once

#include <cstdint>

namespace haberon {

inline constexpr int kExchangeBytes = 128;
// At this rate and below the pass refreshes the list after every port, above it the run
// refreshes once per pass.
inline constexpr std::int32_t kRefreshEachPortRate = 38400;

void OpenPortRange(std::int16_t lower, std::int16_t upper, std::int32_t baudRate);
void ClosePortRange(std::int16_t lower, std::int16_t upper);
// Stops before the next port once state.stopRequested is set; an exchange under way completes.
void RunLoopbackPass(std::int16_t lower, std::int16_t upper, std::int32_t baudRate);

void AddResultRows(std::int16_t lower, std::int16_t upper);
void RefreshResultRows(std::int16_t lower, std::int16_t upper);
void ClearResultRows();

// Handles the window's pending events (a click on Stop among them), then returns.
void YieldToEventQueue();

}  // namespace haberon
