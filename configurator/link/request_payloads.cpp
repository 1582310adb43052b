#include "configurator/link/request_payloads.h"

#include <array>
#include <string>

#include "configurator/link/frames.h"
#include "configurator/link/link_text.h"
#include "configurator/link/settings_fields.h"
#include "configurator/link/unsigned_field.h"
#include "configurator/main_form.h"
#include "configurator/radio_module.h"
#include "core/byte_cursor.h"

namespace {

// The payload area always holds a whole frame.
constexpr std::uint32_t Unbounded = 0xFFFFFFFF;
// The module's add mode switch: on, off.
constexpr std::uint8_t AddModeOn = 5;
constexpr std::uint8_t AddModeOff = 0;

std::uint32_t FieldValue(const TEdit* edit) {
    return static_cast<std::uint32_t>(StrToInt(edit->Text()));
}

// Serial numbers fill all 32 bits and are shown unsigned, so a plain decimal text up to
// 4294967295 is taken as it stands; anything else goes through the framework's conversion.
std::uint32_t SerialValue(const TEdit* edit) {
    if (std::optional<std::uint32_t> serial = UnsignedValue(edit->Text())) return *serial;
    return FieldValue(edit);
}

template <std::size_t N> void WriteWords(ByteCursor& cursor, const std::array<TEdit*, N>& edits) {
    for (TEdit* edit : edits)
        cursor.WriteU16(static_cast<std::uint16_t>(FieldValue(edit)));
}

// Edit31 in code page 1251, cut or padded with NUL bytes to 8.
std::string PasswordBytes() {
    std::string bytes = TString(Form1->Edit31->Text()).ToStdString(CodePageCyrillic);
    bytes.resize(8, '\0');
    return bytes;
}

void WriteSettings(ByteCursor& cursor, bool full) {
    WriteWords(cursor, BaseSettingsEdits());
    cursor.WriteU16(SettingsFlagWord());
    WriteWords(cursor, ExtendedSettingsEdits());
    if (full) WriteWords(cursor, FullSettingsEdits());
}

void WriteRs485Fields(RSport& link, RequestCode code, ByteCursor& cursor) {
    switch (code) {
    case 0x03:
        cursor.WriteU8(static_cast<std::uint8_t>(FieldValue(Form1->Edit10)));
        break;
    case 0x30:
        cursor.WriteU16(static_cast<std::uint16_t>(FieldValue(Form1->Edit9)));
        break;
    case 0x32: {
        WriteWords(cursor, BaseSettingsEdits());
        int flags = (Form1->CheckBox1->Checked() ? 1 : 0) + 2 * Form1->ComboBox2->ItemIndex();
        cursor.WriteU8(static_cast<std::uint8_t>(flags));
        break;
    }
    case 0x33:
    case 0x80:
        link.address = 0;
        break;
    case 0x3A:
        cursor.WriteU32(SerialValue(Form1->Edit11));
        break;
    case 0x3F:
        WriteSettings(cursor, false);
        break;
    case 0x44:
        WriteSettings(cursor, true);
        break;
    case 0x46: {
        std::string password = PasswordBytes();
        cursor.WriteBytes(password.data(), static_cast<unsigned>(password.size()));
        break;
    }
    case 0x81:
        if (Form1->Button8->Caption() == AddModeOnCaption) {
            link.address = link.moduleAddress;
            cursor.WriteU8(AddModeOn);
        } else {
            cursor.WriteU8(AddModeOff);
        }
        break;
    case 0x82:
        link.address = link.moduleAddress;
        cursor.WriteU32(SerialValue(Form1->Edit11));
        Form1->ComboBox3->SetItemIndex(-1);
        break;
    default:
        break;
    }
}

// Requests whose K-line text is the bare command.
std::optional<char> PlainKlineLetter(RequestCode code) {
    switch (code) {
    case 0x04:
        return 'R';
    case 0x06:
        return 'D';
    case 0x31:
        return 'K';
    case 0x34:
        return Form1->ComboBox4->Visible() ? 'E' : 'B';
    case 0x3E:
    case 0x43:
        return 'Q';
    case 0x45:
        return 'P';
    case 0x47:
        return 'X';
    default:
        return std::nullopt;
    }
}

TString FieldText(const TEdit* edit) {
    return TString(" ") + TString(edit->Text());
}

template <std::size_t N> TString FieldTexts(const std::array<TEdit*, N>& edits) {
    TString text;
    for (TEdit* edit : edits)
        text += FieldText(edit);
    return text;
}

TString SettingsText(const RSport& link, bool full) {
    TString text = MakeKlineCommand(link, 'S') + FieldTexts(BaseSettingsEdits());
    text = AppendNumber(text + " ", static_cast<std::int32_t>(SettingsFlagWord())) +
           FieldTexts(ExtendedSettingsEdits());
    return full ? text + FieldTexts(FullSettingsEdits()) : text;
}

TString PasswordText(const RSport& link) {
    TString text = MakeKlineCommand(link, 'P') + "=";
    // Each byte in signed decimal, so the Cyrillic letters from 0x80 up give negative numbers.
    for (char byte : PasswordBytes())
        text = AppendNumber(text, static_cast<std::int8_t>(byte)) + " ";
    return text;
}

TString WriteSettingsText(const RSport& link) {
    int flags = Form1->ComboBox1->ItemIndex() + 2 * (Form1->CheckBox1->Checked() ? 1 : 0) +
                4 * (Form1->CheckBox2->Checked() ? 1 : 0);
    return AppendNumber(MakeKlineCommand(link, 'W') + FieldTexts(BaseSettingsEdits()) + " ", flags);
}

} // namespace

std::int32_t BuildRs485Payload(RSport& link, RequestCode code, std::uint8_t* payload) {
    std::uint8_t* position = payload;
    ByteCursor cursor(&position, Unbounded);
    WriteRs485Fields(link, code, cursor);
    return static_cast<std::int32_t>(position - payload);
}

std::optional<TString> KlineRequestText(const RSport& link, RequestCode code) {
    if (std::optional<char> letter = PlainKlineLetter(code)) return MakeKlineCommand(link, *letter);
    switch (code) {
    case 0x03:
        return MakeKlineCommand(link, 'R') + "=" + TString(Form1->Edit10->Text());
    case 0x08:
        return MakeKlineCommand(link, 'C') + " 2";
    case 0x09:
        return MakeKlineCommand(link, 'C') + " 1";
    case 0x30:
        return MakeKlineCommand(link, 'C') + FieldText(Form1->Edit9);
    case 0x32:
        return WriteSettingsText(link);
    case 0x33:
        return TString(" #f");
    case 0x36:
        return MakeKlineCommand(link, 'C') + " 0";
    case 0x3A:
        return MakeKlineCommand(link, 'T') + " BOOT";
    case 0x3F:
        return SettingsText(link, false);
    case 0x44:
        return SettingsText(link, true);
    case 0x46:
        return PasswordText(link);
    default:
        return std::nullopt;
    }
}

void SendRs485Request(RSport& link, RequestCode code) {
    std::uint8_t payload[frames::FrameAreaSize];
    std::int32_t length = BuildRs485Payload(link, code, payload);
    link.SendRequest(code, payload, length);
}

bool SendKlineRequest(RSport& link, RequestCode code) {
    if (std::optional<char> letter = PlainKlineLetter(code)) return link.SendTextCommand(*letter);
    std::optional<TString> text = KlineRequestText(link, code);
    return text && link.SendText(*text);
}
