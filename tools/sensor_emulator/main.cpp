// The sensor emulator as a program: maps a pseudo-terminal as a COM port so that the configurator
// and the loaders can be tried without hardware. It prints the port's name and the folder to point
// SONDRIX_PORTS at. Without a model it shows every frame the program sends; with one it also plays
// that sensor and shows each request with its answer. Interrupted, hung up or terminated, it
// removes its port map, so that no entry is left to name the pty number, which another process
// soon gets.
//
//   sensor_emulator [--com N] [--echo] [--pace] [--description TEXT]
//                   [--model rs485|kline|radio] [--kind 0|1|2] [--mark TEXT] [--silent-after SECONDS]
//                   [--stamps] [--wander]
//
// --wander moves the readings a little before every request, as a real tank's level and sensor's
// frequency do, so that every poll has new values to show.
// --stamps shows when the first and the last byte of each answer went out, in the local time and
// format of the configurator's log (with microseconds), so that its reaction can be timed.
// SIGUSR1 makes a model fall silent, and the next one makes it answer again.

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <string>
#include <unistd.h>

#include "tools/sensor_emulator/lines/device_line.h"
#include "tools/sensor_emulator/lines/port_map.h"
#include "tools/sensor_emulator/models/kline_sensor_model.h"
#include "tools/sensor_emulator/models/radio_module_model.h"
#include "tools/sensor_emulator/models/rs485_sensor_model.h"
#include "tools/sensor_emulator/models/sensor_frames.h"

namespace {

using namespace sensor_emulator;

// The signals the emulator takes: the ones that end it and the silence switch. They are blocked in
// every thread and taken by sigwait, so none ends the process before its port map is removed and
// none is lost before the wait.
sigset_t HandledSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1})
        sigaddset(&signals, signal);
    return signals;
}

// Waits for the next handled signal, at most until `deadline` when one is given; 0 when it passed.
int NextSignal(const std::chrono::steady_clock::time_point* deadline) {
    sigset_t signals = HandledSignals();
    for (;;) {
        timespec wait{}, *limit = nullptr;
        if (deadline) {
            auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(*deadline -
                                                                           std::chrono::steady_clock::now())
                          .count();
            if (ns <= 0) return 0;
            wait = timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
            limit = &wait;
        }
        int signal = sigtimedwait(&signals, nullptr, limit);
        if (signal > 0) return signal;
        if (errno == EAGAIN) return 0;
    }
}

struct ProgramOptions {
    EmulatorLine::Options line;
    std::string model; // empty: only show the frames
    int kind = 0;
    std::string mark = " ";
    int silentAfterSeconds = -1;
    bool stamps = false;
    bool wander = false;
};

bool ParseModelArgument(const std::string& word, const char* value, ProgramOptions& options) {
    if (word == "--model") {
        options.model = value;
        return options.model == "rs485" || options.model == "kline" || options.model == "radio";
    }
    if (word == "--kind") {
        options.kind = std::atoi(value);
        return options.kind >= 0 && options.kind <= 2;
    }
    if (word == "--mark") {
        options.mark = value;
        return true;
    }
    if (word == "--silent-after") {
        options.silentAfterSeconds = std::atoi(value);
        return options.silentAfterSeconds >= 0;
    }
    return false;
}

bool ParseArguments(int argc, char** argv, ProgramOptions& options) {
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        bool hasValue = i + 1 < argc;
        if (word == "--echo") {
            options.line.echo = true;
        } else if (word == "--pace") {
            options.line.pace = true;
        } else if (word == "--stamps") {
            options.stamps = true;
        } else if (word == "--wander") {
            options.wander = true;
        } else if (word == "--com" && hasValue) {
            options.line.comNumber = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
            if (options.line.comNumber < 1 || options.line.comNumber > 99) return false;
        } else if (word == "--description" && hasValue) {
            options.line.description = argv[++i];
        } else if (!hasValue || !ParseModelArgument(word, argv[++i], options)) {
            return false;
        }
    }
    return true;
}

std::string Describe(const SensorFrame& frame) {
    std::string payload(frame.payload.begin(), frame.payload.end());
    char head[64];
    if (frame.format == FrameFormat::Kline) return "K-line request \"" + payload + "\"";
    std::snprintf(head, sizeof head, "RS-485 request: address %d, command 0x%02X", frame.address,
                  frame.command);
    return head + (payload.empty() ? "" : ", payload " + HexBytes(payload));
}

