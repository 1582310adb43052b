#include "core/launch.h"

#include "core/log.h"
#include "core/wait.h"
#include "platform/win32/processes.h"

HANDLE Launch(TString command, bool wait, bool hidden, bool keepHandle, bool asApplicationName) {
    SimpleLog log;
    log.Log(TString("Launch"), command);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION information{};
    if (hidden) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }
    CreateProcessW(asApplicationName ? command.c_str() : nullptr,
                   asApplicationName ? nullptr : command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                   &startup, &information);
    CloseHandle(information.hThread);
    if (wait) WaitWithMessages(information.hProcess, 0);
    if (!keepHandle) CloseHandle(information.hProcess);
    return information.hProcess;
}
