#include "device/connection/line_events.h"

#include <sys/ioctl.h>

#include <cstring>

namespace serial {

DWORD EventsForErrors(DWORD ceBits) {
    DWORD events = 0;
    if (ceBits & CE_BREAK) {
        events |= EV_BREAK;
    }
    if (ceBits & (CE_RXOVER | CE_OVERRUN | CE_RXPARITY | CE_FRAME | CE_TXFULL)) {
        events |= EV_ERR;
    }
    return events;
}

DWORD EventsForModemChange(DWORD before, DWORD after) {
    const DWORD changed = before ^ after;
    DWORD events = 0;
    if (changed & MS_CTS_ON) {
        events |= EV_CTS;
    }
    if (changed & MS_DSR_ON) {
        events |= EV_DSR;
    }
    if (changed & MS_RLSD_ON) {
        events |= EV_RLSD;
    }
    if (changed & MS_RING_ON) {
        events |= EV_RING;
    }
    return events;
}

DWORD ModemStatusFromTiocm(int tiocm) {
    DWORD status = 0;
    if (tiocm & TIOCM_CTS) {
        status |= MS_CTS_ON;
    }
    if (tiocm & TIOCM_DSR) {
        status |= MS_DSR_ON;
    }
    if (tiocm & TIOCM_RNG) {
        status |= MS_RING_ON;
    }
    if (tiocm & TIOCM_CD) {
        status |= MS_RLSD_ON;
    }
    return status;
}

DWORD ErrorsFromCounters(const LineCounters& before, const LineCounters& after) {
    DWORD errors = 0;
    if (after.frame != before.frame) {
        errors |= CE_FRAME;
    }
    if (after.parity != before.parity) {
        errors |= CE_RXPARITY;
    }
    if (after.overrun != before.overrun) {
        errors |= CE_OVERRUN;
    }
    if (after.bufOverrun != before.bufOverrun) {
        errors |= CE_RXOVER;
    }
    if (after.brk != before.brk) {
        errors |= CE_BREAK;
    }
    return errors;
}

DecodedMarks DecodeMarked(MarkDecoder& decoder, const BYTE* in, std::size_t count, BYTE* out) {
    DecodedMarks result;
    std::size_t i = 0;
    while (i < count) {
        if (decoder.state == 0) {
            // Copy the run up to the next 0xFF in one go: marks are rare.
            const void* mark = std::memchr(in + i, 0xFF, count - i);
            const std::size_t run =
                mark ? static_cast<std::size_t>(static_cast<const BYTE*>(mark) - (in + i))
                     : count - i;
            std::memcpy(out + result.dataCount, in + i, run);
            result.dataCount += run;
            i += run;
            if (i < count) {
                decoder.state = 1;
                ++i;
            }
            continue;
        }
        const BYTE byte = in[i++];
        if (decoder.state == 1) {
            if (byte == 0xFF) {
                out[result.dataCount++] = 0xFF;
                decoder.state = 0;
            } else {
                decoder.state = 2;
            }
        } else {
            if (byte == 0) {
                ++result.breaks;
            } else {
                out[result.dataCount++] = byte;
                ++result.errorBytes;
            }
            decoder.state = 0;
        }
    }
    return result;
}

DWORD ErrorsFromMarks(const DecodedMarks& marks, bool parityBitOnLine) {
    DWORD errors = marks.breaks > 0 ? CE_BREAK : 0;
    if (marks.errorBytes > 0) {
        errors |= parityBitOnLine ? CE_RXPARITY : CE_FRAME;
    }
    return errors;
}

}  // namespace serial
