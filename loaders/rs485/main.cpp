#include "loaders/rs485/rs485_loader.h"
#include "platform/win32/clock.h"

int main(int argc, char** argv) {
    RunRs485Loader(argc, argv);
    // Leaves the last message readable when the console window closes with the program.
    Sleep(2000);
    return 0;
}
