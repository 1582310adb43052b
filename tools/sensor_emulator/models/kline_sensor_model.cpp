#include "tools/sensor_emulator/models/kline_sensor_model.h"

#include <charconv>

namespace sensor_emulator {

namespace {

struct KlineRequest {
    char letter = 0;
    std::optional<long> number; // the sensor number right after the letter
    std::string rest;
};

std::optional<KlineRequest> ParseRequest(const std::vector<std::uint8_t>& payload) {
    std::string text(payload.begin(), payload.end());
    if (text.size() < 3 || text[0] != ' ' || text[1] != '#') return std::nullopt;
    KlineRequest request{text[2], std::nullopt, ""};
    std::size_t end = 3;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9')
        ++end;
    long number = 0;
    auto parsed = std::from_chars(text.data() + 3, text.data() + end, number);
    if (end > 3 && parsed.ec == std::errc()) request.number = number;
    request.rest = text.substr(end);
    return request;
}

// Signed decimal numbers between blanks; anything else in the text refuses it whole.
std::optional<std::vector<long>> Numbers(std::string_view text) {
    std::vector<long> numbers;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == ' ') {
            ++at;
            continue;
        }
        std::size_t end = std::min(text.find(' ', at), text.size());
        long value = 0;
        auto parsed = std::from_chars(text.data() + at, text.data() + end, value);
        if (parsed.ec != std::errc() || parsed.ptr != text.data() + end) return std::nullopt;
        numbers.push_back(value);
        at = end;
    }
    return numbers;
}

} // namespace

KlineSensorModel::KlineSensorModel(KlineSensorScript script) : SensorModel(9600), script(std::move(script)) {}

void KlineSensorModel::SetReadings(const KlineReadings& readings) {
    std::lock_guard guard(lock);
    script.readings = readings;
}

void KlineSensorModel::Answer(const SensorFrame& request, std::vector<TimedBytes>& out) {
    auto parsed = request.format == FrameFormat::Kline ? ParseRequest(request.payload) : std::nullopt;
    if (!parsed) return;
    char letter = parsed->letter;
    // " #f" is the configurator's probe, " #F" kflasher's: neither carries a number.
    if (letter == 'f' || letter == 'F') return Reply(out, EncodeKlineReply(0, 0, IdentifyText()));
    if (parsed->number != script.number) return;
    const std::string& rest = parsed->rest;
    if (letter == 'T' && rest.ends_with("BOOT") && !rest.starts_with(' ')) {
        std::string text(request.payload.begin(), request.payload.end());
        return PassToBootLoader(BootScript(), EncodeKlineRequest(request.address, request.command, text),
                                out);
    }
    if (!rest.empty()) RecordWrite(letter, std::vector<std::uint8_t>(rest.begin(), rest.end()));
    auto values = Values(letter, rest);
    if (!values) return;
    std::string text = " #" + std::string(1, letter) + std::to_string(script.number) + ":";
    for (std::size_t i = 0; i < values->size(); ++i)
        text += (i ? " " : "") + std::to_string((*values)[i]);
    Reply(out, EncodeKlineReply(0, 0, text));
    if (letter == 'T' && values->front() == 0) HandOver(BootScript(), out);
}

// " #I", the number, the name, '>' and the model mark, a blank, the release up to '$'.
std::string KlineSensorModel::IdentifyText() const {
    std::string mark = script.mark.ends_with(' ') ? script.mark : script.mark + " ";
    return " #I" + std::to_string(script.number) + " " + script.name + ">" + mark + script.release + "$";
}

std::optional<std::vector<long>> KlineSensorModel::Values(char letter, const std::string& rest) {
    const KlineReadings& now = script.readings;
    const SensorCounters& counters = script.counters;
    switch (letter) {
    case 'D':
        return std::vector<long>{now.filtered, now.temperature, now.current, now.normalised};
    case 'B':
        return std::vector<long>{now.mode, now.analog};
    case 'E':
        return std::vector<long>{now.mode, now.millivolts, now.frequency};
    case 'K':
    case 'Q':
        return Settings(letter);
    case 'X':
        return std::vector<long>{counters.workingMinutes, counters.powerUps, counters.watchdogResets,
                                 counters.eepromRestores, counters.powerOverloads};
    case 'R': // read, or "=" and the new address
        if (rest.starts_with('=')) Write(letter, rest.substr(1));
        return std::vector<long>{script.address};
    case 'P': // read, or "=" and eight bytes
        if (rest.starts_with('=')) Write(letter, rest.substr(1));
        return std::vector<long>(script.password.begin(), script.password.end());
    case 'C':
    case 'W':
    case 'S':
        return std::vector<long>{Write(letter, rest)};
    case 'T':
        if (rest != " BOOT") return std::nullopt;
        return std::vector<long>{0};
    default:
        return std::nullopt;
    }
}

// 'K': body, tube, fuel and flags; 'Q': body, tube, fuel, the flag word and eleven values, four
// more for the model with the NFC password panel.
std::vector<long> KlineSensorModel::Settings(char letter) const {
    const SensorSettings& settings = script.settings;
    std::vector<long> values{settings.body, settings.tube, settings.fuel};
    if (letter == 'K') {
        values.push_back(settings.flags);
        return values;
    }
    values.push_back(settings.flagWord);
    values.insert(values.end(), settings.extended.begin(), settings.extended.end());
    if (script.mark == ":2") values.insert(values.end(), settings.more.begin(), settings.more.end());
    return values;
}

// A write the sensor cannot read is refused with status 1.
std::uint8_t KlineSensorModel::Write(char letter, const std::string& rest) {
    auto numbers = Numbers(rest);
    return numbers && Store(letter, *numbers) ? 0 : 1;
}

bool KlineSensorModel::Store(char letter, const std::vector<long>& numbers) {
    SensorSettings& settings = script.settings;
    auto word = [&](std::size_t i) { return static_cast<std::uint16_t>(numbers[i]); };
    switch (letter) {
    case 'C': // the calibration itself changes nothing the model keeps
        return numbers.size() == 1;
    case 'R':
        if (numbers.size() != 1) return false;
        script.address = static_cast<int>(numbers[0]);
        return true;
    case 'P':
        if (numbers.size() != script.password.size()) return false;
        for (std::size_t i = 0; i < numbers.size(); ++i)
            script.password[i] = static_cast<std::uint8_t>(numbers[i]);
        return true;
    case 'W':
        if (numbers.size() != 4) return false;
        settings.body = word(0);
        settings.tube = word(1);
        settings.fuel = word(2);
        settings.flags = static_cast<std::uint8_t>(numbers[3]);
        return true;
    case 'S':
        if (numbers.size() != 15 && numbers.size() != 19) return false;
        settings.body = word(0);
        settings.tube = word(1);
        settings.fuel = word(2);
        settings.flagWord = word(3);
        for (std::size_t i = 0; i < settings.extended.size(); ++i)
            settings.extended[i] = word(4 + i);
        for (std::size_t i = 0; numbers.size() == 19 && i < settings.more.size(); ++i)
            settings.more[i] = word(15 + i);
        return true;
    default:
        return false;
    }
}

BootLoaderScript KlineSensorModel::BootScript() const {
    return {.model = LineModel::Kline, .identification = IdentifyText().substr(3)};
}

} // namespace sensor_emulator
