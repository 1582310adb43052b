// The sensor emulator as a program: maps a pseudo-terminal as a COM port so that the configurator
// and the loaders can be tried without hardware. It prints the port's name and the folder to point
// SONDRIX_PORTS at, then shows every frame the program sends until interrupted, hung up or
// terminated; then it removes its port map, so that no entry is left to name the pty number,
// which another process soon gets.
//
//   sensor_emulator [--com N] [--echo] [--pace] [--description TEXT]

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <pthread.h>
#include <string>

#include "tests/support/emulator_line.h"
#include "tests/support/port_map.h"
#include "tests/support/sensor_frames.h"

namespace {

// The signals that end the emulator. They are blocked in every thread and taken by sigwait, so
// none ends the process before its port map is removed and none is lost before the wait.
sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        sigaddset(&signals, signal);
    return signals;
}

bool ParseArguments(int argc, char** argv, testing_support::EmulatorLine::Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        bool hasValue = i + 1 < argc;
        if (word == "--echo") {
            options.echo = true;
        } else if (word == "--pace") {
            options.pace = true;
        } else if (word == "--com" && hasValue) {
            options.comNumber = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
            if (options.comNumber < 1 || options.comNumber > 99) return false;
        } else if (word == "--description" && hasValue) {
            options.description = argv[++i];
        } else {
            return false;
        }
    }
    return true;
}

void ShowFrames(testing_support::RequestDecoder& decoder, const std::string& bytes) {
    decoder.Feed(bytes);
    while (auto frame = decoder.Next()) {
        bool kline = frame->format == testing_support::FrameFormat::Kline;
        std::string payload(frame->payload.begin(), frame->payload.end());
        std::printf("%s request: address %d, command 0x%02X, payload %s\n", kline ? "K-line" : "RS-485",
                    frame->address, frame->command, testing_support::HexBytes(payload).c_str());
    }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    testing_support::EmulatorLine::Options options;
    if (!ParseArguments(argc, argv, options)) {
        std::fprintf(stderr, "usage: %s [--com N] [--echo] [--pace] [--description TEXT]\n", argv[0]);
        return 2;
    }
    sigset_t stopSignals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr); // before the line's thread inherits the mask
    std::signal(SIGPIPE, SIG_IGN); // a reader that went away must not end us with the map left
    testing_support::PortMap map;
    testing_support::EmulatorLine line(map, options);
    std::printf("%s -> %s\nexport SONDRIX_PORTS=%s\n", line.ComName().c_str(), line.SlavePath().c_str(),
                map.Folder().c_str());
    std::fflush(stdout);

    std::mutex decoderLock;
    testing_support::RequestDecoder decoder;
    line.Start([&](testing_support::EmulatorLine&, const std::string& bytes) {
        std::lock_guard guard(decoderLock);
        ShowFrames(decoder, bytes);
    });
    int signal = 0;
    sigwait(&stopSignals, &signal);
    return 0;
}
