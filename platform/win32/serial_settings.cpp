#include "platform/win32/serial_settings.h"

#include "platform/win32/last_error.h"

namespace win32 {
namespace {

struct RateRow {
    DWORD baud;
    speed_t speed;
};

constexpr RateRow Rates[] = {
    {50, B50},         {75, B75},         {110, B110},         {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},         {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},       {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400},   {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000},
};

tcflag_t ByteSizeFlag(BYTE size) {
    switch (size) {
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

BYTE FlagByteSize(tcflag_t flags) {
    switch (flags & CSIZE) {
    case CS5:
        return 5;
    case CS6:
        return 6;
    case CS7:
        return 7;
    default:
        return 8;
    }
}

BYTE FlagParity(tcflag_t flags) {
    if (!(flags & PARENB)) return NOPARITY;
    if (flags & CMSPAR) return (flags & PARODD) ? MARKPARITY : SPACEPARITY;
    return (flags & PARODD) ? ODDPARITY : EVENPARITY;
}

tcflag_t ParityFlags(BYTE parity) {
    switch (parity) {
    case ODDPARITY:
        return PARENB | PARODD;
    case EVENPARITY:
        return PARENB;
    case MARKPARITY:
        return PARENB | PARODD | CMSPAR;
    case SPACEPARITY:
        return PARENB | CMSPAR;
    default:
        return 0;
    }
}

BOOL CheckDcb(const DCB& dcb) {
    if (dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > SPACEPARITY || dcb.StopBits > TWOSTOPBITS)
        return FailWith(ERROR_INVALID_PARAMETER);
    // One and a half stop bits exist only with five data bits, and two never do with five.
    if ((dcb.StopBits == ONE5STOPBITS) != (dcb.ByteSize == 5) && dcb.StopBits != ONESTOPBIT)
        return FailWith(ERROR_INVALID_PARAMETER);
    if (dcb.fDtrControl == DTR_CONTROL_HANDSHAKE || dcb.fRtsControl == RTS_CONTROL_TOGGLE ||
        dcb.fOutxDsrFlow || dcb.fDsrSensitivity)
        return FailWith(ERROR_NOT_SUPPORTED);
    return TRUE;
}

} // namespace

void MakeRaw(termios& settings) {
    speed_t in = cfgetispeed(&settings), out = cfgetospeed(&settings);
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cflag &= ~(CRTSCTS | CSTOPB | PARENB | PARODD | CMSPAR);
    settings.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    cfsetispeed(&settings, in);
    cfsetospeed(&settings, out);
}

bool BaudToSpeed(DWORD baud, speed_t* speed) {
    for (const RateRow& row : Rates) {
        if (row.baud != baud) continue;
        *speed = row.speed;
        return true;
    }
    return false;
}

DWORD SpeedToBaud(speed_t speed) {
    for (const RateRow& row : Rates)
        if (row.speed == speed) return row.baud;
    return 0;
}

void TermiosToDcb(const termios& settings, DCB& dcb) {
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = SpeedToBaud(cfgetospeed(&settings));
    dcb.fBinary = 1; // Linux has no non-binary mode
    dcb.fParity = (settings.c_iflag & INPCK) ? 1 : 0;
    dcb.fOutxCtsFlow = (settings.c_cflag & CRTSCTS) ? 1 : 0;
    dcb.fOutX = (settings.c_iflag & IXON) ? 1 : 0;
    dcb.fInX = (settings.c_iflag & IXOFF) ? 1 : 0;
    dcb.ByteSize = FlagByteSize(settings.c_cflag);
    dcb.Parity = FlagParity(settings.c_cflag);
    dcb.StopBits =
        (settings.c_cflag & CSTOPB) ? (dcb.ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS) : ONESTOPBIT;
    dcb.XonChar = static_cast<char>(settings.c_cc[VSTART]);
    dcb.XoffChar = static_cast<char>(settings.c_cc[VSTOP]);
}

BOOL DcbToTermios(const DCB& dcb, termios& settings) {
    speed_t speed;
    if (!BaudToSpeed(dcb.BaudRate, &speed)) return FailWith(ERROR_INVALID_PARAMETER);
    if (!CheckDcb(dcb)) return FALSE;
    MakeRaw(settings);
    cfsetispeed(&settings, speed);
    cfsetospeed(&settings, speed);
    settings.c_cflag = (settings.c_cflag & ~CSIZE) | ByteSizeFlag(dcb.ByteSize) | ParityFlags(dcb.Parity);
    if (dcb.StopBits != ONESTOPBIT) settings.c_cflag |= CSTOPB;
    if (dcb.fParity && dcb.Parity != NOPARITY) settings.c_iflag |= INPCK;
    if (dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) settings.c_cflag |= CRTSCTS;
    if (dcb.fOutX) settings.c_iflag |= IXON;
    if (dcb.fInX) settings.c_iflag |= IXOFF;
    if (dcb.fOutX || dcb.fInX) {
        settings.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
        settings.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
    }
    return TRUE;
}

} // namespace win32
