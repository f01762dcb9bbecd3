// A port on a kernel tty (/dev/ttyS*, /dev/ttyUSB*, a pseudo-terminal, ...).
//
// The open is exclusive for everybody, root too: flock on the descriptor plus TIOCEXCL.
// One I/O thread per port polls {descriptor, wake eventfd, cancel eventfd, modem timer}: it
// reads into the port's receive ring, decodes the in-band error marks, merges the kernel's
// error counters where the driver keeps them, and latches events. When the ring is full it
// stops reading, so the kernel's own buffering and flow control hold the bytes back.
// Modem inputs are watched with TIOCMIWAIT on a thread of their own where the driver has it,
// else with a slow timer; a driver without modem lines (a pseudo-terminal) costs nothing.
// Writes run on the caller's thread and poll the cancel eventfd, so CloseHandle ends them.
#pragma once

#include <memory>
#include <string>

#include "device/connection/line_driver.h"
#include "device/connection/port_core.h"

namespace serial {

// Opens `path` for `core`, or returns null with the reason (missing, busy, permission, not a
// tty) written to the debug output under the port's name.
std::unique_ptr<LineDriver> OpenTtyLine(const std::string& portName, const std::string& path,
                                        PortCore& core);

}  // namespace serial
