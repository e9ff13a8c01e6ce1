// Replacing a file in one step, so that a save that fails half-way never
// leaves a damaged file where a good one was: the new content goes to a
// temporary file beside the target, which is renamed over the target only
// once it is complete.
#pragma once

#include <cstdint>
#include <string>

namespace tavrin::platform {

// A new file beside a target (in the same folder, so that the rename stays
// on one volume), created exclusively under an unpredictable name: a link or
// file planted at some name is never opened, the creation just moves on to
// another name. Its name keeps within the 255-byte limit of one name by
// shortening the target's stem, so any target name can be saved.
//
// Writers open WritePath() by name. On Linux that is the descriptor's own
// entry under /proc/self/fd, which reaches this very file even if somebody
// renamed or replaced its name in the folder meanwhile; on Windows the file
// stays open without delete sharing while it is written, so its name cannot
// be taken away. Where /proc is not mounted, WritePath() is the name itself.
class TemporaryFile {
public:
    TemporaryFile() = default;
    // Removes the file unless MoveOver put it in place.
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates the file. It gets the permission bits of an existing ordinary
    // target, else those a new file gets. False when no file could be made
    // (for example a folder that cannot take new files).
    bool CreateBeside(const char* target);
    const char* WritePath() const { return writePath_.c_str(); }
    // Renames the file over `target`, replacing it in one step.
    bool MoveOver(const char* target);

private:
    void Close();
    std::string name_;
    std::string writePath_;
    intptr_t handle_ = -1;
    int keptMode_ = -1;  // POSIX: the permission bits to give it at MoveOver
    bool moved_ = false;
};

// True when `path` names nothing yet or an ordinary file. Devices, pipes,
// symbolic links and other special files are written in place: renaming over
// them would replace the device node or the link itself.
bool IsReplaceableFile(const char* path);

}  // namespace tavrin::platform
