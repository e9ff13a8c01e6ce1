// Runs a program of the host (an independent reader such as Pillow or
// ffprobe) through the shell and collects what it printed.
#pragma once

#include <string>

namespace tavrin::test {

struct CommandResult {
    int exitCode = -1;
    std::string output;  // standard output and standard error together
};

// `capture` is a scratch file that receives the output.
CommandResult RunCommand(const std::string& command, const std::string& capture);

}  // namespace tavrin::test
