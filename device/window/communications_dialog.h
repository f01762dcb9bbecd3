// The Communications dialog (template 102): the terminal port's name and its line settings.
// OK stores them in portSettings and, while the port is open, applies them to it at once;
// the name cannot be changed while the port is open. Cancel changes nothing.
#pragma once

#include "device/connection/serial_types.h"

namespace device {

// Runs the dialog modally over the main window; returns 1 after OK, 0 after Cancel.
int CommunicationsDialog();

// The flags word after choosing flow control "None" (0), "RTS/CTS" (1) or "XON/XOFF" (2), or
// no choice (-1, as "None"): the six flow-control fields set, DSR sensitivity off, every other
// bit kept.
serial::DWORD FlowControlFlags(serial::DWORD flags, int choice);

}  // namespace device
