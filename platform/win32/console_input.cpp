#include "platform/win32/console.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <initializer_list>

namespace {

// The terminal's settings before the first raw read, restored at every exit path: normal exit and
// exit() through atexit, the terminating signals through their handler.
termios savedSettings{};
volatile sig_atomic_t rawMode = 0;
bool setUp = false;
bool isTerminal = false;
int pendingKey = -1;
bool endOfInput = false;

void RestoreTerminal() {
    if (rawMode) {
        tcsetattr(STDIN_FILENO, TCSANOW, &savedSettings);
        rawMode = 0;
    }
}

void RestoreAndRaise(int signalNumber) {
    RestoreTerminal();
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

void EnterRawMode() {
    if (tcgetattr(STDIN_FILENO, &savedSettings) != 0) return;
    termios raw = savedSettings;
    // Keys without Enter and without echo; ISIG stays on so Ctrl+C still ends the program.
    raw.c_lflag &= ~(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    std::atexit(RestoreTerminal);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGABRT, SIGSEGV})
        std::signal(signalNumber, RestoreAndRaise);
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0) rawMode = 1;
}

void SetUp() {
    if (setUp) return;
    setUp = true;
    isTerminal = isatty(STDIN_FILENO) == 1;
    if (isTerminal) EnterRawMode();
}

// Reads one byte into pendingKey; false at the end of input or on a read error.
bool FetchKey() {
    unsigned char key = 0;
    ssize_t got;
    do {
        got = read(STDIN_FILENO, &key, 1);
    } while (got < 0 && errno == EINTR);
    if (got == 1) {
        pendingKey = key;
        return true;
    }
    // A terminal gives 0 only when it has hung up; a pipe when its writer closed it.
    endOfInput = true;
    return false;
}

} // namespace

int _kbhit() {
    SetUp();
    if (pendingKey >= 0) return 1;
    if (endOfInput) return 0;
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (poll(&input, 1, 0) <= 0) return 0;
    // Readiness may mean end of input, which is no key; read the byte now to tell.
    return FetchKey() ? 1 : 0;
}

int _getch() {
    SetUp();
    if (pendingKey < 0 && (endOfInput || !FetchKey())) return -1;
    int key = pendingKey;
    pendingKey = -1;
    return key;
}

short GetKeyState(int) {
    return 0;
}
