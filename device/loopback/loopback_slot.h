// The record of one port under the loopback test, and the outcome bits of a pass.
#pragma once

#include <atomic>
#include <memory>

#include "device/connection/serial_types.h"
#include "platform/kernel.h"

namespace device {

// Outcome bits of one pass. The writer sets one of the first two, the reader one of the rest.
inline constexpr unsigned kWriteComplete = 0x04;
inline constexpr unsigned kWriteShort = 0x02;
inline constexpr unsigned kReadShort = 0x10;
inline constexpr unsigned kReadMismatch = 0x20;
inline constexpr unsigned kReadMatch = 0x80;

struct LoopbackPortSlot {
    serial::HANDLE handle = serial::INVALID_HANDLE_VALUE;
    kernel::EventHandle passEvent;    // auto-reset: the reader releases the writer for one pass
    kernel::EventHandle reportEvent;  // auto-reset: the writer has set its bit, or has ended
    std::atomic<unsigned> status{0};  // the current pass's outcome bits
    std::atomic<bool> writerEnded{false};
    std::atomic<bool> readerEnded{false};  // the writer ends at its next wake-up
    int passCount = 0;                     // written by the reader alone
    int errorCount = 0;                    // written by the reader alone
    int reported = 0;  // passes that got a result line; written by the reader alone
    int screenRow = 0;
    int portNumber = 0;  // the slot's own index, 0 to 9
    std::unique_ptr<serial::BYTE[]> rxBuffer;
};

}  // namespace device
