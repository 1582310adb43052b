#pragma once
// The configurator's serial port: owns one open COM port handle, configures it, logs under the
// port's name and hands the count of waiting input bytes to the derived class.

#include <cstdint>

#include "core/log.h"
#include "core/tstring.h"
#include "platform/win32/types.h"

class ComPortBase {
  public:
    ComPortBase(HANDLE handle, const TString& portName, const TString& friendlyName, std::int32_t baud,
                std::uint8_t stopBits);
    virtual ~ComPortBase();
    ComPortBase(const ComPortBase&) = delete;
    ComPortBase& operator=(const ComPortBase&) = delete;

    // Called by CheckInput with the number of bytes waiting; the derived class reads them.
    virtual void OnReceive(std::int32_t count) = 0;

    // Asks the driver for the input queue count without blocking.
    void CheckInput();
    // The device under the open handle went away (adapter pulled): the handle is dead for good.
    bool DeviceGone() const;
    // Stores and logs the new baud even when the line refuses it.
    void SetSpeed(std::int32_t newBaud);

    std::uint8_t stopBits; // DCB StopBits (0 = one stop bit)
    HANDLE handle;         // owned: closed by the destructor
    SimpleLog log;         // named after the port
    std::int32_t requestTick = 0;
    std::int32_t pendingRequest = 0;
    TString portName;     // COM3; also the key in its PortTable
    TString friendlyName; // USB Serial Port (COM3)
    std::int32_t baud;
    bool speedDetection = true;
    bool present = true; // seen by the last ScanForPorts

  private:
    // 8 data bits, no parity, the port's baud and stop bits, DTR and RTS on, 8 KiB queues. A failing
    // step is logged and the port stays in use with what the driver holds.
    void Configure();
};