void ShowFrames(RequestDecoder& decoder, const std::string& bytes) {
    decoder.Feed(bytes);
    while (auto frame = decoder.Next())
        std::printf("%s\n", Describe(*frame).c_str());
    std::fflush(stdout);
}

// "YYYY.MM.DD hh:mm:ss.uuuuuu" in local time: the log's stamp with microseconds.
std::string LogStamp(std::chrono::system_clock::time_point when) {
    auto us = std::chrono::duration_cast<std::chrono::microseconds>(when.time_since_epoch()).count();
    time_t seconds = static_cast<time_t>(us / 1000000);
    tm local{};
    localtime_r(&seconds, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%04d.%02d.%02d %02d:%02d:%02d.%06lld", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<long long>(us % 1000000));
    return text;
}

// Shows what the model hears and says, and when it goes into its boot loader and back.
class ShownModel : public LineDevice {
  public:
    // `wander`, when given, changes the readings with the number of each run of bytes heard.
    ShownModel(SensorModel& model, std::function<void(unsigned)> wander)
        : model(model), wander(std::move(wander)) {}

    std::vector<TimedBytes> Received(const std::uint8_t* bytes, std::size_t count,
                                     std::uint32_t baud) override {
        std::lock_guard guard(lock);
        bool wasInLoader = model.InBootLoader();
        if (wander) wander(++heard);
        auto runs = model.Received(bytes, count, baud);
        auto requests = model.Requests();
        for (; shown < requests.size(); ++shown)
            std::printf("%s\n", Describe(requests[shown]).c_str());
        if (wasInLoader != model.InBootLoader())
            std::printf("%s\n", wasInLoader ? "back in the application" : "in the boot loader");
        ShowAnswers(runs);
        std::fflush(stdout);
        return runs;
    }
    bool Announcing() const override { return model.Announcing(); }

    void ShowSent(const TimedBytes& run, std::chrono::system_clock::time_point first,
                  std::chrono::system_clock::time_point last) {
        if (run.announcement) return;
        std::lock_guard guard(lock);
        std::printf("  sent %zu bytes: first %s, last %s\n", run.bytes.size(), LogStamp(first).c_str(),
                    LogStamp(last).c_str());
        std::fflush(stdout);
    }

  private:
    void ShowAnswers(const std::vector<TimedBytes>& runs) {
        const BootLoaderEmulator* loader = model.BootLoader();
        int blocks = loader ? loader->BlocksReceived() : 0;
        if (loader == loaderShown && blocks != blocksShown) std::printf("boot loader: block %d\n", blocks);
        loaderShown = loader;
        blocksShown = blocks;
        for (const auto& run : runs) {
            if (run.announcement) continue;
            std::string bytes(run.bytes.begin(), run.bytes.end());
            std::printf("  answer after %u ms: %s\n", run.delayMs, HexBytes(bytes).c_str());
        }
        if (!runs.empty() && runs.back().announcement) std::printf("  announces BLST every 500 ms\n");
    }

    SensorModel& model;
    std::function<void(unsigned)> wander;
    unsigned heard = 0;
    std::mutex lock;
    std::size_t shown = 0;
    const BootLoaderEmulator* loaderShown = nullptr;
    int blocksShown = 0;
};

std::unique_ptr<SensorModel> MakeModel(const ProgramOptions& options) {
    if (options.model == "kline") {
        KlineSensorScript script{.mark = options.mark};
        std::printf("K-line sensor %d at 9600 baud, model mark \"%s\", release %s\n", script.number,
                    script.mark.c_str(), script.release.c_str());
        return std::make_unique<KlineSensorModel>(script);
    }
    if (options.model == "radio") {
        RadioModuleScript script;
        std::printf("Radio module %u at address %u, 19200 baud, %zu devices; in add mode device %u joins "
                    "after %u ms\n",
                    script.serial, script.address, script.devices.size(), script.newDevice->serial,
                    script.joinAfterMs);
        return std::make_unique<RadioModuleModel>(script);
    }
    Rs485SensorScript script{.kind = static_cast<std::uint8_t>(options.kind)};
    std::printf("RS-485 sensor %u at address %u, 19200 baud, kind %u, release %s\n", script.serial,
                script.address, script.kind, script.release.c_str());
    return std::make_unique<Rs485SensorModel>(script);
}

// The reading at a step of its wander: within `spread` either side of `base`, a new value each step.
template <class T> T Wander(T base, int spread, unsigned step) {
    return static_cast<T>(base + static_cast<int>(step * 7u % (2u * spread + 1u)) - spread);
}

// Moves the readings the models start with (their scripts' own) a step at a time.
std::function<void(unsigned)> ReadingsWander(SensorModel& model) {
    if (auto* rs485 = dynamic_cast<Rs485SensorModel*>(&model)) {
        return [rs485, start = Rs485SensorScript{}.readings](unsigned step) {
            Rs485Readings now = start;
            now.level = Wander(start.level, 20, step);
            now.filtered = Wander(start.filtered, 20, step);
            now.current = Wander(start.current, 20, step + 1);
            now.frequency = Wander(start.frequency, 50, step);
            rs485->SetReadings(now);
        };
    }
    if (auto* kline = dynamic_cast<KlineSensorModel*>(&model)) {
        return [kline, start = KlineSensorScript{}.readings](unsigned step) {
            KlineReadings now = start;
            now.filtered = Wander(start.filtered, 20, step);
            now.current = Wander(start.current, 20, step + 1);
            now.normalised = Wander(start.normalised, 20, step);
            now.frequency = Wander(start.frequency, 50, step);
            kline->SetReadings(now);
        };
    }
    return nullptr;
}

void ShowSilence(const SensorModel& model) {
    std::printf("%s\n", model.Silent() ? "silent" : "answering again");
    std::fflush(stdout);
}

// Runs until interrupted; switches the model's silence on SIGUSR1 and after the time given.
void Serve(SensorModel& model, int silentAfterSeconds) {
    auto silenceAt = std::chrono::steady_clock::now() + std::chrono::seconds(silentAfterSeconds);
    bool silenceDue = silentAfterSeconds >= 0;
    std::printf("kill -USR1 %d switches the sensor's silence\n", static_cast<int>(::getpid()));
    std::fflush(stdout);
    for (;;) {
        int signal = NextSignal(silenceDue ? &silenceAt : nullptr);
        if (signal == 0) {
            silenceDue = false;
            model.SetSilent(true);
        } else if (signal == SIGUSR1) {
            model.SetSilent(!model.Silent());
        } else {
            return;
        }
        ShowSilence(model);
    }
}

void ShowPort(EmulatorLine& line, const PortMap& map) {
    std::printf("%s -> %s\nexport SONDRIX_PORTS=%s\n", line.ComName().c_str(), line.SlavePath().c_str(),
                map.Folder().c_str());
    std::fflush(stdout);
}

int ShowFramesOnly(PortMap& map, const EmulatorLine::Options& options) {
    EmulatorLine line(map, options);
    ShowPort(line, map);
    std::mutex decoderLock;
    RequestDecoder decoder;
    line.Start([&](EmulatorLine&, const std::string& bytes) {
        std::lock_guard guard(decoderLock);
        ShowFrames(decoder, bytes);
    });
    while (NextSignal(nullptr) == SIGUSR1) {
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    ProgramOptions options;
    if (!ParseArguments(argc, argv, options)) {
        std::fprintf(
            stderr,
            "usage: %s [--com N] [--echo] [--pace] [--description TEXT]\n"
            "          [--model rs485|kline|radio] [--kind 0|1|2] [--mark TEXT] [--silent-after SECONDS]\n"
            "          [--stamps] [--wander]\n",
            argv[0]);
        return 2;
    }
    sigset_t handled = HandledSignals();
    pthread_sigmask(SIG_BLOCK, &handled, nullptr); // before the line's thread inherits the mask
    std::signal(SIGPIPE, SIG_IGN); // a reader that went away must not end us with the map left
    PortMap map;
    if (options.model.empty()) return ShowFramesOnly(map, options.line);
    auto model = MakeModel(options);
    ShownModel shown(*model, options.wander ? ReadingsWander(*model) : nullptr);
    DeviceLine::SentNotice sent;
    if (options.stamps)
        sent = [&shown](const TimedBytes& run, auto first, auto last) { shown.ShowSent(run, first, last); };
    DeviceLine device(map, shown, options.line, sent);
    ShowPort(device.Line(), map);
    if (options.line.echo) std::printf("The adapter echoes every byte.\n");
    Serve(*model, options.silentAfterSeconds);
    return 0;
}
