// Records and constants of the serial port interface both testers call: the DCB with its
// flag bits, COMMTIMEOUTS, COMSTAT, and the event, line-error, modem-status and escape codes.
// Values are those of the platform interface the testers were written against, so that
// code and stored numbers read the same on every host.
#pragma once

#include <cstdint>

namespace serial {

using HANDLE = std::int32_t;
using DWORD = std::uint32_t;
using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;

inline constexpr HANDLE INVALID_HANDLE_VALUE = -1;

// DCB flags word.
inline constexpr DWORD kFlagBinary = 1u << 0;
inline constexpr DWORD kFlagParity = 1u << 1;
inline constexpr DWORD kFlagOutxCtsFlow = 1u << 2;
inline constexpr DWORD kFlagOutxDsrFlow = 1u << 3;
inline constexpr DWORD kDtrControlShift = 4;  // two bits
inline constexpr DWORD kFlagDsrSensitivity = 1u << 6;
inline constexpr DWORD kFlagTXContinueOnXoff = 1u << 7;
inline constexpr DWORD kFlagOutX = 1u << 8;
inline constexpr DWORD kFlagInX = 1u << 9;
inline constexpr DWORD kFlagErrorChar = 1u << 10;
inline constexpr DWORD kFlagNull = 1u << 11;
inline constexpr DWORD kRtsControlShift = 12;  // two bits
inline constexpr DWORD kFlagAbortOnError = 1u << 14;

inline constexpr DWORD DTR_CONTROL_DISABLE = 0;
inline constexpr DWORD DTR_CONTROL_ENABLE = 1;
inline constexpr DWORD DTR_CONTROL_HANDSHAKE = 2;
inline constexpr DWORD RTS_CONTROL_DISABLE = 0;
inline constexpr DWORD RTS_CONTROL_ENABLE = 1;
inline constexpr DWORD RTS_CONTROL_HANDSHAKE = 2;
inline constexpr DWORD RTS_CONTROL_TOGGLE = 3;

inline constexpr BYTE NOPARITY = 0;
inline constexpr BYTE ODDPARITY = 1;
inline constexpr BYTE EVENPARITY = 2;
inline constexpr BYTE MARKPARITY = 3;
inline constexpr BYTE SPACEPARITY = 4;

inline constexpr BYTE ONESTOPBIT = 0;
inline constexpr BYTE ONE5STOPBITS = 1;
inline constexpr BYTE TWOSTOPBITS = 2;

struct DCB {
    DWORD DCBlength = sizeof(DCB);
    DWORD BaudRate = 0;
    DWORD flags = 0;
    WORD wReserved = 0;
    WORD XonLim = 0;
    WORD XoffLim = 0;
    BYTE ByteSize = 0;
    BYTE Parity = 0;
    BYTE StopBits = 0;
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
    WORD wReserved1 = 0;
};
static_assert(sizeof(DCB) == 28, "DCB keeps its 28-byte layout");

inline constexpr DWORD DtrControl(const DCB& dcb) {
    return (dcb.flags >> kDtrControlShift) & 3;
}
inline constexpr DWORD RtsControl(const DCB& dcb) {
    return (dcb.flags >> kRtsControlShift) & 3;
}

struct COMMTIMEOUTS {
    DWORD ReadIntervalTimeout = 0;
    DWORD ReadTotalTimeoutMultiplier = 0;
    DWORD ReadTotalTimeoutConstant = 0;
    DWORD WriteTotalTimeoutMultiplier = 0;
    DWORD WriteTotalTimeoutConstant = 0;
};

inline constexpr DWORD MAXDWORD = 0xFFFFFFFF;

struct COMSTAT {
    DWORD flags = 0;
    DWORD cbInQue = 0;
    DWORD cbOutQue = 0;
};

// Event mask bits.
inline constexpr DWORD EV_RXCHAR = 0x0001;
inline constexpr DWORD EV_RXFLAG = 0x0002;
inline constexpr DWORD EV_TXEMPTY = 0x0004;
inline constexpr DWORD EV_CTS = 0x0008;
inline constexpr DWORD EV_DSR = 0x0010;
inline constexpr DWORD EV_RLSD = 0x0020;
inline constexpr DWORD EV_BREAK = 0x0040;
inline constexpr DWORD EV_ERR = 0x0080;
inline constexpr DWORD EV_RING = 0x0100;

// Line-error bits.
inline constexpr DWORD CE_RXOVER = 0x0001;
inline constexpr DWORD CE_OVERRUN = 0x0002;
inline constexpr DWORD CE_RXPARITY = 0x0004;
inline constexpr DWORD CE_FRAME = 0x0008;
inline constexpr DWORD CE_BREAK = 0x0010;
inline constexpr DWORD CE_TXFULL = 0x0100;

// Modem-status bits.
inline constexpr DWORD MS_CTS_ON = 0x10;
inline constexpr DWORD MS_DSR_ON = 0x20;
inline constexpr DWORD MS_RING_ON = 0x40;
inline constexpr DWORD MS_RLSD_ON = 0x80;

// Escape codes.
inline constexpr DWORD SETXOFF = 1;
inline constexpr DWORD SETXON = 2;
inline constexpr DWORD SETRTS = 3;
inline constexpr DWORD CLRRTS = 4;
inline constexpr DWORD SETDTR = 5;
inline constexpr DWORD CLRDTR = 6;
inline constexpr DWORD SETBREAK = 8;
inline constexpr DWORD CLRBREAK = 9;

// Open arguments.
inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;
inline constexpr DWORD OPEN_EXISTING = 3;

}  // namespace serial
