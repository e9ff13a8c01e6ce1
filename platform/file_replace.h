// Replacing a file in one step, so that a save that fails half-way never
// leaves a damaged file where a good one was: the new content goes to a
// temporary file beside the target, which is renamed over the target only
// once it is complete.
#pragma once

#include <string>

namespace tavrin::platform {

// A name in the same folder as `target` (so that the rename stays on one
// volume), different for every call, thread and process.
std::string TemporaryNameBeside(const char* target);

// True when `path` names nothing yet or an ordinary file. Devices, pipes,
// symbolic links and other special files are written in place: renaming over
// them would replace the device node or the link itself.
bool IsReplaceableFile(const char* path);

// Renames `from` to `to`, replacing an existing `to` in one step.
bool MoveOverFile(const char* from, const char* to);

// Removes a file; false when it could not be removed (or did not exist).
bool RemoveFile(const char* path);

}  // namespace tavrin::platform
