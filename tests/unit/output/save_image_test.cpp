// Each row of the still image dispatch table, read back with the decoding
// side of the image libraries (or byte by byte for BMP and raw): size, sample
// layout, row order and channel order.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "image_readers.h"
#include "output/save_image.h"
#include "output_test_support.h"

namespace tavrin {
namespace {

using test::MakeCameraImage;
using test::ReadFileBytes;
using test::U16At;
using test::U32At;
using test::Word;

class SaveImageTest : public ::testing::Test {
protected:
    test::ScratchDirectory dir_{"save_image"};
};

// Channel c (0 = blue) of pixel (x, y) of a camera image, as its raw sample.
uint32_t Sample(const CDibImage& image, int32_t x, int32_t y, int32_t c) {
    const uint8_t* pixel = image.Row(y) + x * image.BytesPerPixel();
    const bool wide = image.BitCount() == 16 || image.BitCount() >= 48;
    return wide ? Word(pixel + 2 * c) : pixel[c];
}

uint16_t BigEndianWord(const std::vector<uint8_t>& row, size_t at) {
    return static_cast<uint16_t>(row[at] << 8 | row[at + 1]);
}

TEST_F(SaveImageTest, BmpOfEveryDepthStoresMemoryRowZeroAsTheTopLine) {
    for (int32_t bits : {8, 16, 24, 32, 48, 64}) {
        SCOPED_TRACE(bits);
        const CDibImage image = MakeCameraImage(7, 5, bits, 3);
        const std::string path = dir_.File("image" + std::to_string(bits) + ".bmp");
        ASSERT_EQ(SaveImage(path.c_str(), image, kStillBmp, 10), 1);
        const auto bytes = ReadFileBytes(path);
        const size_t offset = bits <= 8 ? 1078 : 54;
        ASSERT_EQ(bytes.size(), offset + image.ImageBytes());
        EXPECT_EQ(U16At(bytes, 0), 0x4D42);
        EXPECT_EQ(U32At(bytes, 2), bytes.size());
        EXPECT_EQ(U32At(bytes, 10), offset);
        EXPECT_EQ(U32At(bytes, 18), 7u);
        EXPECT_EQ(U32At(bytes, 22), 5u);
        EXPECT_EQ(U16At(bytes, 28), bits);
        // Bottom-up file: its first stored row is the picture's last line.
        for (int32_t stored = 0; stored < 5; ++stored) {
            const uint8_t* expected = image.Row(4 - stored);
            const size_t at = offset + static_cast<size_t>(stored) * image.Stride();
            EXPECT_TRUE(std::equal(expected, expected + image.Stride(), bytes.begin() + at)) << stored;
        }
    }
}

TEST_F(SaveImageTest, Bmp8CarriesTheGrayColourTable) {
    const CDibImage image = MakeCameraImage(4, 2, 8);
    const std::string path = dir_.File("gray.bmp");
    ASSERT_EQ(SaveImage(path.c_str(), image, kStillBmp, 10), 1);
    const auto bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 1086u);
    EXPECT_EQ(U32At(bytes, 54 + 4 * 200), 0x00C8C8C8u);
}

TEST_F(SaveImageTest, RawIsThePixelMemoryWithRowPadding) {
    for (int32_t bits : {8, 16, 24, 32, 48, 64}) {
        SCOPED_TRACE(bits);
        const CDibImage image = MakeCameraImage(5, 3, bits, 11);
        const std::string path = dir_.File("image" + std::to_string(bits) + ".raw");
        ASSERT_EQ(SaveImage(path.c_str(), image, kStillRaw, 10), 1);
        const auto bytes = ReadFileBytes(path);
        ASSERT_EQ(bytes.size(), image.ImageBytes());
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), image.Bits()));
    }
}

TEST_F(SaveImageTest, PngOfEachDepthHasItsLayoutAndScaledSamples) {
    struct Row {
        int32_t bits;
        int bitDepth;
        int colorType;
        int channels;
    };
    for (const Row& row : {Row{8, 8, 0, 1}, Row{16, 16, 0, 1}, Row{24, 8, 2, 3}, Row{32, 8, 6, 4}, Row{48, 16, 2, 3},
                           Row{64, 16, 6, 4}}) {
        SCOPED_TRACE(row.bits);
        const CDibImage image = MakeCameraImage(9, 4, row.bits, 5);
        const std::string path = dir_.File("image" + std::to_string(row.bits) + ".png");
        ASSERT_EQ(SaveImage(path.c_str(), image, kStillPng, 10), 1);
        const test::DecodedPng png = test::ReadPng(path);
        ASSERT_TRUE(png.ok);
        EXPECT_EQ(png.width, 9u);
        EXPECT_EQ(png.height, 4u);
        EXPECT_EQ(png.bitDepth, row.bitDepth);
        EXPECT_EQ(png.colorType, row.colorType);
        for (int32_t y = 0; y < 4; ++y) {
            for (int32_t x = 0; x < 9; ++x) {
                for (int c = 0; c < row.channels; ++c) {
                    // PNG stores red first; a fourth channel is alpha.
                    const int source = c < 3 && row.channels >= 3 ? 2 - c : c;
                    uint32_t expected = 0;
                    uint32_t actual = 0;
                    if (row.bitDepth == 8) {
                        expected = c == 3 ? 255u : Sample(image, x, y, source);
                        actual = png.rows[y][x * row.channels + c];
                    } else {
                        expected = c == 3 ? 0xFFFFu : (Sample(image, x, y, source) << 6) & 0xFFFF;
                        actual = BigEndianWord(png.rows[y], 2 * (x * row.channels + c));
                    }
                    ASSERT_EQ(actual, expected) << x << "," << y << " channel " << c;
                }
            }
        }
    }
}

