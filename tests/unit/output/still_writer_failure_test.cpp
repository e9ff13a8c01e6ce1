// Still image writers facing files they cannot finish: a full disk, a folder
// that does not exist, and errors inside libpng and libjpeg. Each returns 0
// and the process carries on.
#include <gtest/gtest.h>

#include <string>

#include "output/jpeg_writer.h"
#include "output/png_writer.h"
#include "output/raw_writer.h"
#include "output/save_image.h"
#include "output/tiff_writer.h"
#include "output_test_support.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace tavrin {
namespace {

using test::MakeCameraImage;

class StillWriterFailureTest : public ::testing::Test {
protected:
    test::ScratchDirectory dir_{"still_writer_failure"};
};

TEST_F(StillWriterFailureTest, EveryFormatOnAFullDiskReturnsZero) {
    if (!test::HaveFullDevice()) {
        GTEST_SKIP() << "needs Linux's /dev/full";
    }
    // A small image fails when the last buffered bytes are flushed; a large
    // one already while the libraries write.
    for (int32_t size : {8, 700}) {
        for (int32_t bits : {8, 16, 24, 32, 48, 64}) {
            const CDibImage image = MakeCameraImage(size, size, bits);
            for (int32_t code = 0; code <= 6; ++code) {
                testing::internal::CaptureStderr();
                const int32_t result = SaveImage(test::kFullDevice, image, code, 10);
                testing::internal::GetCapturedStderr();
                EXPECT_EQ(result, 0) << "code " << code << ", " << bits << " bits, " << size << " pixels";
            }
        }
    }
}

TEST_F(StillWriterFailureTest, EveryFormatInAMissingFolderReturnsZero) {
    const CDibImage image = MakeCameraImage(4, 4, 24);
    const std::string path = dir_.File("missing/folder/image");
    for (int32_t code = 0; code <= 6; ++code) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(SaveImage(path.c_str(), image, code, 10), 0) << code;
        testing::internal::GetCapturedStderr();
    }
}

TEST_F(StillWriterFailureTest, LibjpegErrorComesBackAsZeroInsteadOfEndingTheProcess) {
    // Wider than libjpeg's 65,500-pixel limit: jpeg_start_compress raises an error.
    CDibImage image;
    ASSERT_EQ(image.Create(70000, 1, 8), 1);
    const std::string path = dir_.File("too_wide.jpg");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(WriteJpeg(path.c_str(), image, 90, true));
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("65500"), std::string::npos) << message;
    // And the writer still works afterwards.
    const CDibImage small = MakeCameraImage(8, 8, 24);
    EXPECT_TRUE(WriteJpeg(dir_.File("after.jpg").c_str(), small, 90, true));
}

TEST_F(StillWriterFailureTest, LibpngErrorIsReportedAndReturnsZero) {
    // Wider than libpng's default limit of 1,000,000 pixels: the header is refused.
    CDibImage image;
    ASSERT_EQ(image.Create(1000001, 1, 8), 1);
    const std::string path = dir_.File("too_wide.png");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(WritePng(path.c_str(), image.Bits(), image.Width(), image.Height(), 8));
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("libpng error: "), std::string::npos) << message;
    const CDibImage small = MakeCameraImage(8, 8, 24);
    EXPECT_TRUE(WritePng(dir_.File("after.png").c_str(), small.Bits(), 8, 8, 24));
}

TEST_F(StillWriterFailureTest, WritersRefuseWhatTheyCannotEncodeBeforeMakingAFile) {
    const CDibImage gray16 = MakeCameraImage(4, 4, 16);
    const std::string jpeg = dir_.File("gray16.jpg");
    EXPECT_FALSE(WriteJpeg(jpeg.c_str(), gray16, 90, true));  // the dispatcher converts 16 bits first
    EXPECT_FALSE(test::Exists(jpeg));
    const std::string png = dir_.File("twelve.png");
    EXPECT_FALSE(WritePng(png.c_str(), gray16.Bits(), 4, 4, 12));
    EXPECT_FALSE(WritePng(png.c_str(), nullptr, 4, 4, 8));
    EXPECT_FALSE(test::Exists(png));
    const CDibImage empty;
    EXPECT_FALSE(WriteRaw(empty, dir_.File("empty.raw").c_str()));
    EXPECT_FALSE(WriteTiff(dir_.File("empty.tif").c_str(), empty, 10));
    EXPECT_FALSE(test::Exists(dir_.File("empty.raw")));
    EXPECT_FALSE(test::Exists(dir_.File("empty.tif")));
}

}  // namespace
}  // namespace tavrin

namespace tavrin {
namespace {

TEST(StillReplaceTest, SaveReplacesAnEarlierFileWholeAndWritesThroughALink) {
    test::ScratchDirectory dir("still_replace");
    const std::string path = dir.File("image.bmp");
    for (uint32_t seed : {1u, 2u}) {
        ASSERT_EQ(SaveImage(path.c_str(), test::MakeCameraImage(6, 4, 24, seed), kStillRaw, 10), 1);
        EXPECT_EQ(test::ReadFileBytes(path).front(), test::MakeCameraImage(6, 4, 24, seed).Bits()[0]);
    }
    const std::string link = dir.File("link.bmp");
    std::error_code error;
    std::filesystem::create_symlink("image.bmp", link, error);
    if (!error) {
        ASSERT_EQ(SaveImage(link.c_str(), test::MakeCameraImage(6, 4, 24, 3), kStillRaw, 10), 1);
        EXPECT_TRUE(std::filesystem::is_symlink(link));
        EXPECT_EQ(test::ReadFileBytes(path).front(), test::MakeCameraImage(6, 4, 24, 3).Bits()[0]);
    }
    // Nothing but the image and the link: no temporary file stays behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), error ? 1 : 2);
}

#ifndef _WIN32
// Another user plants links at the names a save might take for its
// temporary file (here every name of the old predictable pattern for this
// thread): the save must create its own file and never write through them.
TEST(StillReplaceTest, SaveNeverWritesThroughPlantedLinks) {
    test::ScratchDirectory dir("still_planted");
    const std::string victim = dir.File("victim");
    { std::ofstream(victim, std::ios::binary) << "precious"; }
    const std::string path = dir.File("image.png");
    for (unsigned n = 0; n < 3000; ++n) {
        const std::string name =
            path + "." + std::to_string(getpid()) + "-" + std::to_string(gettid()) + "-" + std::to_string(n) + ".tmp";
        std::filesystem::create_symlink(victim, name);
    }
    for (int32_t code = 0; code <= 6; ++code) {
        ASSERT_EQ(SaveImage(path.c_str(), test::MakeCameraImage(6, 4, 24, 5), code, 10), 1) << code;
    }
    EXPECT_EQ(test::ReadFileBytes(victim).size(), 8u);
    // The links, the victim and the image, and nothing else.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 3002);
}
#endif

// Names of 240 to 255 bytes, up to the limit of one name: the temporary
// file's name must stay within it too.
TEST(StillReplaceTest, LongNamesSave) {
    test::ScratchDirectory dir("still_long_name");
    for (size_t length : {240, 250, 254, 255}) {
        const std::string path = dir.File(std::string(length - 4, 'n') + ".png");
        for (int round = 0; round < 2; ++round) {
            ASSERT_EQ(SaveImage(path.c_str(), test::MakeCameraImage(6, 4, 24, 6), kStillPng, 10), 1)
                << length << " bytes, save " << round;
        }
        std::filesystem::remove(path);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 0);
}

}  // namespace
}  // namespace tavrin
