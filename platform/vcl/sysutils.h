#pragma once
// The framework's exception classes and its number <-> text conversions.

#include <exception>
#include <string>

#include "platform/vcl/unicode_string.h"

namespace System::Sysutils {

// The framework's exception: a message meant for the user.
class Exception : public std::exception {
  public:
    explicit Exception(UnicodeString message) : message(std::move(message)), utf8(this->message.ToUtf8()) {}
    const UnicodeString& Message() const { return message; }
    const char* what() const noexcept override { return utf8.c_str(); }

  private:
    UnicodeString message;
    std::string utf8;
};

// A text that is not a number of the asked kind.
class EConvertError : public Exception {
  public:
    using Exception::Exception;
};

// Formatting settings the conversions read; the decimal separator starts as the user's locale has
// it (LC_ALL, LC_NUMERIC or LANG), so a Russian desktop shows "1,5".
struct TFormatSettings {
    WCHAR DecimalSeparator;
};
extern TFormatSettings FormatSettings;

// 15 significant digits, trailing zeros dropped; scientific ("1E20", "1.5E-7") when the exponent
// is above 15 digits or the value is below 1E-4.
UnicodeString FloatToStr(double value);

// Optional leading blanks, a sign, then decimal digits or a $ / 0x hexadecimal number, fitting in
// 32 bits; anything else throws EConvertError "'text' is not a valid integer value".
int StrToInt(const UnicodeString& text);
UnicodeString IntToStr(int value);

} // namespace System::Sysutils

using System::Sysutils::EConvertError;
using System::Sysutils::Exception;
using System::Sysutils::FloatToStr;
using System::Sysutils::FormatSettings;
using System::Sysutils::IntToStr;
using System::Sysutils::StrToInt;
