// The command line of the `tavrin` tool, parsed without side effects so that
// it can be tested (and fuzzed) on its own.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace tavrin::tool {

struct Options {
    std::string command;
    std::vector<std::string> arguments;
    std::string output;
    std::string format = "bmp";
    bool formatGiven = false;  // otherwise snap takes it from the file name
    std::string simulator;     // the --sim text, empty when not given
    bool simulatorGiven = false;
    std::string replay;        // --replay FILE: a recorded session plays the camera
    int mode = 24;
    int milliseconds = 3000;
    bool millisecondsGiven = false;
    int frames = 30;
    int device = 0;
    std::array<int, 4> region{};  // --region: left, top, width, height
    bool regionGiven = false;
};

// Parses the arguments after the program name. Returns an empty string when
// the command line made sense, otherwise what is wrong with it.
std::string ParseToolArguments(const std::vector<std::string>& arguments, Options& options);

// Checks a simulator description "SLOTS[;key=value]...". Returns an empty
// string when every part is known and well formed, otherwise the problem.
std::string CheckSimulatorOption(const std::string& text);

// A whole decimal or 0x-prefixed number that fits an int.
bool ParseInt(const std::string& text, int& value);

}  // namespace tavrin::tool
