// picocom, the small serial terminal, run beside termivo on the same kind of port: it reads a
// pseudo-terminal device and writes what arrives to a terminal of its own, another
// pseudo-terminal whose output the benchmark drains and checks, as a terminal emulator would.
#pragma once

#include <sys/types.h>

#include <string>

#include "bench/terminal_text.h"

namespace bench {

// Whether picocom is installed (on the PATH).
bool PicocomInstalled();

class PicocomRun {
  public:
    // Starts picocom on `devicePath` and waits until it reports "Terminal ready". Aborts when
    // it does not start.
    explicit PicocomRun(const std::string& devicePath);
    // Ends picocom.
    ~PicocomRun();
    PicocomRun(const PicocomRun&) = delete;
    PicocomRun& operator=(const PicocomRun&) = delete;

    // Reads picocom's terminal until `data` has come out of it; false when other bytes came,
    // or nothing for five seconds.
    bool Receive(const Bytes& data);
    // CPU time picocom has used so far, in seconds.
    double CpuSeconds() const;

  private:
    int terminal_ = -1;  // master end of picocom's own terminal
    pid_t pid_ = -1;
};

}  // namespace bench
