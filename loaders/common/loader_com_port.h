#pragma once
// The loaders' own serial port: open from scratch at a baud (8N1, no flow control, DTR and RTS
// left to the caller), per-step read time-outs, purge, close with both modem lines dropped.

#include <cstdint>

#include "platform/win32/types.h"

class LoaderComPort {
  public:
    LoaderComPort();
    ~LoaderComPort();
    LoaderComPort(const LoaderComPort&) = delete;
    LoaderComPort& operator=(const LoaderComPort&) = delete;

    // Path such as \\.\COM3. Closes an open handle first (lines untouched). False leaves it closed.
    bool Open(const char* devicePath, std::uint32_t baud);
    // Read interval, total multiplier and total constant in ms; writes get no time-out.
    BOOL SetTimeouts(std::uint32_t interval, std::uint32_t multiplier, std::uint32_t constant);
    // Empties both driver buffers; false when closed.
    bool Purge();
    // Drops DTR and RTS, then closes; the handle is -1 afterwards in every case.
    void Close();
    // True only when every byte went out.
    bool Write(const std::uint8_t* bytes, std::int32_t count);
    // Bytes read under the time-outs in force; 0 when closed or on failure.
    std::int32_t Read(std::uint8_t* buffer, std::int32_t count);
    // SETRTS, CLRRTS, SETDTR, CLRDTR...; 0 when closed.
    BOOL EscapeFunction(DWORD function);
    bool IsOpen() const { return handle != INVALID_HANDLE_VALUE; }
    // The device went away under the open port (adapter pulled): a read or write found it gone.
    // Reads then return 0 at once, as a time-out would after waiting, so a waiting loop asks here.
    bool HungUp() const { return hungUp; }

    HANDLE handle;

  private:
    bool hungUp = false;
};
