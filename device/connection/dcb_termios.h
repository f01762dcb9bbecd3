// Translation between the DCB and the kernel's termios2, the record that carries any line
// rate. Pure functions: no descriptor is touched here.
//
// A DCB that a tty cannot hold exactly is refused, never approximated: 4 data bits, 1.5 stop
// bits other than with 5 data bits, DSR flow control or sensitivity, DTR handshake, RTS
// toggle, one-sided RTS/CTS (the kernel only does both directions), fInX without
// fTXContinueOnXoff (the kernel keeps sending after it sent XOFF), the error character,
// NUL stripping and abort-on-error.
#pragma once

#include <asm/termbits.h>

#include <string>

#include "device/connection/serial_types.h"

namespace serial {

// Empty when the DCB can be held; otherwise why not, for the debug output.
std::string WhyDcbDoesNotFit(const DCB& dcb);

// Raw mode and the line settings of `dcb` (which must fit). With `errorMarks` breaks and bad
// bytes arrive as in-band marks; a line that cannot carry line errors (a pseudo-terminal)
// goes without them and keeps the kernel's fast path.
void ApplyDcbToTermios(const DCB& dcb, bool errorMarks, termios2* tio);

// Whether the settings the driver kept (read back) are those that were asked for.
bool TermiosHoldsRequest(const termios2& requested, const termios2& kept);

// Fills the line fields of `dcb` from what the driver holds; the other fields, fParity among
// them, stay.
void ReadTermiosIntoDcb(const termios2& tio, DCB* dcb);

}  // namespace serial
