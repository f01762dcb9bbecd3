// The loopback test: up to ten ports at once, each port's transmitted data looped back to its
// own receive line. Each port has a writer thread that sends the test buffer once per pass
// and a reader thread that starts each pass, reads the bytes back, compares them and writes
// the port's result line.
//
// Port n uses slot n and is opened as "COM<n>:", except port 10, which uses slot 0 and is
// opened as "COM0:". A run keeps the port range, package size and buffer it started with.
// Start and Stop run on the user-interface thread; Stop ends every thread of the run before
// it releases anything.
#pragma once

#include <cstdint>
#include <string>

namespace device {

inline constexpr char kLoopbackHeader[] = "PORT  COUNT  ERROR    STATUS";

// The total read time-out of a pass, in ms: 10000. Tests shorten it; nothing else changes it.
extern std::uint32_t loopbackReadTimeout;

// Sets every port up, starts its threads and returns at once: true when the test runs (also
// when some ports could not be opened), false when it refused or failed (after a message).
bool StartLoopback();
// Ends every thread of the run, then releases what Start took.
void StopLoopback();
// Closes the abort event and, for every port of the run, its handle and events, and frees its
// receive buffer. Only once no thread of the run is left.
void ReleaseLoopbackSlots();

// Thread bodies of one port, each working on the slot with the index `portNumber` holds.
void LoopbackWriter(const int& portNumber);
void LoopbackReader(const int& portNumber);
// Waits for the writer's report of the current pass, judges it and writes the result line.
// False when the writer has ended without a report: the port can do no further pass.
bool ReportLoopbackPass(int slot);

// "COM%d  %5d  %5d    %s": the result line of a port.
std::string LoopbackResultLine(int slot, int passCount, int errorCount, const char* status);
// The status text of a pass's outcome bits, and whether it counts as an error.
const char* JudgeLoopbackPass(unsigned status, bool* error);

// The Start and Stop commands: the test and the loopback menu.
void LoopbackStartCommand();
void LoopbackStopCommand();

}  // namespace device
