// Saving a still image without putting an earlier file at risk: the writer
// fills a temporary file beside the target, and only a complete file is
// renamed over the target. On failure the temporary file is removed, so an
// earlier file stays as it was and a failed first save leaves nothing that
// looks like an image.
#pragma once

#include <functional>

namespace tavrin {

// Calls `write` with the path it should create and returns its result.
// Targets that are devices or pipes are written in place, as they cannot be
// replaced by a rename.
bool SaveReplacing(const char* path, const std::function<bool(const char* writePath)>& write);

}  // namespace tavrin
