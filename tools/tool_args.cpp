#include "tools/tool_args.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <iterator>

namespace tavrin::tool {
namespace {

// The simulator's keys and the values each accepts.
struct SimulatorKey {
    const char* name;
    int minimum;
    int maximum;
};

constexpr SimulatorKey kSimulatorKeys[] = {
    {"pattern", 0, 3},       {"level", 0, 1023},  {"interval", 0, INT32_MAX},
    {"light", 0, INT32_MAX}, {"variant", 0, 255}, {"log", 0, INT32_MAX},
    {"settle", 0, 1},
};

std::string CheckSlots(const std::string& slots) {
    size_t start = 0;
    while (start <= slots.size() && !slots.empty()) {
        const size_t comma = slots.find(',', start);
        const std::string slot = slots.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        int value = 0;
        if (!ParseInt(slot, value) || value < 0 || value > 31) {
            return "--sim: '" + slot + "' is not a slot number 0 to 31";
        }
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    return {};
}

// The replay's keys, which take words: "" when well formed, "unknown" when
// the key is none of them, else the problem.
std::string CheckReplayItem(const std::string& key, const std::string& value) {
    struct ReplayKey {
        const char* name;
        const char* values;  // the words it takes; null for any text
    };
    constexpr ReplayKey kReplayKeys[] = {
        {"replay", nullptr}, {"pace", "recorded|fast"}, {"end", "stall|unplug|loop"}, {"strict", "0|1"}};
    for (const ReplayKey& known : kReplayKeys) {
        if (key != known.name) {
            continue;
        }
        if (known.values == nullptr) {
            return value.empty() ? "--sim: replay needs a session file" : "";
        }
        const std::string words = std::string("|") + known.values + "|";
        if (value.empty() || words.find("|" + value + "|") == std::string::npos) {
            return "--sim: " + key + " needs " + known.values;
        }
        return {};
    }
    return "unknown";
}

std::string CheckSimulatorItem(const std::string& item) {
    const size_t equals = item.find('=');
    if (equals == std::string::npos) {
        return "--sim: '" + item + "' is not key=value";
    }
    const std::string key = item.substr(0, equals);
    if (const std::string problem = CheckReplayItem(key, item.substr(equals + 1)); problem != "unknown") {
        return problem;
    }
    for (const auto& known : kSimulatorKeys) {
        if (key == known.name) {
            int value = 0;
            if (!ParseInt(item.substr(equals + 1), value) || value < known.minimum || value > known.maximum) {
                return "--sim: " + key + " needs a number from " + std::to_string(known.minimum) + " to " +
                       std::to_string(known.maximum);
            }
            return {};
        }
    }
    std::string names;
    for (const auto& known : kSimulatorKeys) {
        names += (names.empty() ? "" : ", ") + std::string(known.name);
    }
    return "--sim: unknown option '" + key + "' (known: " + names + ", replay, pace, end, strict)";
}

// "LEFT,TOP,WIDTH,HEIGHT" in pixels; whether it fits the sensor is the
// camera's to say.
std::string ParseRegion(const std::string& text, std::array<int, 4>& region) {
    size_t start = 0;
    for (size_t i = 0; i < region.size(); ++i) {
        const size_t comma = text.find(',', start);
        const bool last = i + 1 == region.size();
        if ((comma == std::string::npos) != last ||
            !ParseInt(text.substr(start, last ? std::string::npos : comma - start), region[i]) || region[i] < 0) {
            return "--region needs LEFT,TOP,WIDTH,HEIGHT: four whole numbers of pixels, none negative";
        }
        start = comma + 1;
    }
    return region[2] == 0 || region[3] == 0 ? "--region: the width and height must not be 0" : "";
}

// Options that take a value, and where the value goes.
bool TakeValue(const std::string& option, const std::string& value, Options& options, std::string& problem) {
    int number = 0;
    const bool isNumber = ParseInt(value, number);
    if (option == "--sim") {
        options.simulator = value;
        options.simulatorGiven = true;
        problem = CheckSimulatorOption(value);
    } else if (option == "--replay") {
        options.replay = value;
        if (value.empty() || value.find(';') != std::string::npos)
            problem = "--replay needs a session FILE (without ';')";
    } else if (option == "-o") {
        options.output = value;
    } else if (option == "--format") {
        options.format = value;
        options.formatGiven = true;
    } else if (option == "--device") {
        options.device = number;
        if (!isNumber || number < 0 || number > 31)
            problem = "--device needs a slot number 0 to 31";
    } else if (option == "--mode") {
        options.mode = number;
        const bool known = number == 8 || number == 16 || number == 24 || number == 32 || number == 48 || number == 64;
        if (!isNumber || !known)
            problem = "--mode needs 8, 16, 24, 32, 48 or 64";
    } else if (option == "--ms") {
        options.milliseconds = number;
        options.millisecondsGiven = true;
        if (!isNumber || number <= 0)
            problem = "--ms needs a positive number";
    } else if (option == "--region") {
        options.regionGiven = true;
        problem = ParseRegion(value, options.region);
    } else if (option == "--frames") {
        options.frames = number;
        if (!isNumber || number <= 0)
            problem = "--frames needs a positive number";
    } else {
        return false;
    }
    return true;
}

}  // namespace

bool ParseInt(const std::string& text, int& value) {
    if (text.empty() || text.size() > 32 || text.find_first_of(" \t\n") != std::string::npos) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || parsed < INT32_MIN || parsed > INT32_MAX) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

std::string CheckSimulatorOption(const std::string& text) {
    const size_t semicolon = text.find(';');
    std::string problem = CheckSlots(text.substr(0, semicolon));
    size_t start = semicolon;
    while (problem.empty() && start != std::string::npos) {
        const size_t next = text.find(';', start + 1);
        const std::string item =
            text.substr(start + 1, next == std::string::npos ? std::string::npos : next - start - 1);
        if (!item.empty()) {
            problem = CheckSimulatorItem(item);
        }
        start = next;
    }
    return problem;
}

std::string ParseToolArguments(const std::vector<std::string>& arguments, Options& options) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (arg == "--version" || arg == "--help") {
            options.command = arg == "--help" ? "help" : "version";
            continue;
        }
        int number = 0;
        if (!arg.empty() && arg[0] == '-' && arg != "-" && !ParseInt(arg, number)) {
            if (i + 1 >= arguments.size()) {
                return arg + " needs a value";
            }
            std::string problem;
            if (!TakeValue(arg, arguments[i + 1], options, problem)) {
                return "unknown option " + arg;
            }
            if (!problem.empty()) {
                return problem;
            }
            ++i;
        } else if (options.command.empty()) {
            options.command = arg;
        } else {
            options.arguments.push_back(arg);
        }
    }
    return options.command.empty() ? "no command given" : "";
}

}  // namespace tavrin::tool
