#include "tests/fuzz/window_fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "configurator/main_form.h"
#include "configurator/main_globals.h"
#include "core/log.h"
#include "platform/vcl/headless/headless.h"
#include "tests/fuzz/fuzz_support.h"

namespace fuzz {

void StartWindow(const char* target) {
    const char* temporary = std::getenv("TMPDIR");
    std::string folder = std::string(temporary ? temporary : "/tmp") + "/" + target + "_XXXXXX";
    if (!::mkdtemp(folder.data()) || ::chdir(folder.c_str()) != 0) std::abort();
    SilenceStdout();
    MainUnitInitialization();
    Application->CreateForm(Form1);
}

void EmptyLog() {
    if (!LogFile) return;
    std::fflush(LogFile);
    if (::ftruncate(::fileno(LogFile), 0) == 0) std::rewind(LogFile);
}

} // namespace fuzz
