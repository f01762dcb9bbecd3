#include "device/connection/dcb_termios.h"

#include <gtest/gtest.h>

namespace serial {
namespace {

DCB Dcb(DWORD rate, BYTE bits, BYTE parity, BYTE stop, DWORD flags = 0x1093) {
    DCB dcb;
    dcb.BaudRate = rate;
    dcb.ByteSize = bits;
    dcb.Parity = parity;
    dcb.StopBits = stop;
    dcb.flags = flags;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    return dcb;
}

constexpr DWORD kRtsCts = 0x2000 | kFlagOutxCtsFlow | 0x10 | kFlagBinary;
constexpr DWORD kXonXoff = 0x1093 | kFlagOutX | kFlagInX;

TEST(DcbTermios, LineSettingsSurviveTheRoundTrip) {
    const DCB cases[] = {
        Dcb(9600, 8, NOPARITY, ONESTOPBIT),
        Dcb(14400, 7, EVENPARITY, ONESTOPBIT),
        Dcb(1382400, 8, ODDPARITY, TWOSTOPBITS),
        Dcb(300, 6, MARKPARITY, TWOSTOPBITS),
        Dcb(115200, 5, SPACEPARITY, ONE5STOPBITS),
        Dcb(921600, 8, NOPARITY, ONESTOPBIT, kRtsCts),
        Dcb(57600, 8, NOPARITY, ONESTOPBIT, kXonXoff),
    };
    for (const DCB& wanted : cases) {
        ASSERT_EQ(WhyDcbDoesNotFit(wanted), "") << wanted.BaudRate;
        termios2 tio{};
        ApplyDcbToTermios(wanted, true, &tio);
        EXPECT_TRUE(TermiosHoldsRequest(tio, tio));
        DCB read = Dcb(1, 0, 99, 99, 0x1093);
        ReadTermiosIntoDcb(tio, &read);
        EXPECT_EQ(read.BaudRate, wanted.BaudRate);
        EXPECT_EQ(read.ByteSize, wanted.ByteSize);
        EXPECT_EQ(read.Parity, wanted.Parity);
        EXPECT_EQ(read.StopBits, wanted.StopBits);
        EXPECT_EQ(read.flags & (kFlagOutxCtsFlow | kFlagOutX | kFlagInX),
                  wanted.flags & (kFlagOutxCtsFlow | kFlagOutX | kFlagInX));
        EXPECT_EQ(RtsControl(read), RtsControl(wanted));
        // Raw mode with marks, so breaks and bad bytes are seen in order.
        EXPECT_TRUE(tio.c_iflag & PARMRK);
        EXPECT_TRUE(tio.c_iflag & INPCK) << "framing errors are marked only with INPCK";
        EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO | ISIG));
        EXPECT_EQ(tio.c_oflag, 0u);
    }
}

TEST(DcbTermios, SettingsATtyCannotHoldAreRefused) {
    const DCB cases[] = {
        Dcb(0, 8, NOPARITY, ONESTOPBIT),
        Dcb(9600, 4, NOPARITY, ONESTOPBIT),
        Dcb(9600, 9, NOPARITY, ONESTOPBIT),
        Dcb(9600, 8, 5, ONESTOPBIT),
        Dcb(9600, 8, NOPARITY, ONE5STOPBITS),
        Dcb(9600, 5, NOPARITY, TWOSTOPBITS),
        Dcb(9600, 8, NOPARITY, 3),
        Dcb(9600, 8, NOPARITY, ONESTOPBIT, 0x1093 | kFlagOutxDsrFlow),
        Dcb(9600, 8, NOPARITY, ONESTOPBIT, 0x1083 | (DTR_CONTROL_HANDSHAKE << kDtrControlShift)),
        Dcb(9600, 8, NOPARITY, ONESTOPBIT, 0x0093 | (RTS_CONTROL_TOGGLE << kRtsControlShift)),
        Dcb(9600, 8, NOPARITY, ONESTOPBIT, 0x1093 | kFlagOutxCtsFlow),
        Dcb(9600, 8, NOPARITY, ONESTOPBIT, 0x0093 | (RTS_CONTROL_HANDSHAKE << kRtsControlShift)),
        Dcb(9600, 8, NOPARITY, ONESTOPBIT, 0x1093 | kFlagNull),
        Dcb(9600, 8, NOPARITY, ONESTOPBIT, (0x1093 & ~kFlagTXContinueOnXoff) | kFlagInX),
    };
    for (const DCB& dcb : cases) {
        EXPECT_NE(WhyDcbDoesNotFit(dcb), "")
            << dcb.BaudRate << " " << int{dcb.ByteSize} << " " << int{dcb.Parity} << " "
            << int{dcb.StopBits} << " flags " << std::hex << dcb.flags;
    }
    DCB sameChars = Dcb(9600, 8, NOPARITY, ONESTOPBIT, kXonXoff);
    sameChars.XoffChar = sameChars.XonChar;
    EXPECT_NE(WhyDcbDoesNotFit(sameChars), "");
}

TEST(DcbTermios, ALineWithoutLineErrorsGoesWithoutMarksAndParityChecks) {
    termios2 tio{};
    tio.c_iflag = PARMRK | INPCK | IXON | ICRNL;
    ApplyDcbToTermios(Dcb(9600, 8, NOPARITY, ONESTOPBIT), false, &tio);
    EXPECT_EQ(tio.c_iflag, 0u);
}

TEST(DcbTermios, AChangedRateOrFramingIsNotHeld) {
    termios2 wanted{};
    ApplyDcbToTermios(Dcb(1382400, 8, NOPARITY, ONESTOPBIT), true, &wanted);
    termios2 clamped = wanted;
    clamped.c_ospeed = 921600;
    EXPECT_FALSE(TermiosHoldsRequest(wanted, clamped));
    termios2 noMarkParity = wanted;
    ApplyDcbToTermios(Dcb(1382400, 8, MARKPARITY, ONESTOPBIT), true, &wanted);
    EXPECT_FALSE(TermiosHoldsRequest(wanted, noMarkParity));
}

}  // namespace
}  // namespace serial
