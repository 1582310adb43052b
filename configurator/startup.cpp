#include "configurator/startup.h"

#include "configurator/main_form.h"

std::vector<WCHAR*> CommandLineWords;

void SplitCommandLine(WCHAR* commandLine) {
    if (!commandLine) return;
    for (WCHAR* at = commandLine; *at; ++at) {
        if (*at == u' ') {
            *at = u'\0';
            continue;
        }
        // A word starts at the first character or right after a terminator the split made.
        if (at == commandLine || at[-1] == u'\0') CommandLineWords.push_back(at);
    }
}

int wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
    try {
        SplitCommandLine(commandLine);
        Application->Initialize();
        Application->MainFormOnTaskBar = true;
        Application->CreateForm(Form1);
        Application->Run();
    } catch (const Exception& error) {
        Application->ShowException(&error);
    } catch (...) {
        Exception error(u"");
        Application->ShowException(&error);
    }
    return 0;
}
