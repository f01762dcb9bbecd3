// The Send Data dialog (template 105): the package size and "Keep sending until canceled".
// Send stores both and clears cancelFlag; Cancel sets cancelFlag and stores nothing.
#pragma once

namespace device {

// Runs the dialog modally over the main window; returns 1 after Send, 0 after Cancel.
int SendDataDialog();

}  // namespace device
