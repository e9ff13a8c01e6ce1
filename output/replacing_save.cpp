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
    const std::string temporary = platform::TemporaryNameBeside(path);
    if (write(temporary.c_str()) && platform::MoveOverFile(temporary.c_str(), path)) {
        return true;
    }
    platform::RemoveFile(temporary.c_str());
    return false;
}

}  // namespace tavrin
