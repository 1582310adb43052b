#include <algorithm>

#include "configurator/connection.h"
#include "configurator/link/reply_decoder.h"
#include "configurator/link/reply_tables.h"
#include "configurator/link/settings_fields.h"
#include "configurator/link/value_text.h"
#include "configurator/main_form.h"
#include "configurator/main_globals.h"
#include "configurator/status_record.h"
#include "platform/vcl/sysutils.h"

namespace {

// The release text fills the first 16 bytes of its reply.
constexpr std::int32_t ReleaseLength = 16;
constexpr std::int32_t PasswordLength = 8;

template <std::size_t N> void ShowWords(ByteCursor& cursor, const std::array<TEdit*, N>& edits) {
    for (TEdit* edit : edits)
        ShowWord(edit, ReadWord(cursor));
}

template <std::size_t N> void TurnWhite(const std::array<TEdit*, N>& edits) {
    for (TEdit* edit : edits)
        edit->SetColor(clWhite);
}

void DecodeIdentify(RSport& link, ByteCursor& cursor) {
    ShowUnsigned(Form1->Edit11, static_cast<std::uint32_t>(cursor.ReadU32()));
    link.address = cursor.ReadU8();
    ShowUnsigned(Form1->Edit10, static_cast<std::uint32_t>(link.address));
    OnSensorFound(&link);
}

void DecodeSettings(ByteCursor& cursor) {
    ShowWords(cursor, BaseSettingsEdits());
    int flags = cursor.ReadU8();
    Form1->CheckBox1->SetChecked(flags & 1);
    Form1->ComboBox2->SetItemIndex((flags >> 1) & 1);
}

void DecodeExtendedSettings(ByteCursor& cursor, bool full) {
    ShowWords(cursor, BaseSettingsEdits());
    ShowSettingsFlagWord(ReadWord(cursor));
    ShowWords(cursor, ExtendedSettingsEdits());
    if (full) ShowWords(cursor, FullSettingsEdits());
}

void DecodeMeasurement(ByteCursor& cursor) {
    ShowSigned(Form1->Edit8, ReadSignedByte(cursor));
    std::uint16_t level = ReadWord(cursor);
    ShowWord(Form1->Edit7, ReadWord(cursor));
    ShowWord(Form1->Edit6, level);
    Form1->SetLevelCode(level);
    auto state = LevelStateTexts().find(level);
    SetStatus(state != LevelStateTexts().end() ? state->second : u"измерение");
}

void DecodeFurtherValues(ByteCursor& cursor) {
    cursor.Skip(3);
    ShowWord(Form1->Edit25, ReadWord(cursor));
    cursor.Skip(2);
    Form1->Edit5->SetText(FloatToStr(ScaledValue(ReadWord(cursor), 0.001)));
}

void DecodeCounters(ByteCursor& cursor) {
    ShowUnsigned(Form1->Edit36, static_cast<std::uint32_t>(cursor.ReadU32()));
    ShowUnsigned(Form1->Edit37, static_cast<std::uint32_t>(cursor.ReadU32()));
    ShowWord(Form1->Edit41, ReadWord(cursor));
    ShowWord(Form1->Edit38, ReadWord(cursor));
    ShowWord(Form1->Edit39, ReadWord(cursor));
}

// By kind, not by the controls shown: an unknown kind shows the output choice yet has only the
// plain settings.
RequestCode SettingsReadCodeOfKind(int kind) {
    return kind == 2 ? 0x43 : kind == 1 ? 0x3E : 0x31;
}

// The model's kind: 0 a plain sensor, 1 a controller, 2 a controller with NFC password and
// counters. A plain sensor behind a radio module has three sensing elements instead of one.
void ApplyModelKind(int kind) {
    bool controller = kind != 0;
    for (TControl* control : std::initializer_list<TControl*>{
             Form1->ComboBox4, Form1->CheckBox2, Form1->Label16, Form1->Label17, Form1->GroupBox4})
        control->SetVisible(controller);
    bool threeSensors = !controller && Form1->GroupBox1->Visible();
    for (TControl* control :
         std::initializer_list<TControl*>{Form1->GroupBox2, Form1->GroupBox3, Form1->Label20, Form1->Edit5})
        control->SetVisible(!threeSensors);
    Form1->Label31->SetCaption(threeSensors ? u"Сенсор 3" : SingleLayoutCaption);
    Form1->Label36->SetCaption(threeSensors ? u"Сенсор 2" : u"Фильтрованное");
    Form1->Label6->SetCaption(threeSensors ? u"Сенсор 1" : u"Нормированное");
    Form1->Panel2->SetVisible(kind == 2);
    Form1->FitWidthToSettings();
    if (!SensorLink) return;
    if (!Form1->GroupBox1->Visible()) SensorLink->PushRequest(SettingsReadCodeOfKind(kind));
    if (kind == 2) {
        SensorLink->PushRequest(0x45);
        SensorLink->PushRequest(0x47);
    }
}

// The bytes left, up to `most` of them: nothing is read past the payload.
std::string TakeBytes(ByteCursor& cursor, std::int32_t most) {
    return cursor.ReadString(static_cast<int>(std::min(cursor.Left(), static_cast<unsigned>(most))));
}

void DecodeReleaseSuffix(TEdit* release, ByteCursor& cursor) {
    release->SetText(AppendAnsi(release->Text() + u" ", TakeBytes(cursor, INT32_MAX)));
    if (Form1->ComboBox3->Items().Count() == 0) return;
    Form1->ComboBox3->SetItemIndex(0);
    Form1->ComboBox3Change(nullptr);
}

} // namespace

void DecodeRs485Fields(RSport& link, RequestCode command, ByteCursor& cursor, std::uint8_t replyAddress) {
    // Release texts of the radio module's own replies go beside the module.
    TEdit* release = replyAddress == link.moduleAddress ? Form1->Edit15 : Form1->Edit12;
    switch (command) {
    case 0x33:
        DecodeIdentify(link, cursor);
        break;
    case 0x80:
        DecodeRadioModuleList(link, cursor);
        break;
    case 0x05:
        cursor.Skip(10);
        ApplyModelKind(cursor.ReadU8());
        break;
    case 0x31:
        DecodeSettings(cursor);
        break;
    case 0x3E:
        DecodeExtendedSettings(cursor, false);
        break;
    case 0x43:
        DecodeExtendedSettings(cursor, true);
        break;
    case 0x06:
        DecodeMeasurement(cursor);
        break;
    case 0x34:
        ShowWord(Form1->Edit26, ReadWord(cursor));
        break;
    case 0x35:
        DecodeFurtherValues(cursor);
        break;
    case 0x86:
        DecodeRadioDeviceValues(cursor);
        break;
    case 0x30:
        Form1->Edit9->SetColor(clWhite);
        link.PushRequest(0x31);
        break;
    case 0x32:
        TurnWhite(BaseSettingsEdits());
        break;
    case 0x03:
        Form1->Edit10->SetColor(clWhite);
        break;
    case 0x1A:
        release->SetText(AnsiText(TakeBytes(cursor, ReleaseLength)));
        break;
    case 0x1B:
        DecodeReleaseSuffix(release, cursor);
        break;
    case 0x45:
        Form1->Edit31->SetText(AnsiText(TakeBytes(cursor, PasswordLength)));
        break;
    case 0x47:
        DecodeCounters(cursor);
        break;
    default:
        break;
    }
}
