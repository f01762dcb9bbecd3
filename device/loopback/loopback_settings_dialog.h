// The Loopback Settings dialog (template 107): first port, number of ports, package size and
// baud rate of the loopback test. OK stores them (the rate is the terminal's too) and clears
// cancelFlag; Cancel sets cancelFlag and stores nothing. The test takes them at its next Start.
#pragma once

namespace device {

// Runs the dialog modally over the main window; returns 1 after OK, 0 after Cancel.
int LoopbackSettingsDialog();

}  // namespace device
