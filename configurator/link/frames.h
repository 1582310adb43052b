#pragma once
// The two frame formats on the sensor line. RS-485 (binary, CRC-8):
//   0x31 request / 0x3E reply, address, command, payload..., crc8 over everything before it.
// K-line (text payload, 16-bit sum):
//   02 4D 6C 02, address, command, length, payload..., sum16 over address..payload, low byte first.
// Building and accepting are pure functions of the bytes; the link picks the format by its baud.

#include <cstdint>

namespace frames {

constexpr unsigned KlineBaud = 9600; // every other baud speaks the RS-485 format

constexpr std::uint8_t Rs485RequestStart = 0x31;
constexpr std::uint8_t Rs485ReplyStart = 0x3E;
constexpr std::uint8_t KlineHeader[4] = {0x02, 0x4D, 0x6C, 0x02};

constexpr int MaxPayloadLength = 255; // the K-line length is one byte
constexpr int Rs485Overhead = 4;      // start, address, command, crc
constexpr int KlineOverhead = 9;      // header, address, command, length, sum
constexpr int FrameAreaSize = 300;    // a caller's area always holds the largest frame

// CRC-8/MAXIM (reflected polynomial 0x8C, initial 0, no final XOR); a count of 0 or less gives 0.
std::uint8_t Crc8(const std::uint8_t* bytes, int count);
// Each byte adds the word (byte << 8) | (byte ^ 0xFF), modulo 65536; a count of 0 or less gives 0.
std::uint16_t Sum16(const std::uint8_t* bytes, int count);

// Write a request frame to destination and return its length. Address and command count by their
// low 8 bits. A payload length outside 0..255 cannot be framed: nothing is written and 0 returned.
int BuildRs485Frame(int address, int command, const std::uint8_t* payload, int length,
                    std::uint8_t* destination);
int BuildKlineFrame(int address, int command, const std::uint8_t* payload, int length,
                    std::uint8_t* destination);
// The format the line speaks at this baud.
int BuildFrame(unsigned baud, int address, int command, const std::uint8_t* payload, int length,
               std::uint8_t* destination);

// What an accepted reply carries; payload points into the received run.
struct ReplyFrame {
    int command = 0;
    int address = 0;
    const std::uint8_t* payload = nullptr;
    int length = 0;
};

// A run of n bytes from the reply's start byte; false rejects the whole run and leaves reply as
// it was. The RS-485 run must be exactly one frame.
bool AcceptRs485Frame(const std::uint8_t* run, int n, ReplyFrame& reply);
// The K-line run may go on behind the frame. Its command is the letter after " #" (payload
// byte 2), its payload the text behind that letter.
bool AcceptKlineFrame(const std::uint8_t* run, int n, ReplyFrame& reply);

} // namespace frames
