#include "output/replacing_save.h"

#include <string>

#include "platform/file_replace.h"

namespace tavrin {

bool SaveReplacing(const char* path, const std::function<bool(const char* writePath)>& write) {
    if (path == nullptr || path[0] == '\0') {
        return false;
    }
    if (!platform::IsReplaceableFile(path)) {
        return write(path);
    }
    platform::TemporaryFile temporary;
    if (!temporary.CreateBeside(path)) {
        return false;
    }
    // On failure the temporary file goes with `temporary`.
    return write(temporary.WritePath()) && temporary.MoveOver(path);
}

}  // namespace tavrin
