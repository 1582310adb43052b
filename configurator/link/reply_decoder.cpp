#include "configurator/link/reply_decoder.h"

#include <algorithm>

#include "configurator/connection.h"
#include "configurator/firmware_launch.h"
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

const std::set<RequestCode>& StatusReplyCodes() {
    static const std::set<RequestCode> codes{0x03, 0x08, 0x09, 0x30, 0x32, 0x36, 0x3A, 0x46};
    return codes;
}

const std::map<std::uint16_t, const char16_t*>& LevelStateTexts() {
    static const std::map<std::uint16_t, const char16_t*> texts{
        {0xFFF0, u"вода"},
        {0xFFF1, u"нет калибровки"},
        {0xFFF2, u"ошибка калибровки"},
        {0xFFF3, u"калибровка по длине трубки"},
        {0xFFF4, u"ожидание автокалибровки"},
        {0xFFF5, u"автокалибровка"},
    };
    return texts;
}

const std::map<int, const char16_t*>& SensorModeTexts() {
    static const std::map<int, const char16_t*> texts{
        {0, u"отсутвие калибровки"},     {1, u"измерение"},         {2, u"режим калибровки по длине трубки"},
        {3, u"режим автокалибровки"},    {4, u"ошибка калибровки"}, {5, u"вода"},
        {6, u"ожидание автокалибровки"},
    };
    return texts;
}

UnicodeString AnsiText(std::string_view bytes) {
    std::string_view text = bytes.substr(0, bytes.find('\0'));
    return TString(text.data(), static_cast<int>(text.size()), CodePageCyrillic).ToUnicodeString();
}

UnicodeString AppendAnsi(const UnicodeString& text, std::string_view ansi) {
    return text + AnsiText(ansi);
}

std::uint16_t ReadWord(ByteCursor& cursor) {
    return static_cast<std::uint16_t>(cursor.ReadU16());
}

std::int8_t ReadSignedByte(ByteCursor& cursor) {
    return static_cast<std::int8_t>(cursor.ReadU8());
}

UnicodeString UnsignedText(std::uint32_t value) {
    return UnicodeString().sprintf("%u", value);
}

std::optional<std::uint32_t> UnsignedValue(const UnicodeString& text) {
    const std::u16string& digits = text.Text();
    if (digits.empty() || digits.size() > 10) return std::nullopt;
    std::uint64_t value = 0;
    for (char16_t unit : digits) {
        if (unit < u'0' || unit > u'9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(unit - u'0');
    }
    if (value > UINT32_MAX) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

void ShowUnsigned(TControl* control, std::uint32_t value) {
    control->SetText(UnsignedText(value));
}

void ShowWord(TControl* control, std::uint16_t value) {
    control->SetText(UnicodeString().sprintf("%hu", value));
}

void ShowSigned(TControl* control, std::int32_t value) {
    control->SetText(UnicodeString().sprintf("%i", value));
}

double ScaledValue(double value, long double factor) {
    return static_cast<double>(static_cast<long double>(value) * factor);
}

void FitWindowToSettings() {
    if (Form1->GroupBox5->Visible()) return;
    TGroupBox* settings = Form1->GroupBox4;
    Form1->SetClientWidth(settings->Left() + (settings->Visible() ? settings->Width() + 12 : 0));
}
