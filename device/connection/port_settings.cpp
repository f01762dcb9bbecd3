#include "device/connection/port_settings.h"

namespace device {

serial::DCB StartupDcb() {
    serial::DCB dcb;
    dcb.DCBlength = 28;
    dcb.BaudRate = 9600;
    dcb.ByteSize = 8;
    dcb.Parity = serial::NOPARITY;
    dcb.StopBits = serial::ONESTOPBIT;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    // Binary, parity checking, DTR enabled, transmit goes on after XOFF, RTS enabled.
    dcb.flags = 0x1093;
    return dcb;
}

}  // namespace device
