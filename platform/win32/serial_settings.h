#pragma once
// Translation between the DCB and termios. Only what a DCB can say is touched; the rest of the
// termios stays raw.

#include <termios.h>

#include "platform/win32/serial.h"

namespace win32 {

// Raw bytes both ways, 8N1, receiver on, modem status ignored, VMIN 1 / VTIME 0 so that a
// non-blocking read without data says EAGAIN (time-outs are ours, never the tty's). Keeps the rate.
void MakeRaw(termios& settings);

// The termios rate constant for a baud rate; false for a rate the line cannot take.
bool BaudToSpeed(DWORD baud, speed_t* speed);
DWORD SpeedToBaud(speed_t speed);

// Fills the fields of a DCB that termios holds; DTR/RTS control come from the caller.
void TermiosToDcb(const termios& settings, DCB& dcb);
// Applies a DCB to raw settings. Fails with ERROR_INVALID_PARAMETER for a value Windows refuses
// and ERROR_NOT_SUPPORTED for what a Linux tty cannot do (DTR handshake, RTS toggle, DSR flow).
BOOL DcbToTermios(const DCB& dcb, termios& settings);

} // namespace win32
