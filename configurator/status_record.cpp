#include "configurator/status_record.h"

#include <cstdio>
#include <string>

#include "configurator/main_form.h"
#include "configurator/main_globals.h"
#include "core/time_value.h"

namespace {

// One field line of the record in code page 1251, with the CR LF a Windows text stream writes.
void AppendLine(std::string& record, const char16_t* name, const UnicodeString& value) {
    record += TString(name).ToStdString(CodePageCyrillic);
    record += TString(value).ToStdString(CodePageCyrillic);
    record += "\r\n";
}

UnicodeString Number(int value) {
    return UnicodeString().sprintf("%i", value);
}

std::string StatusRecordText(const TForm1& form, const UnicodeString& state) {
    std::string record = FormatFileTime(NowLocal(TimeValue(0, 0)), "Y.M.D h:m:s", 0) + "\r\n";
    AppendLine(record, u"Version = ", form.Edit12->Text());
    AppendLine(record, u"Состояние: ", state);
    AppendLine(record, u"Корпус: ", form.Edit2->Text());
    AppendLine(record, u"Трубка: ", form.Edit3->Text());
    AppendLine(record, u"Топливо: ", form.Edit4->Text());
    AppendLine(record, u"Блокировка: ", Number(form.CheckBox1->Checked() ? 1 : 0));
    AppendLine(record, u"Подтяжка: ", Number(form.CheckBox2->Checked() ? 1 : 0));
    record += "\r\n";
    AppendLine(record, u"Шкала: ", Number(form.ComboBox2->ItemIndex()));
    record += "\r\n";
    return record;
}

// A file that does not open (no "ZNTK" folder here, no write rights) gets no record; the caller
// still shows and logs the state.
void AppendStatusRecord(const TForm1& form, const UnicodeString& state) {
    TString path = TString("ZNTK/") + form.Edit11->Text() + ".zntk";
    FILE* file = std::fopen(path.ToStdString(CodePageUtf8).c_str(), "ab");
    if (!file) {
        AppLog->Log(TString("Status record not written"), path);
        return;
    }
    const std::string record = StatusRecordText(form, state);
    std::fwrite(record.data(), 1, record.size(), file);
    std::fclose(file);
}

} // namespace

void SetStatus(const UnicodeString& text) {
    TForm1& form = *Form1;
    if (text == form.Label15->Caption()) return;
    AppendStatusRecord(form, text);
    form.Label15->SetCaption(text);
    AppLog->Log(TString("SetStatus"), TString(text));
}
