#include <algorithm>
#include <array>
#include <string>

#include "configurator/connection.h"
#include "configurator/firmware_launch.h"
#include "configurator/link/link_text.h"
#include "configurator/link/reply_decoder.h"
#include "configurator/link/reply_tables.h"
#include "configurator/link/settings_fields.h"
#include "configurator/link/value_text.h"
#include "configurator/main_form.h"
#include "configurator/main_globals.h"
#include "configurator/status_record.h"
#include "core/rounding.h"
#include "platform/vcl/sysutils.h"

namespace {

// "ComboBox4" output "K-line нормированный": the normalised value comes first in 'D'.
constexpr int NormalisedOutput = 3;

// Removes everything up to and including the first `mark`; nothing when there is none.
void CutThrough(std::string& text, char mark) {
    std::size_t at = text.find(mark);
    if (at != std::string::npos) text.erase(0, at + 1);
}

void ShowNumber(TControl* control, std::string& text) {
    ShowSigned(control, TakeLeadingNumber(text));
}

template <std::size_t N> void ShowNumbers(std::string& text, const std::array<TEdit*, N>& edits) {
    for (TEdit* edit : edits)
        ShowNumber(edit, text);
}

// The identify reply: sensor number, then after '>' the model mark and after a blank the release.
// A blank mark is the model with an analog or K-line output, ":2" the one with an NFC password.
void DecodeIdentify(RSport& link, std::string& text) {
    link.sensorNumber = TakeLeadingNumber(text);
    ShowSigned(Form1->Edit11, link.sensorNumber);
    CutThrough(text, '>');
    char mark = text.size() > 0 ? text[0] : '\0';
    char model = text.size() > 1 ? text[1] : '\0';
    Form1->ComboBox1->SetVisible(mark == ' ');
    Form1->Panel2->SetVisible(mark == ':' && model == '2');
    Form1->ComboBox4->SetVisible(!Form1->ComboBox1->Visible());
    Form1->GroupBox4->SetVisible(!Form1->ComboBox1->Visible());
    Form1->FitWidthToSettings();
    CutThrough(text, ' ');
    Form1->Edit12->SetText(AnsiText(std::string_view(text).substr(0, text.find('$'))));
    OnSensorFound(&link);
    if (SensorLink) SensorLink->PushRequest(SettingsReadCode());
    if (!Form1->Panel2->Visible()) return;
    for (RequestCode code : std::initializer_list<RequestCode>{0x45, 0x04, 0x47})
        link.PushRequest(code);
}

void DecodeValues(RSport& link, std::string& text) {
    bool normalisedFirst = Form1->ComboBox4->ItemIndex() == NormalisedOutput;
    ShowNumber(normalisedFirst ? Form1->Edit6 : Form1->Edit26, text);
    ShowNumber(Form1->Edit8, text);
    ShowNumber(Form1->Edit25, text);
    ShowNumber(normalisedFirst ? Form1->Edit26 : Form1->Edit6, text);
    link.PushRequest(0x34);
}

// 'B' and 'E' start with the sensor's mode: the state line first, then the level code.
void ShowMode(std::int32_t mode) {
    auto state = SensorModeTexts().find(mode);
    SetStatus(state != SensorModeTexts().end() ? UnicodeString(state->second)
                                               : UnicodeString().sprintf("%i", mode));
    Form1->SetLevelCode(static_cast<std::uint16_t>(mode));
}

void DecodeState(std::string& text) {
    ShowMode(TakeLeadingNumber(text));
    std::int32_t value = TakeLeadingNumber(text);
    ShowSigned(Form1->Edit6, value);
    Form1->Edit5->SetText(FloatToStr(RoundTo3(value * 5.0 / 4096)));
}

void DecodeControllerState(std::string& text) {
    ShowMode(TakeLeadingNumber(text));
    Form1->Edit5->SetText(FloatToStr(ScaledValue(TakeLeadingNumber(text), 0.001)));
    ShowNumber(Form1->Edit7, text);
}

void DecodeSettings(std::string& text) {
    ShowNumbers(text, BaseSettingsEdits());
    std::int32_t flags = TakeLeadingNumber(text);
    Form1->ComboBox1->SetItemIndex(flags & 1);
    Form1->CheckBox1->SetChecked((flags >> 1) & 1);
    Form1->CheckBox2->SetChecked((flags >> 2) & 1);
}

void DecodeExtendedSettings(std::string& text) {
    ShowNumbers(text, BaseSettingsEdits());
    ShowSettingsFlagWord(static_cast<std::uint32_t>(TakeLeadingNumber(text)));
    ShowNumbers(text, ExtendedSettingsEdits());
    if (Form1->Panel2->Visible()) ShowNumbers(text, FullSettingsEdits());
}

// 'C', 'W', 'S' and 'T' carry a status (0 = done). A firmware start deletes the link: it is the
// last thing done.
void DecodeCommandStatus(RSport& link, char letter, std::string& text) {
    if (letter == 'C') link.PushRequest(0x31);
    std::int32_t status = TakeLeadingNumber(text);
    if (status != 0) {
        Form1->Label15->SetCaption(letter == 'C'
                                       ? UnicodeString(u"Ошибка калибровки")
                                       : u"Ошибка команды " + UnicodeString().sprintf("%c", letter));
        return;
    }
    if (letter == 'T') return RunFirmwareLoader();
    if (letter == 'C') return;
    for (TEdit* edit : BaseSettingsEdits())
        edit->SetColor(clWhite);
}

void DecodePassword(std::string& text) {
    std::string password(8, '\0');
    for (char& byte : password)
        byte = static_cast<char>(TakeLeadingNumber(text) & 0xFF);
    Form1->Edit31->SetText(AnsiText(password));
}

void DecodeCounters(std::string& text) {
    ShowNumbers(text, std::array<TEdit*, 5>{Form1->Edit36, Form1->Edit37, Form1->Edit41, Form1->Edit38,
                                            Form1->Edit39});
}

void DecodeAddress(std::string& text) {
    ShowNumber(Form1->Edit10, text);
    Form1->Edit10->SetColor(clWhite);
}

} // namespace

void DecodeKlineReply(RSport* link, char letter, const std::uint8_t* bytes, std::int32_t length) {
    std::string text(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(std::max(length, 0)));
    if (letter != 'I') CutThrough(text, ':');
    switch (letter) {
    case 'I':
        DecodeIdentify(*link, text);
        break;
    case 'D':
        DecodeValues(*link, text);
        break;
    case 'B':
        DecodeState(text);
        break;
    case 'E':
        DecodeControllerState(text);
        break;
    case 'K':
        DecodeSettings(text);
        break;
    case 'Q':
        DecodeExtendedSettings(text);
        break;
    case 'C':
    case 'W':
    case 'S':
    case 'T':
        DecodeCommandStatus(*link, letter, text);
        break;
    case 'P':
        DecodePassword(text);
        break;
    case 'X':
        DecodeCounters(text);
        break;
    case 'R':
        DecodeAddress(text);
        break;
    default:
        break;
    }
}
