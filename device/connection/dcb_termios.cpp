#include "device/connection/dcb_termios.h"

namespace serial {

namespace {

constexpr tcflag_t kLineBits = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
constexpr tcflag_t kInputBits = PARMRK | INPCK | IXON | IXOFF;

tcflag_t SizeBits(BYTE byteSize) {
    switch (byteSize) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        default:
            return CS8;
    }
}

}  // namespace

std::string WhyDcbDoesNotFit(const DCB& dcb) {
    if (dcb.BaudRate == 0) {
        return "a line rate of 0";
    }
    if (dcb.ByteSize < 5 || dcb.ByteSize > 8) {
        return std::to_string(dcb.ByteSize) + " data bits";
    }
    if (dcb.Parity > SPACEPARITY) {
        return "parity code " + std::to_string(dcb.Parity);
    }
    if (dcb.StopBits > TWOSTOPBITS) {
        return "stop-bit code " + std::to_string(dcb.StopBits);
    }
    if (dcb.StopBits == ONE5STOPBITS && dcb.ByteSize != 5) {
        return "1.5 stop bits with more than 5 data bits";
    }
    if (dcb.StopBits == TWOSTOPBITS && dcb.ByteSize == 5) {
        return "2 stop bits with 5 data bits (the line gives 1.5)";
    }
    if (dcb.flags & (kFlagOutxDsrFlow | kFlagDsrSensitivity)) {
        return "DSR flow control";
    }
    if (DtrControl(dcb) == DTR_CONTROL_HANDSHAKE) {
        return "DTR handshake";
    }
    if (RtsControl(dcb) == RTS_CONTROL_TOGGLE) {
        return "RTS toggle";
    }
    const bool ctsFlow = (dcb.flags & kFlagOutxCtsFlow) != 0;
    if (ctsFlow != (RtsControl(dcb) == RTS_CONTROL_HANDSHAKE)) {
        return "RTS/CTS flow control in one direction only";
    }
    if (dcb.flags & (kFlagErrorChar | kFlagNull | kFlagAbortOnError)) {
        return "error-character replacement, NUL stripping or abort on error";
    }
    if ((dcb.flags & (kFlagOutX | kFlagInX)) && dcb.XonChar == dcb.XoffChar) {
        return "the same XON and XOFF character";
    }
    if ((dcb.flags & kFlagInX) && !(dcb.flags & kFlagTXContinueOnXoff)) {
        return "XON/XOFF input flow control that stops sending after XOFF (a tty sends on)";
    }
    return {};
}

void ApplyDcbToTermios(const DCB& dcb, bool errorMarks, termios2* tio) {
    tio->c_iflag &= ~(IGNBRK | BRKINT | IGNPAR | ISTRIP | INLCR | IGNCR | ICRNL | IUCLC | IXANY |
                      IMAXBEL | PARMRK | kInputBits);
    if (errorMarks) {
        // Breaks and bad bytes arrive as in-band marks so that they are reported in order.
        // The kernel marks framing errors only with INPCK, so it is on whatever fParity says;
        // fParity decides whether parity errors are reported.
        tio->c_iflag |= PARMRK | INPCK;
    }
    if (dcb.flags & kFlagOutX) {
        tio->c_iflag |= IXON;
    }
    if (dcb.flags & kFlagInX) {
        tio->c_iflag |= IXOFF;
    }
    tio->c_oflag = 0;
    tio->c_lflag = 0;

    tio->c_cflag &= ~(kLineBits | CBAUD | (CBAUD << IBSHIFT));
    tio->c_cflag |= CREAD | CLOCAL | SizeBits(dcb.ByteSize) | BOTHER | (BOTHER << IBSHIFT);
    switch (dcb.Parity) {
        case ODDPARITY:
            tio->c_cflag |= PARENB | PARODD;
            break;
        case EVENPARITY:
            tio->c_cflag |= PARENB;
            break;
        case MARKPARITY:
            tio->c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case SPACEPARITY:
            tio->c_cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
    }
    // With 5 data bits the UART's second stop bit is one and a half bits long.
    if (dcb.StopBits != ONESTOPBIT) {
        tio->c_cflag |= CSTOPB;
    }
    if (dcb.flags & kFlagOutxCtsFlow) {
        tio->c_cflag |= CRTSCTS;
    }
    tio->c_ispeed = dcb.BaudRate;
    tio->c_ospeed = dcb.BaudRate;

    tio->c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    tio->c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
    tio->c_cc[VMIN] = 1;
    tio->c_cc[VTIME] = 0;
}

bool TermiosHoldsRequest(const termios2& requested, const termios2& kept) {
    return (requested.c_cflag & kLineBits) == (kept.c_cflag & kLineBits) &&
           (requested.c_iflag & kInputBits) == (kept.c_iflag & kInputBits) &&
           requested.c_ospeed == kept.c_ospeed;
}

void ReadTermiosIntoDcb(const termios2& tio, DCB* dcb) {
    dcb->BaudRate = tio.c_ospeed;
    switch (tio.c_cflag & CSIZE) {
        case CS5:
            dcb->ByteSize = 5;
            break;
        case CS6:
            dcb->ByteSize = 6;
            break;
        case CS7:
            dcb->ByteSize = 7;
            break;
        default:
            dcb->ByteSize = 8;
            break;
    }
    if (!(tio.c_cflag & PARENB)) {
        dcb->Parity = NOPARITY;
    } else if (tio.c_cflag & CMSPAR) {
        dcb->Parity = (tio.c_cflag & PARODD) ? MARKPARITY : SPACEPARITY;
    } else {
        dcb->Parity = (tio.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
    }
    if (!(tio.c_cflag & CSTOPB)) {
        dcb->StopBits = ONESTOPBIT;
    } else {
        dcb->StopBits = dcb->ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS;
    }

    auto setFlag = [dcb](DWORD bit, bool on) {
        dcb->flags = on ? dcb->flags | bit : dcb->flags & ~bit;
    };
    setFlag(kFlagOutX, tio.c_iflag & IXON);
    setFlag(kFlagInX, tio.c_iflag & IXOFF);
    const bool rtsCts = tio.c_cflag & CRTSCTS;
    setFlag(kFlagOutxCtsFlow, rtsCts);
    const DWORD rts = rtsCts                                      ? RTS_CONTROL_HANDSHAKE
                      : RtsControl(*dcb) == RTS_CONTROL_HANDSHAKE ? RTS_CONTROL_ENABLE
                                                                  : RtsControl(*dcb);
    dcb->flags = (dcb->flags & ~(3u << kRtsControlShift)) | (rts << kRtsControlShift);
    dcb->XonChar = static_cast<char>(tio.c_cc[VSTART]);
    dcb->XoffChar = static_cast<char>(tio.c_cc[VSTOP]);
}

}  // namespace serial
