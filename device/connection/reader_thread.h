// The terminal port's reader thread and the other direction, SendChar.
//
// The reader waits for line events on the port it was started for, moves received bytes to
// the screen one at a time, reports breaks and line errors in message boxes (on its own
// thread: until the user dismisses one, nothing is read), and refreshes the lamps after every
// event. It serves only its own port, so a reader left behind by an earlier connection (its box
// still open across Disconnect and Connect) fails on its closed handle and never touches the
// port of a newer connection.
#pragma once

#include <string>

#include "device/connection/serial_types.h"

namespace device {

// Armed before every wait: received bytes, CTS, DSR, DCD, break, line error and ring.
inline constexpr serial::DWORD kReaderEventMask = 0x01F9;

// Thread body; started by OpenPort for each connection. Returns 0.
int ReaderThread(serial::HANDLE port);

// "Error Event:" followed by a word for each line-error bit set, in the reader's order.
std::string LineErrorText(serial::DWORD errors);

// Writes the low 8 bits of `code` as one byte to the terminal port; non-zero on success.
serial::BOOL SendChar(unsigned code);

}  // namespace device
