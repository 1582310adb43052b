// The program's entry, in place of the Windows one: the unit's globals around everything, the
// command line as one text after the program's name, then the window's entry.

#include <string>

#include "configurator/main_globals.h"
#include "configurator/startup.h"
#include "platform/vcl/forms.h"

namespace {

// Built before main and finalised after it, as the unit's initialisation and finalisation run.
struct MainUnit {
    MainUnit() { MainUnitInitialization(); }
    ~MainUnit() { MainUnitFinalization(); }
} mainUnit;

// The arguments joined with single blanks, in UTF-16.
std::u16string CommandLineText(int argc, char** argv) {
    std::string joined;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) joined += ' ';
        joined += argv[i];
    }
    return UnicodeString::FromUtf8(joined).Text();
}

} // namespace

int main(int argc, char** argv) {
    // The words point into this text for the whole run.
    static std::u16string commandLine;
    commandLine = CommandLineText(argc, argv);
    int result = wWinMain(nullptr, nullptr, commandLine.data(), 1);
    Application->DestroyForms();
    CommandLineWords.clear();
    return result;
}
