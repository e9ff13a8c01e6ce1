// Feeds the tool's command-line parser with arbitrary argument lists: the
// input is split at NUL bytes into arguments.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/tool_args.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> arguments(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\0') {
            arguments.emplace_back();
        } else {
            arguments.back().push_back(static_cast<char>(data[i]));
        }
    }
    tavrin::tool::Options options;
    const std::string problem = tavrin::tool::ParseToolArguments(arguments, options);
    // A parse that succeeds always names a command.
    if (problem.empty() && options.command.empty()) {
        __builtin_trap();
    }
    tavrin::tool::CheckSimulatorOption(arguments.front());
    return 0;
}
