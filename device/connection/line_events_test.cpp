#include "device/connection/line_events.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <string>
#include <vector>

namespace serial {
namespace {

TEST(LineEvents, ErrorsRaiseBreakAndErrorEvents) {
    struct Case {
        DWORD errors;
        DWORD events;
    } cases[] = {
        {0, 0},
        {CE_BREAK, EV_BREAK},
        {CE_FRAME, EV_ERR},
        {CE_RXPARITY | CE_OVERRUN, EV_ERR},
        {CE_RXOVER, EV_ERR},
        {CE_TXFULL, EV_ERR},
        {CE_BREAK | CE_FRAME, EV_BREAK | EV_ERR},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EventsForErrors(c.errors), c.events) << "errors " << c.errors;
    }
}

TEST(LineEvents, ModemChangesRaiseTheirEvents) {
    struct Case {
        DWORD before, after, events;
    } cases[] = {
        {0, 0, 0},
        {0, MS_CTS_ON, EV_CTS},
        {MS_CTS_ON, 0, EV_CTS},
        {MS_DSR_ON | MS_RLSD_ON, MS_DSR_ON, EV_RLSD},
        {0, MS_DSR_ON | MS_RLSD_ON | MS_RING_ON, EV_DSR | EV_RLSD | EV_RING},
        {MS_CTS_ON | MS_DSR_ON, MS_CTS_ON | MS_DSR_ON, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EventsForModemChange(c.before, c.after), c.events)
            << c.before << " -> " << c.after;
    }
    EXPECT_EQ(ModemStatusFromTiocm(TIOCM_CTS | TIOCM_DSR | TIOCM_CD | TIOCM_RNG | TIOCM_RTS),
              MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON | MS_RING_ON);
    EXPECT_EQ(ModemStatusFromTiocm(TIOCM_DTR | TIOCM_RTS), 0u);
}

TEST(LineEvents, CounterIncreasesBecomeErrorBits) {
    const LineCounters base{5, 5, 5, 5, 5};
    struct Case {
        LineCounters after;
        DWORD errors;
    } cases[] = {
        {{5, 5, 5, 5, 5}, 0},
        {{6, 5, 5, 5, 5}, CE_FRAME},
        {{5, 7, 5, 5, 5}, CE_RXPARITY},
        {{5, 5, 6, 5, 5}, CE_OVERRUN},
        {{5, 5, 5, 9, 5}, CE_RXOVER},
        {{5, 5, 5, 5, 6}, CE_BREAK},
        {{6, 6, 6, 6, 6}, CE_FRAME | CE_RXPARITY | CE_OVERRUN | CE_RXOVER | CE_BREAK},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ErrorsFromCounters(base, c.after), c.errors);
    }
}

struct Decoded {
    std::string data;
    int breaks = 0;
    int errorBytes = 0;
};

// Feeds `raw` to one decoder in pieces of `piece` bytes.
Decoded Decode(const std::string& raw, std::size_t piece) {
    MarkDecoder decoder;
    Decoded result;
    for (std::size_t at = 0; at < raw.size(); at += piece) {
        const std::string part = raw.substr(at, piece);
        std::vector<BYTE> out(part.size() + 1, 0xEE);
        const DecodedMarks marks = DecodeMarked(decoder, reinterpret_cast<const BYTE*>(part.data()),
                                                part.size(), out.data());
        result.data.append(reinterpret_cast<const char*>(out.data()), marks.dataCount);
        result.breaks += marks.breaks;
        result.errorBytes += marks.errorBytes;
    }
    return result;
}

TEST(LineEvents, InBandMarksDecodeWhereverReadsSplitThem) {
    using namespace std::string_literals;
    struct Case {
        std::string raw;
        std::string data;
        int breaks;
        int errorBytes;
    } cases[] = {
        {"plain text", "plain text", 0, 0},
        {"a\xFF\xFF"
         "b",
         "a\xFF"
         "b",
         0, 0},
        {"a\xFF\0\0b"s, "ab", 1, 0},
        {"\xFF\0X\xFF\0Y"s, "XY", 0, 2},
        {"\xFF\xFF\xFF\0\0\xFF\xFF"s, "\xFF\xFF", 1, 0},
    };
    for (const Case& c : cases) {
        for (std::size_t piece : {c.raw.size(), std::size_t{1}, std::size_t{2}}) {
            const Decoded got = Decode(c.raw, piece);
            EXPECT_EQ(got.data, c.data) << "piece " << piece;
            EXPECT_EQ(got.breaks, c.breaks) << "piece " << piece;
            EXPECT_EQ(got.errorBytes, c.errorBytes) << "piece " << piece;
        }
    }
}

TEST(LineEvents, MarksWithoutCountersBecomeErrorBits) {
    struct Case {
        int breaks, errorBytes;
        bool parityBit;
        DWORD errors;
    } cases[] = {
        {0, 0, false, 0},
        {1, 0, true, CE_BREAK},
        {0, 2, false, CE_FRAME},
        {0, 1, true, CE_RXPARITY},
        {1, 1, false, CE_BREAK | CE_FRAME},
    };
    for (const Case& c : cases) {
        DecodedMarks marks;
        marks.breaks = c.breaks;
        marks.errorBytes = c.errorBytes;
        EXPECT_EQ(ErrorsFromMarks(marks, c.parityBit), c.errors)
            << c.breaks << " breaks, " << c.errorBytes << " bad bytes, parity " << c.parityBit;
    }
}

}  // namespace
}  // namespace serial
