// Saving a still image without putting an earlier file at risk: the writer
// fills a temporary file beside the target, and only a complete file is
// renamed over the target. On failure the temporary file is removed, so an
// earlier file stays as it was and a failed first save leaves nothing that
// looks like an image. A file that a rename would change (hard links, an
// owner a new file cannot have, a folder that takes no new file) is rewritten
// in place from a complete staged copy instead (platform/file_replace.h).
#pragma once

#include <functional>

namespace tavrin {

// Calls `write` with the path it should create and returns its result.
// Targets that are devices or pipes are written straight through, as they
// cannot be replaced by a rename.
bool SaveReplacing(const char* path, const std::function<bool(const char* writePath)>& write);

}  // namespace tavrin
