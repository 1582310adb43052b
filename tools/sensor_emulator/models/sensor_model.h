#pragma once
// What the sensor models of the emulator share, free of any transport: each hears only its own
// baud, cuts requests from the byte stream, answers each after a short delay, can fall silent on
// command, records what it heard, and hands over to a boot-loader emulator on the boot request,
// so the real loaders can flash it. The boot loader starts the application again once it has
// heard no block for a while.

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "tools/sensor_emulator/models/boot_loader_emulator.h"
#include "tools/sensor_emulator/models/line_device.h"
#include "tools/sensor_emulator/models/sensor_frames.h"

namespace sensor_emulator {

struct SensorTiming {
    // A sensor's firmware takes a moment before it answers.
    std::uint32_t replyDelayMs = 5;
    // From the answer to the boot request to the boot loader's first "BLST".
    std::uint32_t handoverDelayMs = 300;
    // The boot loader starts the application this long after the last block it heard.
    std::uint32_t restartAfterMs = 2000;
};

// The payload length of an RS-485 request, which its frame does not carry.
int Rs485RequestPayloadLength(int command);

class SensorModel : public LineDevice {
  public:
    std::vector<TimedBytes> Received(const std::uint8_t* bytes, std::size_t count,
                                     std::uint32_t baud) override;
    bool Announcing() const override;

    // A silent sensor still hears and records requests but answers nothing.
    void SetSilent(bool on);
    bool Silent() const;
    std::uint32_t Baud() const { return baud; }

    // Every request frame heard at the model's baud, in order, as cut from the line.
    std::vector<SensorFrame> Requests() const;
    // Every request that carried data: RS-485 its code and payload; K-line its letter as the
    // command and the text after the sensor number as the payload.
    std::vector<SensorFrame> Writes() const;
    // In the boot loader now.
    bool InBootLoader() const;
    // The last boot loader handed over to (it keeps what it was sent), or null; valid until the
    // next hand-over.
    const BootLoaderEmulator* BootLoader() const;

  protected:
    explicit SensorModel(std::uint32_t baud);
    // One request, called with `lock` held; answers go to `out`.
    virtual void Answer(const SensorFrame& request, std::vector<TimedBytes>& out) = 0;

    void Reply(std::vector<TimedBytes>& out, const std::string& frame) const;
    void RecordWrite(int command, std::vector<std::uint8_t> payload);
    // After the answer to the boot request: the boot loader runs from now on and announces itself
    // once the hand-over delay has passed.
    void HandOver(BootLoaderScript script, std::vector<TimedBytes>& out);
    // A loader's own switch request goes to the boot loader as it stands by; once switched it runs.
    void PassToBootLoader(BootLoaderScript script, const std::string& request, std::vector<TimedBytes>& out);

    mutable std::mutex lock;
    const SensorTiming timing{};

  private:
    std::vector<TimedBytes> ToBootLoader(const std::uint8_t* bytes, std::size_t count);
    void RestartWhenIdle();

    const std::uint32_t baud;
    RequestDecoder decoder;
    bool silent = false;
    std::vector<SensorFrame> requests;
    std::vector<SensorFrame> writes;
    std::unique_ptr<BootLoaderEmulator> loader;
    bool loaderRunning = false;
    bool loaderAnnounces = false;
    int blocksSeen = 0;
    std::uint32_t lastBlockTick = 0;
    std::uint32_t handoverTick = 0;
    // The announcements of a hand-over wait in the transport for up to this long after it; a
    // second hand-over meanwhile reuses them, so "BLST" never comes twice in one period.
    std::uint32_t announcementSpanMs = 0;
    std::uint32_t announcementTick = 0;
};

} // namespace sensor_emulator
