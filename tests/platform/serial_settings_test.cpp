#include "platform/win32/serial_settings.h"

#include <gtest/gtest.h>

#include "platform/win32/last_error.h"

namespace {

DCB Dcb(DWORD baud, BYTE size, BYTE parity, BYTE stop) {
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = baud;
    dcb.ByteSize = size;
    dcb.Parity = parity;
    dcb.StopBits = stop;
    dcb.fBinary = 1;
    return dcb;
}

TEST(SerialSettings, DcbSurvivesTheTripThroughTermios) {
    struct Row {
        DWORD baud;
        BYTE size, parity, stop;
    };
    const Row rows[] = {{9600, 8, NOPARITY, ONESTOPBIT},     {19200, 8, EVENPARITY, ONESTOPBIT},
                        {115200, 7, ODDPARITY, TWOSTOPBITS}, {1200, 5, MARKPARITY, ONE5STOPBITS},
                        {57600, 6, SPACEPARITY, ONESTOPBIT}, {921600, 8, NOPARITY, TWOSTOPBITS}};
    for (const Row& row : rows) {
        termios settings{};
        DCB in = Dcb(row.baud, row.size, row.parity, row.stop);
        ASSERT_TRUE(win32::DcbToTermios(in, settings)) << row.baud;
        DCB out{};
        win32::TermiosToDcb(settings, out);
        EXPECT_EQ(out.BaudRate, row.baud);
        EXPECT_EQ(out.ByteSize, row.size);
        EXPECT_EQ(out.Parity, row.parity);
        EXPECT_EQ(out.StopBits, row.stop);
        EXPECT_EQ(out.DCBlength, sizeof(DCB));
        // Raw both ways whatever the DCB: no echo, no line editing, no CR/LF rewriting.
        EXPECT_EQ(settings.c_lflag & (ECHO | ICANON | ISIG), 0u);
        EXPECT_EQ(settings.c_oflag & OPOST, 0u);
        EXPECT_EQ(settings.c_iflag & (ICRNL | INLCR | IGNCR), 0u);
        EXPECT_EQ(settings.c_cc[VMIN], 1);
        EXPECT_EQ(settings.c_cc[VTIME], 0);
        EXPECT_NE(settings.c_cflag & CREAD, 0u);
    }
}

TEST(SerialSettings, RefusesWhatWindowsOrTheTtyCannotDo) {
    auto refused = [](DCB dcb, DWORD error) {
        termios settings{};
        SetLastError(0);
        EXPECT_FALSE(win32::DcbToTermios(dcb, settings));
        EXPECT_EQ(GetLastError(), error);
    };
    refused(Dcb(12345, 8, NOPARITY, ONESTOPBIT), ERROR_INVALID_PARAMETER);
    refused(Dcb(9600, 9, NOPARITY, ONESTOPBIT), ERROR_INVALID_PARAMETER);
    refused(Dcb(9600, 4, NOPARITY, ONESTOPBIT), ERROR_INVALID_PARAMETER);
    refused(Dcb(9600, 8, 5, ONESTOPBIT), ERROR_INVALID_PARAMETER);
    refused(Dcb(9600, 8, NOPARITY, ONE5STOPBITS), ERROR_INVALID_PARAMETER);
    refused(Dcb(9600, 5, NOPARITY, TWOSTOPBITS), ERROR_INVALID_PARAMETER);
    DCB dtrHandshake = Dcb(9600, 8, NOPARITY, ONESTOPBIT);
    dtrHandshake.fDtrControl = DTR_CONTROL_HANDSHAKE;
    refused(dtrHandshake, ERROR_NOT_SUPPORTED);
    DCB rtsToggle = Dcb(9600, 8, NOPARITY, ONESTOPBIT);
    rtsToggle.fRtsControl = RTS_CONTROL_TOGGLE;
    refused(rtsToggle, ERROR_NOT_SUPPORTED);
}

TEST(SerialSettings, FlowControlAndParityCheckReachTheTty) {
    DCB dcb = Dcb(19200, 8, EVENPARITY, ONESTOPBIT);
    dcb.fParity = 1;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    termios settings{};
    ASSERT_TRUE(win32::DcbToTermios(dcb, settings));
    EXPECT_NE(settings.c_iflag & INPCK, 0u);
    EXPECT_NE(settings.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(settings.c_iflag & (IXON | IXOFF), 0u);

    DCB plain = Dcb(19200, 8, NOPARITY, ONESTOPBIT); // from zeros: no flow control of any kind
    ASSERT_TRUE(win32::DcbToTermios(plain, settings));
    EXPECT_EQ(settings.c_cflag & (CRTSCTS | PARENB), 0u);
    EXPECT_EQ(settings.c_iflag & (INPCK | IXON | IXOFF), 0u);
}

} // namespace
