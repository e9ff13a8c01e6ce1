// The tool's session commands: record everything the camera says to its
// driver while it streams, and describe a session file.
//
//   tavrin session record -o FILE [--ms N] [--mode M]
//   tavrin session info FILE
//
// Any other command replays a session with `tavrin --replay FILE COMMAND`.
#pragma once

#include <string>

#include "TavrinSdk.h"
#include "tools/tool_args.h"

namespace tavrin::tool {

// What the session command needs on the command line; empty when it can run.
std::string CheckSessionCommand(const Options& options);
// True when the command works on a file and needs no camera.
bool SessionCommandNeedsNoCamera(const Options& options);

int SessionInfo(const std::string& path);
int SessionRecord(int camera, HWND window, const Options& options);

// The TAVRIN_SIM text that replays a session file in slot 0.
std::string ReplaySetting(const std::string& path);

}  // namespace tavrin::tool
