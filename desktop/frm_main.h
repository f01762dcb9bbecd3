// frmMain: the tester's window with its Load and Unload handlers and the Go and Stop buttons.
//
// A run lives inside the Go handler and keeps the window responsive through its yields (after
// every write, every read and every pass). The run keeps the port range and the rate that Go
// read, whatever the boxes say later. Stop returns at once and the run ends at the next port;
// Go stays disabled until the stopped run has closed its ports. Closing the window during a
// run stops it; once its ports are closed, the settings are written and the program ends.
//
// Threads: the user-interface thread.
#pragma once

#include "platform/dialog.h"

namespace haberon {

// Builds frmMain (running its Load handler) and shows it. False when a form exists already.
bool ShowFrmMain();

void frmMain_Load(ui::Dialog& form);
void frmMain_Unload(ui::Dialog& form);
void cmdGo_Click();
void cmdStop_Click();
// The user closed the window: the program ends now, or after the run under way.
void frmMain_CloseRequested();

// The program with its window: 0 after a normal end, 1 when it cannot start (no display).
int RunWindow(int& argc, char** argv);

}  // namespace haberon
