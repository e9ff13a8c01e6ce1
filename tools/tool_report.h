// How the tool tells the user what went wrong: the SDK's error codes by
// number and name, and the system's reason for a file that cannot be written.
#pragma once

#include <string>

namespace tavrin::tool {

std::string ErrorName(int code);
// Prints "tavrin: WHAT failed: error N (NAME), ..." with every code the SDK
// queued, newest first, then the hint if there is one. Returns 1.
int Fail(int camera, const std::string& what, const std::string& hint = {});
// Why the file cannot be written, in the system's words; empty when it can.
std::string FileProblem(const std::string& path);

}  // namespace tavrin::tool
