// The desktop tester's one global record: the form, the port records of the range under test
// and the flags its handlers share.
//
// Threads: one thread does everything (the user-interface thread, or the one thread of the
// run without a window). stopRequested is atomic because the run without a window sets it
// from its interrupt handler.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "device/connection/serial_types.h"

namespace ui {
struct Dialog;
}

namespace haberon {

struct PortRecord {
    serial::HANDLE handle = serial::INVALID_HANDLE_VALUE;
    std::int16_t id = 0;  // the port number when open, -1 when opening failed, 0 after a close
    std::int16_t sent = 0;
    std::int16_t sendFail = 0;
    std::int16_t received = 0;
    std::int16_t receiveFail = 0;
    std::int16_t compFail = 0;
};

struct HaberonState {
    // frmMain while it exists; null in the run without a window.
    ui::Dialog* frmMain = nullptr;
    // One record per port of the range opened last, indexed by port number minus the lower port.
    std::vector<PortRecord> portRecords;
    // Set by Stop; the pass looks at it before each port.
    std::atomic<bool> stopRequested{false};
    // A run is under way inside the Go handler.
    bool running = false;
    // The window was closed during a run: the program ends once the run has closed its ports.
    bool endAfterRun = false;
};

extern HaberonState state;

}  // namespace haberon
