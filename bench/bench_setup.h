// Setting up the ports a benchmark drives: the port map, a pseudo-terminal pair, a port opened
// with the testers' settings. A step that fails ends the program with status 1 through Abort,
// since no figure measured without it would mean anything.
#pragma once

#include <string>

#include "device/connection/serial_api.h"

namespace bench {

// Reports why the benchmark cannot go on and exits with status 1.
[[noreturn]] void Abort(const std::string& what);

// Makes `text` the port map in use, through a temporary file; COM names it does not list are
// no port.
void UsePortMap(const std::string& text);

// Opens `name` with the testers' start-up settings (8N1, DTR and RTS raised, parity checking)
// at `rate`, under `timeouts`.
serial::HANDLE OpenPort(const char* name, serial::DWORD rate, const serial::COMMTIMEOUTS& timeouts);

// A pseudo-terminal pair. The benchmark plays the far end on the blocking master; a port, or
// the bare baseline, opens the device end.
class PseudoTerminal {
  public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int master() const { return master_; }
    const std::string& devicePath() const { return devicePath_; }
    // Opens the device end blocking and raw, for the bare read/write loop of a baseline.
    int OpenDeviceRaw() const;

  private:
    int master_ = -1;
    std::string devicePath_;
};

// CPU time the whole process has used so far, in seconds.
double ProcessCpuSeconds();
// CPU time the calling thread has used so far, in seconds.
double ThreadCpuSeconds();

}  // namespace bench
