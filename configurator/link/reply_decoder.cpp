#include "configurator/link/reply_decoder.h"

#include <algorithm>

#include "configurator/firmware_launch.h"
#include "configurator/link/reply_tables.h"
#include "configurator/main_form.h"
#include "platform/win32/clock.h"
#include "platform/win32/message_box.h"

namespace {

constexpr RequestCode TubeLengthCalibration = 0x30;
constexpr RequestCode BootHandover = 0x3A;
// The tube length calibration reports success as 0 or 2.
constexpr std::uint8_t TubeCalibrationDone = 2;

bool CommandFailed(RequestCode command, std::uint8_t status) {
    return status != 0 && !(command == TubeLengthCalibration && status == TubeCalibrationDone);
}

void ReportBadPayload(RSport& link) {
    link.log.Log(TString("Exception while parsing message"));
    MessageBoxW(nullptr, u"ДУТ шлёт некорректные данные", u"Ошибка", MB_OK);
}

void DecodeRs485Reply(RSport& link, RequestCode command, const std::uint8_t* payload, std::int32_t length,
                      std::uint8_t replyAddress) {
    if (StatusReplyCodes().contains(command)) {
        // Without its status byte the reply is as short as a payload can be.
        if (length < 1) return ReportBadPayload(link);
        if (CommandFailed(command, payload[0])) {
            Form1->Label15->SetCaption(u"Ошибка команды " + UnicodeString().sprintf("%i", command));
            link.log.Log(TString(Form1->Label15->Caption()));
            return;
        }
        // The loader start deletes the link: nothing may follow it.
        if (command == BootHandover) return RunFirmwareLoader();
    }
    auto* position = const_cast<std::uint8_t*>(payload);
    ByteCursor cursor(&position, static_cast<std::uint32_t>(std::max(length, 0)));
    try {
        DecodeRs485Fields(link, command, cursor, replyAddress);
    } catch (...) {
        ReportBadPayload(link);
    }
}

} // namespace

void RSport::DecodeReply(RSport* link, std::uint8_t command, const std::uint8_t* payload, std::int32_t length,
                         std::uint8_t replyAddress) {
    link->replyTick = GetTickCount();
    if (link->baud == Rs485Baud) {
        DecodeRs485Reply(*link, command, payload, length, replyAddress);
    } else {
        DecodeKlineReply(link, static_cast<char>(command), payload, length);
    }
}

std::uint16_t ReadWord(ByteCursor& cursor) {
    return static_cast<std::uint16_t>(cursor.ReadU16());
}

std::int8_t ReadSignedByte(ByteCursor& cursor) {
    return static_cast<std::int8_t>(cursor.ReadU8());
}