TEST_F(SaveImageTest, Png16OfOddWidthKeepsEveryRow) {
    CDibImage image;
    ASSERT_EQ(image.Create(5, 6, 16), 1);  // stride 12: two bytes of padding per row
    for (int32_t y = 0; y < 6; ++y) {
        for (int32_t x = 0; x < 5; ++x) {
            const uint16_t v = static_cast<uint16_t>(y * 100 + x);
            image.Row(y)[2 * x] = static_cast<uint8_t>(v);
            image.Row(y)[2 * x + 1] = static_cast<uint8_t>(v >> 8);
        }
    }
    const std::string path = dir_.File("odd16.png");
    ASSERT_EQ(SaveImage(path.c_str(), image, kStillPng, 10), 1);
    const test::DecodedPng png = test::ReadPng(path);
    ASSERT_TRUE(png.ok);
    ASSERT_EQ(png.rows.size(), 6u);
    for (int32_t y = 0; y < 6; ++y) {
        for (int32_t x = 0; x < 5; ++x) {
            EXPECT_EQ(BigEndianWord(png.rows[y], 2 * x), (y * 100 + x) << 6) << x << "," << y;
        }
    }
}

TEST_F(SaveImageTest, TenBitFullScaleBecomes65472InPngAndTiffAnd255InJpeg) {
    CDibImage image;
    ASSERT_EQ(image.Create(8, 8, 16), 1);
    for (int32_t y = 0; y < 8; ++y) {
        for (int32_t x = 0; x < 8; ++x) {
            image.Row(y)[2 * x] = 0xFF;
            image.Row(y)[2 * x + 1] = 0x03;
        }
    }
    const std::string png = dir_.File("full.png");
    const std::string tiff = dir_.File("full.tif");
    const std::string jpeg = dir_.File("full.jpg");
    ASSERT_EQ(SaveImage(png.c_str(), image, kStillPng, 10), 1);
    ASSERT_EQ(SaveImage(tiff.c_str(), image, kStillTiff, 10), 1);
    ASSERT_EQ(SaveImage(jpeg.c_str(), image, kStillJpegQuality100, 10), 1);
    EXPECT_EQ(BigEndianWord(test::ReadPng(png).rows[7], 14), 65472);
    const test::DecodedTiff t = test::ReadTiff(tiff);
    ASSERT_TRUE(t.ok);
    EXPECT_FALSE(t.byteSwapped);
    EXPECT_EQ(Word(t.firstStrip.data() + t.firstStrip.size() - 2), 65472);
    const test::DecodedJpeg j = test::ReadJpeg(jpeg);
    ASSERT_TRUE(j.ok);
    EXPECT_EQ(j.pixels.front(), 255);
    EXPECT_EQ(j.pixels.back(), 255);
}

TEST_F(SaveImageTest, TwelveSignificantBitsShiftByFour) {
    CDibImage image;
    ASSERT_EQ(image.Create(2, 1, 16), 1);
    image.Row(0)[0] = 0xFF;  // 4095
    image.Row(0)[1] = 0x0F;
    image.Row(0)[2] = 0x00;  // 1024
    image.Row(0)[3] = 0x04;
    const std::string png = dir_.File("twelve.png");
    const std::string tiff = dir_.File("twelve.tif");
    const std::string jpeg = dir_.File("twelve.jpg");
    ASSERT_EQ(SaveImage(png.c_str(), image, kStillPng, 12), 1);
    ASSERT_EQ(SaveImage(tiff.c_str(), image, kStillTiff, 12), 1);
    ASSERT_EQ(SaveImage(jpeg.c_str(), image, kStillJpegQuality100, 12), 1);
    const auto row = test::ReadPng(png).rows.at(0);
    EXPECT_EQ(BigEndianWord(row, 0), 65520);
    EXPECT_EQ(BigEndianWord(row, 2), 16384);
    const test::DecodedTiff t = test::ReadTiff(tiff);
    EXPECT_EQ(Word(t.firstStrip.data()), 65520);
    const test::DecodedJpeg j = test::ReadJpeg(jpeg);
    ASSERT_EQ(j.pixels.size(), 2u);
    EXPECT_NEAR(j.pixels[0], 255, 2);
    EXPECT_NEAR(j.pixels[1], 64, 2);
}

