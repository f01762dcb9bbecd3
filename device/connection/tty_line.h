// A port on a kernel tty (/dev/ttyS*, /dev/ttyUSB*, a pseudo-terminal, ...).
//
// The open is exclusive for everybody, root too: flock on the descriptor plus TIOCEXCL.
// One I/O thread per port waits in epoll on {descriptor, wake eventfd, cancel eventfd, modem
// timer, lease timer}: it reads into the port's receive ring, decodes the in-band error
// marks, merges the kernel's error counters where the driver keeps them, and latches events.
// When the ring is full it stops reading, so the kernel's own buffering and flow control hold
// the bytes back.
//
// A ReadFile that must wait takes the descriptor from the I/O thread (which then watches only
// for a hang-up), polls it itself and reads straight into the ring, so that a burst wakes one
// thread, not two. The descriptor stays with the reader between its calls while they keep
// coming, and goes back to the I/O thread after a lease tick (10 ms) without one, at once when
// a WaitCommEvent begins (the I/O thread raises the events then), and before ClearCommError
// reports. A read that returns at once only reads what is there, into the ring: the terminal's
// byte-by-byte reads then come from the ring without a system call.
//
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
