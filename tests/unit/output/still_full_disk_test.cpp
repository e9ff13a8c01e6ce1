// Still images saved into a file system that fills up half-way (the test runs
// with the process's file size limit lowered): the save fails, an earlier file
// of that name keeps every byte, also when reached through a symbolic link or
// a second hard link, and no temporary file stays behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "output/save_image.h"
#include "output_test_support.h"

namespace tavrin {
namespace {

// Noise, so that no format compresses the picture below the limit.
CDibImage NoiseImage(int32_t width, int32_t height) {
    CDibImage image;
    EXPECT_EQ(image.Create(width, height, 24), 1);
    std::mt19937 random(7);
    for (size_t i = 0; i < image.ImageBytes(); ++i) {
        image.Bits()[i] = static_cast<uint8_t>(random());
    }
    return image;
}

TEST(StillFullDiskTest, FailedSaveKeepsTheEarlierFileAndLeavesNoTemporaryFile) {
    if (std::getenv("TAVRIN_FILE_SIZE_LIMIT") == nullptr) {
        GTEST_SKIP() << "run through its ctest case, which lowers the file size limit";
    }
    test::ScratchDirectory dir("still_full_disk");
    const CDibImage small = test::MakeCameraImage(16, 16, 24);
    // 30 MB of pixels; even a JPEG of quality 20 comes to twice the limit of 1 MiB.
    const CDibImage tooLarge = NoiseImage(4000, 2500);
    for (int32_t code = kStillBmp; code <= kStillTiff; ++code) {
        const std::string earlier = dir.File("earlier_" + std::to_string(code));
        ASSERT_EQ(SaveImage(earlier.c_str(), small, code, 10), 1) << code;
        const std::vector<uint8_t> before = test::ReadFileBytes(earlier);
        const std::string symbolic = dir.File("symbolic_" + std::to_string(code));
        const std::string hard = dir.File("hard_" + std::to_string(code));
        std::filesystem::create_symlink("earlier_" + std::to_string(code), symbolic);
        std::filesystem::create_hard_link(earlier, hard);
        testing::internal::CaptureStderr();
        for (const std::string& name : {earlier, symbolic, hard}) {
            EXPECT_EQ(SaveImage(name.c_str(), tooLarge, code, 10), 0) << code << " " << name;
        }
        const std::string fresh = dir.File("fresh_" + std::to_string(code));
        EXPECT_EQ(SaveImage(fresh.c_str(), tooLarge, code, 10), 0) << code;
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(test::ReadFileBytes(earlier), before) << code;
        EXPECT_FALSE(test::Exists(fresh)) << code;
    }
    const auto files = std::distance(std::filesystem::directory_iterator(dir.Path()), {});
    EXPECT_EQ(files, 3 * (kStillTiff + 1)) << "only the earlier files and their links remain";
}

}  // namespace
}  // namespace tavrin