TEST_F(SaveImageTest, Png32WithZeroFourthBytesIsOpaque) {
    const CDibImage image = MakeCameraImage(6, 3, 32);  // camera images leave the fourth byte 0
    const std::string path = dir_.File("opaque.png");
    ASSERT_EQ(SaveImage(path.c_str(), image, kStillPng, 10), 1);
    const test::DecodedPng png = test::ReadPng(path);
    ASSERT_TRUE(png.ok);
    for (const auto& row : png.rows) {
        for (size_t x = 0; x < 6; ++x) {
            EXPECT_EQ(row[4 * x + 3], 255);
        }
    }
}

TEST_F(SaveImageTest, TiffOfEachDepthHasBaselineTagsAndRowsWithoutPadding) {
    struct Row {
        int32_t bits;
        uint16_t bitsPerSample;
        uint16_t photometric;
        uint16_t samples;
    };
    for (const Row& row : {Row{8, 8, 1, 1}, Row{16, 16, 1, 1}, Row{24, 8, 2, 3}, Row{32, 8, 2, 4}, Row{48, 16, 2, 3},
                           Row{64, 16, 2, 4}}) {
        SCOPED_TRACE(row.bits);
        const CDibImage image = MakeCameraImage(5, 4, row.bits, 9);
        const std::string path = dir_.File("image" + std::to_string(row.bits) + ".tif");
        ASSERT_EQ(SaveImage(path.c_str(), image, kStillTiff, 10), 1);
        const test::DecodedTiff t = test::ReadTiff(path);
        ASSERT_TRUE(t.ok);
        EXPECT_EQ(t.width, 5u);
        EXPECT_EQ(t.height, 4u);
        EXPECT_EQ(t.bitsPerSample, row.bitsPerSample);
        EXPECT_EQ(t.photometric, row.photometric);
        EXPECT_EQ(t.samplesPerPixel, row.samples);
        EXPECT_EQ(t.compression, 1);
        EXPECT_EQ(t.planarConfig, 1);
        EXPECT_EQ(t.extraSampleCount, row.samples == 4 ? 1 : 0);
        EXPECT_EQ(t.strips, 1u);
        const size_t rowBytes = 5u * row.samples * row.bitsPerSample / 8;
        ASSERT_EQ(t.firstStrip.size(), rowBytes * 4);
        for (int32_t y = 0; y < 4; ++y) {
            const uint8_t* stored = t.firstStrip.data() + rowBytes * y;
            for (int32_t x = 0; x < 5; ++x) {
                for (int c = 0; c < row.samples; ++c) {
                    const int source = row.samples >= 3 && c < 3 ? 2 - c : c;
                    uint32_t expected = 0;
                    uint32_t actual = 0;
                    if (row.bitsPerSample == 8) {
                        expected = c == 3 ? 0u : Sample(image, x, y, source);
                        actual = stored[x * row.samples + c];
                    } else {
                        expected = c == 3 ? 0xFFFFu : (Sample(image, x, y, source) << 6) & 0xFFFF;
                        actual = Word(stored + 2 * (x * row.samples + c));
                    }
                    ASSERT_EQ(actual, expected) << x << "," << y << " sample " << c;
                }
            }
        }
    }
}

TEST_F(SaveImageTest, Tiff24FivePixelsWideHasFifteenByteRows) {
    const CDibImage image = MakeCameraImage(5, 3, 24);
    ASSERT_EQ(image.Stride(), 16);
    const std::string path = dir_.File("five.tif");
    ASSERT_EQ(SaveImage(path.c_str(), image, kStillTiff, 10), 1);
    const test::DecodedTiff t = test::ReadTiff(path);
    ASSERT_EQ(t.stripByteCounts.size(), 1u);
    EXPECT_EQ(t.stripByteCounts[0], 45u);
    // The second row starts right after the first's 15 bytes: R, G, B of pixel (0, 1).
    EXPECT_EQ(t.firstStrip[15], image.Row(1)[2]);
    EXPECT_EQ(t.firstStrip[17], image.Row(1)[0]);
}

