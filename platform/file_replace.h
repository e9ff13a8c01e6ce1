// Replacing a file in one step, so that a save that fails half-way never
// leaves a damaged file where a good one was: the new content goes to a
// temporary file beside the target, which is renamed over the target only
// once it is complete.
//
// A rename gives the target's name a new file, so it is used only where the
// new file can be the old one's equal: its folder takes a new file, the file
// has no further hard links (a rename would split them), and the new file
// can be given the old one's owner, group and permission bits. Otherwise the
// file is rewritten in place, from a complete copy staged first and only
// once the room for all of it is reserved, so that a save that fails (a full
// disk) still leaves it as it was. A symbolic link is followed to its file,
// which is replaced while the link stays.
#pragma once

#include <cstdint>
#include <string>

namespace tavrin::platform {

// How a save reaches its target.
struct SaveTarget {
    enum class Way {
        kReplace,  // a new file renamed over the target (or made there)
        kRewrite,  // the existing file rewritten in place
        kDirect,   // written straight through: devices, pipes, links that name nothing yet
    };
    Way way = Way::kReplace;
    std::string path;     // the file itself: a symbolic link's file
    bool exists = false;  // an ordinary file is there
};
SaveTarget ExamineSaveTarget(const char* path);

// A new file, created exclusively under an unpredictable name: a link or
// file planted at some name is never opened, the creation just moves on to
// another name. Its name keeps within the 255-byte limit of one name by
// shortening the target's stem, so any target name can be saved. Before it
// is made, temporary files that ended programs left in its folder are
// removed (a live program's are locked, or open, and stay).
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

    // Creates the replacement of `target` beside it. An existing target's
    // owner, group and permission bits are kept (the bits set at MoveOver,
    // as they may not let us write). False when no such file can be made: a
    // folder that takes no new file, an owner this program cannot give.
    bool CreateBeside(const char* target);
    // Creates a file to stage a rewrite of `target` in: beside it where the
    // folder takes one, else in the system's temporary folder.
    bool CreateStaging(const char* target);
    const char* WritePath() const { return writePath_.c_str(); }
    // Renames the file over `target`, replacing it in one step.
    bool MoveOver(const char* target);
    // Rewrites `target` in place with this file's content: first reserves
    // room for all of it, then copies it and sets the length.
    bool CopyInto(const char* target);

private:
    bool CreateIn(const std::string& folder, std::string stem, int mode);
    void Close();
    void Discard();
    std::string name_;
    std::string writePath_;
    intptr_t handle_ = -1;
    int keptMode_ = -1;  // POSIX: the permission bits to give it at MoveOver
    bool moved_ = false;
};

}  // namespace tavrin::platform
