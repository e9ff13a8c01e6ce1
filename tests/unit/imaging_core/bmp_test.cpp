#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "imaging/dib_image.h"
#include "test_images.h"
#include "support/required_tool.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Le32(const std::vector<uint8_t>& bytes, size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

class BmpFile : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = fs::temp_directory_path() / (std::string("tavrin_bmp_") + info->name() + ".bmp");
        fs::remove(path_);
    }
    void TearDown() override { fs::remove(path_); }
    std::string Name() const { return path_.string(); }

    fs::path path_;
};

TEST_F(BmpFile, EightBitImageHasTableAndExactSize) {
    CDibImage image;
    ASSERT_EQ(image.Create(4, 2, 8), 1);
    testing::FillRandom(image, 11);
    ASSERT_EQ(image.WriteBmp(Name().c_str()), 1);
    const std::vector<uint8_t> file = ReadFile(path_);
    ASSERT_EQ(file.size(), 1086u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Le32(file, 2), 1086u);
    EXPECT_EQ(Le32(file, 6), 0u);
    EXPECT_EQ(Le32(file, 10), 1078u);
    EXPECT_EQ(std::memcmp(file.data() + 14, &image.Header(), 40), 0);
    EXPECT_EQ(std::memcmp(file.data() + 54, image.Palette(), 1024), 0);
    EXPECT_EQ(std::memcmp(file.data() + 1078, image.Bits(), 8), 0);
}

TEST_F(BmpFile, ColourImageHasNoTable) {
    CDibImage image;
    ASSERT_EQ(image.Create(3, 2, 24), 1);
    testing::FillRandom(image, 12);
    ASSERT_EQ(image.WriteBmp(Name().c_str()), 1);
    const std::vector<uint8_t> file = ReadFile(path_);
    ASSERT_EQ(file.size(), 54u + 2u * 12u);
    EXPECT_EQ(Le32(file, 10), 54u);
    EXPECT_EQ(std::memcmp(file.data() + 54, image.Bits(), 24), 0);
}

TEST_F(BmpFile, ExistingFileIsReplaced) {
    {
        std::ofstream old(path_, std::ios::binary);
        old << std::string(5000, 'x');
    }
    CDibImage image;
    ASSERT_EQ(image.Create(4, 2, 8), 1);
    ASSERT_EQ(image.WriteBmp(Name().c_str()), 1);
    EXPECT_EQ(fs::file_size(path_), 1086u);
}

TEST_F(BmpFile, UnopenablePathFails) {
    CDibImage image;
    ASSERT_EQ(image.Create(4, 2, 8), 1);
    const fs::path missing = fs::temp_directory_path() / "tavrin_no_such_dir" / "x.bmp";
    EXPECT_EQ(image.WriteBmp(missing.string().c_str()), 0);
    EXPECT_EQ(image.WriteBmp(nullptr), 0);
}

TEST_F(BmpFile, EmptyImageWritesNothing) {
    CDibImage image;
    EXPECT_EQ(image.WriteBmp(Name().c_str()), 0);
    EXPECT_FALSE(fs::exists(path_));
}

TEST_F(BmpFile, FailedWriteIsReported) {
    // A device that accepts the open but refuses every byte: a full disk.
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full on this system";
    }
    CDibImage image;
    ASSERT_EQ(image.Create(64, 64, 24), 1);
    EXPECT_EQ(image.WriteBmp("/dev/full"), 0);
}

// Pillow, from Debian's python3-pil, reads our files as an independent reader.
TEST_F(BmpFile, PillowReadsTheImageBottomUp) {
    const char* python = "/usr/bin/python3";
    if (!fs::exists(python) || std::system((std::string(python) + " -c \"import PIL\" >/dev/null 2>&1").c_str()) != 0) {
        TAVRIN_SKIP_WITHOUT_TOOL() << "Debian's python3 with python3-pil is not installed";
    }
    const struct Case {
        int bits;
        const char* mode;
    } cases[] = {{8, "RGB"}, {24, "RGB"}, {32, "RGB"}};
    for (const Case& c : cases) {
        CDibImage image;
        ASSERT_EQ(image.Create(5, 3, c.bits), 1);
        testing::FillRandom(image, 13 + c.bits);
        ASSERT_EQ(image.WriteBmp(Name().c_str()), 1);
        const fs::path out = path_.string() + ".txt";
        const std::string command = std::string(python) +
                                    " -c \"import sys; from PIL import Image; im = Image.open(sys.argv[1]);"
                                    " print(im.size[0], im.size[1]);"
                                    " rgb = im.convert('RGB');"
                                    " print(' '.join('%d,%d,%d' % rgb.getpixel((x, y)) for y in range(im.size[1])"
                                    " for x in range(im.size[0])))\" " +
                                    Name() + " > " + out.string();
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        std::ifstream in(out);
        int width = 0, height = 0;
        in >> width >> height;
        EXPECT_EQ(width, 5);
        EXPECT_EQ(height, 3);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x) {
                std::string triple;
                in >> triple;
                // Pillow's top line is the last memory row.
                const uint8_t* pixel = image.Row(2 - y) + x * image.BytesPerPixel();
                std::ostringstream expected;
                if (c.bits == 8) {
                    expected << int(pixel[0]) << ',' << int(pixel[0]) << ',' << int(pixel[0]);
                } else {
                    expected << int(pixel[2]) << ',' << int(pixel[1]) << ',' << int(pixel[0]);
                }
                EXPECT_EQ(triple, expected.str()) << "bits " << c.bits << " at " << x << ',' << y;
            }
        }
        fs::remove(out);
    }
}

}  // namespace
}  // namespace tavrin
