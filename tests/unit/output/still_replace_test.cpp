// What a save does to the file it replaces on POSIX systems: the file keeps
// its standing (permission bits, owner, hard links), a writable file in a
// folder that takes no new file is still saved, and temporary files that
// killed saves left behind go with the next save in their folder.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "output/save_image.h"
#include "output_test_support.h"

namespace tavrin {
namespace {

constexpr uid_t kOtherUser = 65534;  // nobody
constexpr gid_t kOtherGroup = 65534;

std::vector<uint8_t> RawOf(uint32_t seed) {
    const CDibImage image = test::MakeCameraImage(6, 4, 24, seed);
    return std::vector<uint8_t>(image.Bits(), image.Bits() + image.ImageBytes());
}

// Another owner can be given only by root.
TEST(StillReplaceTest, AReplacedFileKeepsItsModeOwnerAndHardLinks) {
    test::ScratchDirectory dir("still_keeps");
    const std::string path = dir.File("image.raw");
    const std::string second = dir.File("second name.raw");
    const struct {
        const char* what;
        bool needsRoot;
        std::function<int()> prepare;
    } cases[] = {{"mode 0640", false, [&] { return chmod(path.c_str(), 0640); }},
                 {"another owner", true, [&] { return chown(path.c_str(), kOtherUser, kOtherGroup); }},
                 {"a second hard link", false, [&] { return link(path.c_str(), second.c_str()); }}};
    for (const auto& c : cases) {
        if (c.needsRoot && geteuid() != 0) {
            continue;
        }
        std::filesystem::remove(path);
        std::filesystem::remove(second);
        ASSERT_EQ(SaveImage(path.c_str(), test::MakeCameraImage(6, 4, 24, 1), kStillRaw, 10), 1);
        ASSERT_EQ(c.prepare(), 0) << c.what;
        struct stat before {};
        ASSERT_EQ(stat(path.c_str(), &before), 0);
        ASSERT_EQ(SaveImage(path.c_str(), test::MakeCameraImage(6, 4, 24, 2), kStillRaw, 10), 1) << c.what;
        struct stat after {};
        ASSERT_EQ(stat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode) << c.what;
        EXPECT_EQ(after.st_uid, before.st_uid) << c.what;
        EXPECT_EQ(after.st_gid, before.st_gid) << c.what;
        EXPECT_EQ(after.st_nlink, before.st_nlink) << c.what;
        EXPECT_EQ(test::ReadFileBytes(path), RawOf(2)) << c.what;
        if (before.st_nlink > 1) {
            EXPECT_EQ(test::ReadFileBytes(second), RawOf(2)) << c.what;
        }
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2) << "no temporary file stays";
}

// A file this program may write, in a folder where it may not make a file
// (another user's folder when the test runs as root, else a read-only one):
// the save rewrites the file in place.
TEST(StillReplaceTest, AWritableFileInAFolderThatTakesNoNewFileIsSaved) {
    test::ScratchDirectory dir("still_closed_folder");
    const std::string folder = dir.File("closed");
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/image.raw";
    ASSERT_EQ(SaveImage(path.c_str(), test::MakeCameraImage(6, 4, 24, 1), kStillRaw, 10), 1);
    ASSERT_EQ(chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(kOtherGroup) != 0 || setuid(kOtherUser) != 0)) {
            _exit(3);
        }
        _exit(SaveImage(path.c_str(), test::MakeCameraImage(6, 4, 24, 2), kStillRaw, 10) == 1 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    chmod(folder.c_str(), 0755);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(test::ReadFileBytes(path), RawOf(2));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

// A save killed before its rename leaves its temporary file; the next save
// in that folder removes it, but neither one that a live save holds nor
// other files.
TEST(StillReplaceTest, TheNextSaveRemovesTemporaryFilesOfKilledSaves) {
    test::ScratchDirectory dir("still_stale");
    const std::string path = dir.File("image.png");
    const std::string stale = path + ".0123456789abcdef.tmp";
    const std::string held = path + ".fedcba9876543210.tmp";
    const std::string other = dir.File("notes.tmp");
    for (const std::string& name : {stale, held, other}) {
        std::ofstream(name) << "left";
    }
    const int live = open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(live, 0);
    ASSERT_EQ(flock(live, LOCK_EX), 0);
    ASSERT_EQ(SaveImage(path.c_str(), test::MakeCameraImage(6, 4, 24, 1), kStillPng, 10), 1);
    EXPECT_FALSE(test::Exists(stale));
    EXPECT_TRUE(test::Exists(held));
    EXPECT_TRUE(test::Exists(other));
    close(live);
}

}  // namespace
}  // namespace tavrin