// A picture whose colours vary slowly, which JPEG reproduces closely.
CDibImage SmoothImage(int32_t width, int32_t height, int32_t bits) {
    CDibImage image;
    EXPECT_EQ(image.Create(width, height, bits), 1);
    const bool wide = bits == 16 || bits >= 48;
    const int channels = bits == 8 || bits == 16 ? 1 : 3;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* pixel = image.Row(y) + x * image.BytesPerPixel();
            for (int c = 0; c < channels; ++c) {
                // Blue follows the column, green the row, red is the other way round.
                const uint32_t v8 = c == 0 ? 40 + 3 * x : c == 1 ? 30 + 4 * y : 220 - 2 * x - y;
                if (wide) {
                    const uint32_t v = v8 << 2;
                    pixel[2 * c] = static_cast<uint8_t>(v);
                    pixel[2 * c + 1] = static_cast<uint8_t>(v >> 8);
                } else {
                    pixel[c] = static_cast<uint8_t>(v8);
                }
            }
        }
    }
    return image;
}

TEST_F(SaveImageTest, JpegOfEachDepthShowsMemoryRowZeroOnTopInRgbOrder) {
    for (int32_t bits : {8, 16, 24, 32, 48, 64}) {
        SCOPED_TRACE(bits);
        const CDibImage image = SmoothImage(40, 32, bits);
        const std::string path = dir_.File("image" + std::to_string(bits) + ".jpg");
        ASSERT_EQ(SaveImage(path.c_str(), image, kStillJpegQuality100, 10), 1);
        const test::DecodedJpeg j = test::ReadJpeg(path);
        ASSERT_TRUE(j.ok);
        ASSERT_EQ(j.width, 40u);
        ASSERT_EQ(j.height, 32u);
        const int channels = bits == 8 || bits == 16 ? 1 : 3;
        ASSERT_EQ(j.components, channels);
        EXPECT_TRUE(j.progressive);
        int worst = 0;
        for (int32_t y = 0; y < 32; ++y) {
            for (int32_t x = 0; x < 40; ++x) {
                for (int c = 0; c < channels; ++c) {
                    const int source = channels == 3 ? 2 - c : 0;
                    int expected = static_cast<int>(Sample(image, x, y, source));
                    if (bits == 16 || bits >= 48) {
                        expected >>= 2;
                    }
                    const int actual = j.pixels[(static_cast<size_t>(y) * 40 + x) * channels + c];
                    worst = std::max(worst, std::abs(actual - expected));
                }
            }
        }
        EXPECT_LE(worst, 6);
    }
}

TEST_F(SaveImageTest, JpegCodesSetQualityAndAlwaysProgressive) {
    const CDibImage image = SmoothImage(16, 16, 24);
    // The first luminance quantiser is 16 scaled by the quality.
    for (auto [code, quantizer] : {std::pair{kStillJpegQuality100, 1u}, std::pair{kStillJpegQuality70, 10u},
                                   std::pair{kStillJpegQuality20, 40u}}) {
        SCOPED_TRACE(code);
        const std::string path = dir_.File("quality" + std::to_string(code) + ".jpg");
        ASSERT_EQ(SaveImage(path.c_str(), image, code, 10), 1);
        const test::DecodedJpeg j = test::ReadJpeg(path);
        ASSERT_TRUE(j.ok);
        EXPECT_TRUE(j.progressive);
        EXPECT_EQ(j.lumaQuantizer0, quantizer);
    }
}

TEST_F(SaveImageTest, UnknownFormatCodesCreateNoFile) {
    const CDibImage image = MakeCameraImage(4, 4, 24);
    for (int32_t code : {7, -1, 100}) {
        const std::string path = dir_.File("code" + std::to_string(code));
        EXPECT_EQ(SaveImage(path.c_str(), image, code, 10), 0);
        EXPECT_FALSE(test::Exists(path));
    }
}

TEST_F(SaveImageTest, EmptyImagesCreateNoFile) {
    const CDibImage empty;
    for (int32_t code = 0; code <= 6; ++code) {
        const std::string path = dir_.File("empty" + std::to_string(code));
        EXPECT_EQ(SaveImage(path.c_str(), empty, code, 10), 0) << code;
        EXPECT_FALSE(test::Exists(path)) << code;
    }
    EXPECT_EQ(SaveImage(nullptr, MakeCameraImage(2, 2, 8), kStillRaw, 10), 0);
}

TEST_F(SaveImageTest, EveryFormatReplacesAnExistingFile) {
    const CDibImage image = MakeCameraImage(3, 3, 24);
    for (int32_t code = 0; code <= 6; ++code) {
        const std::string path = dir_.File("replace" + std::to_string(code));
        { std::ofstream(path, std::ios::binary) << std::string(100000, 'x'); }
        ASSERT_EQ(SaveImage(path.c_str(), image, code, 10), 1) << code;
        EXPECT_LT(ReadFileBytes(path).size(), 100000u) << code;
    }
}

}  // namespace
}  // namespace tavrin
