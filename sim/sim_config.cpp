#include "sim/sim_config.h"

#include <charconv>
#include <optional>
#include <string_view>

namespace tavrin::sim {

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<int> ParseInt(std::string_view text, int low, int high) {
    text = Trim(text);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

void ParseSlots(std::string_view list, SimConfig& config) {
    while (!list.empty()) {
        const size_t comma = list.find(',');
        if (const auto slot = ParseInt(list.substr(0, comma), 0, kSlotCount - 1)) {
            config.occupied[static_cast<size_t>(*slot)] = true;
        }
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
}

// The replay's options; false when the key is none of them.
bool ApplyReplayOption(std::string_view key, std::string_view value, ReplaySettings& replay) {
    value = Trim(value);
    if (key == "replay") {
        replay.path = std::string(value);
    } else if (key == "pace") {
        if (value == "recorded" || value == "fast") {
            replay.pace = value == "fast" ? ReplayPace::kFast : ReplayPace::kRecorded;
        }
    } else if (key == "end") {
        if (value == "stall" || value == "unplug" || value == "loop") {
            replay.end = value == "stall" ? ReplayEnd::kStall : value == "unplug" ? ReplayEnd::kUnplug : ReplayEnd::kLoop;
        }
    } else if (key == "strict") {
        if (value == "0" || value == "1") {
            replay.strict = value == "1";
        }
    } else {
        return false;
    }
    return true;
}

void ApplyOption(std::string_view item, SimConfig& config) {
    const size_t equals = item.find('=');
    if (equals == std::string_view::npos) {
        return;
    }
    const std::string_view key = Trim(item.substr(0, equals));
    const std::string_view value = item.substr(equals + 1);
    if (ApplyReplayOption(key, value, config.replay)) {
        return;
    }
    struct Option {
        std::string_view key;
        int* field;
        int low;
        int high;
    };
    const Option options[] = {
        {"pattern", &config.pattern, 0, 3},         {"level", &config.level, 0, 1023},
        {"interval", &config.intervalMs, 0, 60000}, {"light", &config.lightPercent, 0, 100000},
        {"variant", &config.variant, 0, 255},       {"log", &config.logCapacity, 1, 1 << 20},
        {"settle", &config.settle, 0, 1},
    };
    for (const Option& option : options) {
        if (option.key == key) {
            if (const auto parsed = ParseInt(value, option.low, option.high)) {
                *option.field = *parsed;
            }
        }
    }
}

}  // namespace

SimConfig ParseSimConfig(const std::string& setting) {
    SimConfig config;
    std::string_view rest(setting);
    const size_t semicolon = rest.find(';');
    ParseSlots(rest.substr(0, semicolon), config);
    rest = semicolon == std::string_view::npos ? std::string_view() : rest.substr(semicolon + 1);
    while (!rest.empty()) {
        const size_t next = rest.find(';');
        ApplyOption(rest.substr(0, next), config);
        rest = next == std::string_view::npos ? std::string_view() : rest.substr(next + 1);
    }
    return config;
}

}  // namespace tavrin::sim
