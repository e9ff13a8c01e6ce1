#include "output/replacing_save.h"

#include "platform/file_replace.h"

namespace tavrin {

using platform::SaveTarget;

bool SaveReplacing(const char* path, const std::function<bool(const char* writePath)>& write) {
    if (path == nullptr || path[0] == '\0') {
        return false;
    }
    const SaveTarget target = platform::ExamineSaveTarget(path);
    const char* file = target.path.c_str();
    if (target.way == SaveTarget::Way::kDirect) {
        return write(file);
    }
    if (target.way == SaveTarget::Way::kReplace) {
        // On failure the temporary file goes with `replacement`.
        platform::TemporaryFile replacement;
        if (replacement.CreateBeside(file)) {
            return write(replacement.WritePath()) && replacement.MoveOver(file);
        }
        if (!target.exists) {
            return false;
        }
    }
    // The file itself takes the new content (hard links, an owner that a new
    // file could not have, a folder that takes no new file): staged whole
    // first, so that a save that fails leaves the file as it was.
    platform::TemporaryFile staging;
    return staging.CreateStaging(file) && write(staging.WritePath()) && staging.CopyInto(file);
}

}  // namespace tavrin
