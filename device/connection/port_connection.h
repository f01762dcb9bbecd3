// The terminal's connection to one port: open and configure it, show its modem lines on the
// lamps, and the connection commands of the main window. The commands run on the
// user-interface thread; RefreshLamps runs there and on the reader thread.
#pragma once

#include "device/connection/serial_types.h"

namespace device {

// Opens the port named by the port settings with ":" appended, applies the settings and the
// terminal time-outs, starts the reader, raises DTR and RTS and refreshes the lamps. False,
// with no port open, when the port cannot be opened or refuses the settings.
bool OpenPort();
// Shows the modem inputs of `port` on the four lamps and ticks DTR and RTS. Only the port of
// the current connection is shown: a refresh for a port that has been closed changes nothing.
// A port without modem lines (a pseudo-terminal) shows every lamp off.
void RefreshLamps(serial::HANDLE port);

void Connect();
void Disconnect();
void DtrChange();
void RtsChange();
void NoReadChange();
void SetBreak();
void ClearBreak();
// The main window is going away: ends the connection, stops a repeating Send Data, dismisses
// the boxes workers wait on, and waits, serving events, until every reader and sender thread
// has ended.
void ShutdownConnection();

}  // namespace device
