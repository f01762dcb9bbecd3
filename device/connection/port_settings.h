// The device tester's port configuration: the terminal port's name and the line settings
// applied to every port it opens (the terminal's and the loopback test's).
#pragma once

#include <array>

#include "device/connection/serial_types.h"

namespace device {

struct PortSettings {
    // Port device name without the colon; terminated.
    wchar_t portName[64] = L"COM1";
    serial::DCB dcb;
};

// The rates both settings dialogs offer, in their order.
inline constexpr std::array<serial::DWORD, 14> baudRateChoices = {
    300,   1200,  2400,   4800,   9600,   14400,  19200,
    38400, 57600, 115200, 230400, 460800, 921600, 1382400};

// 9600 baud, 8 data bits, no parity, one stop bit, DTR and RTS enabled, parity checking on,
// XON 0x11 and XOFF 0x13; every other field 0.
serial::DCB StartupDcb();

}  // namespace device
