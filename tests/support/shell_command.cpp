#include "support/shell_command.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tavrin::test {

CommandResult RunCommand(const std::string& command, const std::string& capture) {
    const std::string line = "( " + command + " ) > '" + capture + "' 2>&1; echo \"exit=$?\" >> '" + capture + "'";
    CommandResult result;
    if (std::system(line.c_str()) == -1) {
        return result;
    }
    std::ifstream in(capture);
    std::stringstream text;
    text << in.rdbuf();
    result.output = text.str();
    const size_t at = result.output.rfind("exit=");
    if (at != std::string::npos) {
        result.exitCode = std::atoi(result.output.c_str() + at + 5);
        result.output.erase(at);
    }
    return result;
}

}  // namespace tavrin::test
