// Send Data: a generated block of packageSize bytes written to the terminal port once, or
// again and again until the user cancels, on a sender thread, with a report of the total.
#pragma once

#include <cstdint>
#include <memory>

#include "device/connection/device_state.h"

namespace device {

// Package sizes above this are refused like memory that cannot be had: ten loopback ports
// hold one receive buffer each besides the test buffer.
inline constexpr std::uint32_t kMaxPackageSize = 64u << 20;

// A new test buffer of packageSize bytes of the digits 0 to 9 repeated; null, after the
// message "Unable to allocated buffer", when the memory cannot be had. Any thread.
std::shared_ptr<const TestBuffer> BuildTestBuffer();

// The Send Data command (user-interface thread).
void SendDataCommand();

// Thread body: builds the buffer, writes it once or until cancelled, reports the total.
void SenderThread();

}  // namespace device
