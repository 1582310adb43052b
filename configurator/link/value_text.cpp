#include "configurator/link/value_text.h"

#include "core/tstring.h"
#include "platform/vcl/controls.h"

UnicodeString AnsiText(std::string_view bytes) {
    std::string_view text = bytes.substr(0, bytes.find('\0'));
    return TString(text.data(), static_cast<int>(text.size()), CodePageCyrillic).ToUnicodeString();
}

UnicodeString AppendAnsi(const UnicodeString& text, std::string_view ansi) {
    return text + AnsiText(ansi);
}

UnicodeString UnsignedText(std::uint32_t value) {
    return UnicodeString().sprintf("%u", value);
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
