// Pure translators between what a line reports and the event, error and modem words of the
// serial interface. No port, no lock: each is a function of its inputs, so break, error and
// lamp logic is checked from tables.
#pragma once

#include <cstddef>
#include <cstdint>

#include "device/connection/serial_types.h"

namespace serial {

// Events that a set of latched line errors raises: CE_BREAK raises EV_BREAK, the receive
// and transmit errors raise EV_ERR.
DWORD EventsForErrors(DWORD ceBits);

// Events of the modem inputs that differ between two MS_ snapshots.
DWORD EventsForModemChange(DWORD before, DWORD after);

// MS_ bits from the kernel's TIOCM_ modem bits.
DWORD ModemStatusFromTiocm(int tiocm);

// The kernel's cumulative line-error counters of a port.
struct LineCounters {
    std::uint32_t frame = 0;
    std::uint32_t parity = 0;
    std::uint32_t overrun = 0;     // the UART lost bytes
    std::uint32_t bufOverrun = 0;  // the kernel's receive buffer lost bytes
    std::uint32_t brk = 0;
};

// CE_ bits for every counter that went up between two readings.
DWORD ErrorsFromCounters(const LineCounters& before, const LineCounters& after);

// Decodes the in-band marks the tty layer inserts with PARMRK: 0xFF 0xFF is a data byte
// 0xFF, 0xFF 0x00 0x00 a break (or a NUL with a framing error) and 0xFF 0x00 X a byte X
// received with a framing or parity error. A mark split across reads is completed by the
// next call.
struct MarkDecoder {
    int state = 0;  // bytes of a mark seen so far
};

struct DecodedMarks {
    std::size_t dataCount = 0;  // clean bytes written to the output
    int breaks = 0;
    int errorBytes = 0;
};

// Writes the data bytes of `in` to `out` (room for `count` bytes is enough).
DecodedMarks DecodeMarked(MarkDecoder& decoder, const BYTE* in, std::size_t count, BYTE* out);

// CE_ bits of decoded marks, for a driver without error counters. A marked byte cannot tell
// framing from parity: with a parity bit on the line parity is the likelier fault.
DWORD ErrorsFromMarks(const DecodedMarks& marks, bool parityBitOnLine);

}  // namespace serial
