// The device tester's one global record: the terminal port and its reader flags, the port
// settings, the Send Data fields, the loopback fields and the screen lock. It lives for the
// whole run; every operation reads and writes it directly.
//
// Threads: the words that one thread writes and others poll are atomics. Fields that are not
// atomic belong to the user-interface thread, except where a comment says otherwise.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "device/connection/port_settings.h"
#include "device/connection/serial_types.h"
#include "platform/kernel.h"

namespace device {

struct DeviceState {
    // The terminal's open port; INVALID_HANDLE_VALUE while none is open. Written by the
    // user-interface thread, read by the sender thread.
    std::atomic<serial::HANDLE> portHandle{serial::INVALID_HANDLE_VALUE};
    PortSettings portSettings;
    std::atomic<bool> stopReader{false};
    // Reader threads that have not ended yet, those of earlier connections included: raised
    // before a reader starts, lowered by the reader as its last act.
    std::atomic<int> readerThreads{0};
    std::atomic<bool> noRead{false};

    // Send Data.
    std::uint32_t packageSize = 1000;
    std::atomic<bool> keepSending{false};
    std::atomic<bool> cancelFlag{false};
    std::atomic<std::int32_t> totalSent{0};

    // Guards the terminal screen; re-entrant.
    kernel::ScreenLock screenLock;
};

extern DeviceState deviceState;

// Puts every field back to its start-up value. Only while no worker thread runs.
void ResetDeviceState();

}  // namespace device
