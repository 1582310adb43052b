#pragma once
// The boot-loader side of a sensor as the firmware loaders meet it, free of any transport: it is
// fed the bytes a loader writes and answers with timed byte runs. A pty runner and an in-process
// virtual line both drive it.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "tools/sensor_emulator/models/line_device.h"

namespace sensor_emulator {

enum class LineModel { Kline, Rs485 };

// What a test scripts about the device.
struct BootLoaderScript {
    LineModel model = LineModel::Kline;
    // The line returns every byte written, as a K-line or two-wire RS-485 adapter does.
    bool echo = true;
    // Already in its boot loader: announces "BLST" on its own from the port's opening, every
    // half second, until the first block comes.
    bool inLoader = false;
    // How often it says so at most.
    int announcements = 60;
    // Answers the find or identify request at all.
    bool answerFind = true;
    // K-line identification: " #I" with the number and this text behind it.
    std::string identification = "4711";
    // RS-485 identification.
    std::uint32_t serial = 0x00BC614E;
    std::uint8_t address = 0x07;
    enum class IdentifyReply { Normal, Short, BadCrc, WrongCommand } identifyReply = IdentifyReply::Normal;
    // K-line: the "OK" after the switch command; RS-485: the 0x3A status reply.
    bool confirmSwitch = true;
    std::uint8_t switchStatus = 0;
    // K-line: this many bytes of line noise right after the switch command, before any "OK".
    std::size_t noiseAfterSwitch = 0;
    // RS-485: "BLST" this long after the status reply (the loader reopens its port meanwhile).
    bool announceAfterSwitch = true;
    std::uint32_t announceDelayMs = 300;
    // One entry per block received, in order: the answer byte, or Silent. Past the list: 0x11.
    static constexpr int Silent = -1;
    std::vector<int> blockAnswers;
    // The device's flash write time before it answers a block.
    std::uint32_t writeDelayMs = 0;
};

class BootLoaderEmulator : public LineDevice {
  public:
    explicit BootLoaderEmulator(BootLoaderScript script);

    // What the device sends as the loader's port opens.
    std::vector<TimedBytes> Opened() override;
    // Takes bytes the loader wrote; returns the echo (delay 0) and any answers.
    std::vector<TimedBytes> Received(const std::uint8_t* bytes, std::size_t count);
    // The same, heard only at the model's baud (9600 K-line, 19200 RS-485) or an unknown rate.
    std::vector<TimedBytes> Received(const std::uint8_t* bytes, std::size_t count,
                                     std::uint32_t baud) override;
    std::uint32_t Baud() const;

    // The blocks the device accepted, end to end, length fields included.
    std::vector<std::uint8_t> Image() const;
    // Every request frame the device recognised, whole.
    std::vector<std::vector<std::uint8_t>> Requests() const;
    int BlocksReceived() const;
    bool InLoader() const;
    // In the boot loader and no block begun yet.
    bool Announcing() const override;

  private:
    bool RequestRun() const;
    void TakeByte(std::uint8_t byte, std::vector<TimedBytes>& out);
    void TakeBlock(std::vector<TimedBytes>& out);
    void AnswerKline(const std::vector<std::uint8_t>& frame, std::vector<TimedBytes>& out);
    void AnswerRs485(const std::vector<std::uint8_t>& frame, std::vector<TimedBytes>& out);

    mutable std::mutex lock;
    BootLoaderScript script;
    bool inLoader;
    std::vector<std::uint8_t> pending;
    std::vector<std::vector<std::uint8_t>> requests;
    std::vector<std::uint8_t> image;
    int blocksReceived = 0;
};

} // namespace sensor_emulator
