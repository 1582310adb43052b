#include "configurator/status_record.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "configurator/main_form.h"
#include "configurator/main_globals.h"
#include "core/time_value.h"

namespace {

// One field line of the record in code page 1251.
void AppendLine(std::string& record, const char16_t* name, const UnicodeString& value) {
    record += TString(name).ToStdString(CodePageCyrillic);
    record += TString(value).ToStdString(CodePageCyrillic);
    record += '\n';
}

UnicodeString Number(int value) {
    return UnicodeString().sprintf("%i", value);
}

// Every line feed as CR LF, those inside a field too, as a Windows text stream writes them.
std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string StatusRecordText(const TForm1& form, const UnicodeString& state) {
    std::string record = FormatFileTime(NowLocal(TimeValue(0, 0)), "Y.M.D h:m:s", 0) + "\n";
    AppendLine(record, u"Version = ", form.Edit12->Text());
    AppendLine(record, u"Состояние: ", state);
    AppendLine(record, u"Корпус: ", form.Edit2->Text());
    AppendLine(record, u"Трубка: ", form.Edit3->Text());
    AppendLine(record, u"Топливо: ", form.Edit4->Text());
    AppendLine(record, u"Блокировка: ", Number(form.CheckBox1->Checked() ? 1 : 0));
    AppendLine(record, u"Подтяжка: ", Number(form.CheckBox2->Checked() ? 1 : 0));
    record += '\n';
    AppendLine(record, u"Шкала: ", Number(form.ComboBox2->ItemIndex()));
    record += '\n';
    return WithCrLf(record);
}

// The whole record or nothing: a write that stops part-way (a full disk) is cut off again, since
// a torn record would stand before every later one. Unbuffered, so the close sends nothing more.
bool AppendWhole(const std::filesystem::path& path, const std::string& record) {
    FILE* file = std::fopen(path.c_str(), "ab");
    if (!file) return false;
    std::setvbuf(file, nullptr, _IONBF, 0);
    long start = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
    bool whole = start >= 0 && std::fwrite(record.data(), 1, record.size(), file) == record.size();
    whole = std::fclose(file) == 0 && whole;
    std::error_code failed; // nothing more can be done then; the caller logs the record as not written
    if (!whole && start >= 0) std::filesystem::resize_file(path, static_cast<std::uintmax_t>(start), failed);
    return whole;
}

// A record that cannot be written whole (no "ZNTK" folder here, no write rights, a full disk) is
// left out and logged; the caller still shows and logs the state.
void AppendStatusRecord(const TForm1& form, const UnicodeString& state) {
    TString path = TString("ZNTK/") + form.Edit11->Text() + ".zntk";
    if (!AppendWhole(path.ToStdString(CodePageUtf8), StatusRecordText(form, state)))
        AppLog->Log(TString("Status record not written"), path);
}

} // namespace

void SetStatus(const UnicodeString& text) {
    TForm1& form = *Form1;
    if (text == form.Label15->Caption()) return;
    AppendStatusRecord(form, text);
    form.Label15->SetCaption(text);
    AppLog->Log(TString("SetStatus"), TString(text));
}
