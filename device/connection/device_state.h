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
#include "device/loopback/loopback_slot.h"
#include "platform/kernel.h"

namespace device {

// Generated data: byte i holds the ASCII digit of i mod 10. Each sender and each loopback run
// holds the buffer it built, so a newer one never frees an older one under a running thread.
struct TestBuffer {
    std::unique_ptr<serial::BYTE[]> bytes;
    std::uint32_t size = 0;
};

inline constexpr int kLoopbackSlots = 10;

// What a running loopback test started with, kept for the whole run whatever the settings
// dialogs or Send Data change meanwhile.
struct LoopbackRun {
    bool running = false;  // user-interface thread
    int firstPort = 0;
    int portCount = 0;
    std::uint32_t packageSize = 0;
    std::shared_ptr<const TestBuffer> buffer;
    std::atomic<bool> stop{false};  // the threads end at their next look
    std::atomic<int> threads{0};    // writer and reader threads that have not ended
    kernel::EventHandle ended;      // set when the last thread has ended
    std::atomic<int> passes{0};     // passes judged so far, all ports together
    int unopened = 0;               // ports that could not be opened
    int passLimit = 0;              // passes per port before the reader ends; 0 for no limit
    // Where the header and result lines go: the screen's rows, or another output. Set while
    // no test runs.
    void (*clearOutput)() = nullptr;
    void (*writeLine)(const char16_t* text, int row) = nullptr;
};

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
    std::atomic<std::uint32_t> packageSize{1000};
    std::atomic<bool> keepSending{false};
    std::atomic<bool> cancelFlag{false};
    std::atomic<std::int32_t> totalSent{0};
    std::atomic<int> senderThreads{0};

    // Loopback test.
    int loopFirstPort = 1;
    int loopPortCount = 1;
    kernel::EventHandle abortEvent;  // manual-reset: releases every writer at Stop
    LoopbackPortSlot loopSlots[kLoopbackSlots];
    LoopbackRun loopRun;

    // Guards the terminal screen; re-entrant.
    kernel::ScreenLock screenLock;
};

extern DeviceState deviceState;

// Puts every field back to its start-up value. Only while no worker thread runs.
void ResetDeviceState();

}  // namespace device
