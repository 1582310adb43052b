#include "loaders/kline/kline_loader.h"
#include "platform/win32/clock.h"

int main(int argc, char** argv) {
    RunKlineLoader(argc, argv);
    // Leaves the last message readable when the console window closes with the program.
    Sleep(5000);
    return 0;
}
