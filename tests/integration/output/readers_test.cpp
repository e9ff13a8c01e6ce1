// Our files read back by programs that share no code with the writers:
// Pillow and ImageMagick for BMP, PNG, JPEG and TIFF, libtiff's tiffinfo and
// tiffdump for the TIFF tags, pngcheck, and ffprobe/ffmpeg for AVI. Each
// check skips, saying why, when its reader is not installed. The readers are
// Linux programs, so under Wine every check skips.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "output/avi_recorder.h"
#include "output/save_image.h"
#include "output_test_support.h"
#include "support/pillow_samples.h"
#include "support/shell_command.h"
#include "support/required_tool.h"

namespace tavrin {
namespace {

using test::MakeCameraImage;
using test::Word;

constexpr const char* kPython = "/usr/bin/python3";   // Debian's, with python3-pil
constexpr const char* kConvert = "/usr/bin/convert";  // ImageMagick
constexpr const char* kTiffInfo = "/usr/bin/tiffinfo";
constexpr const char* kTiffDump = "/usr/bin/tiffdump";
constexpr const char* kPngCheck = "/usr/bin/pngcheck";
constexpr const char* kFfprobe = "/usr/bin/ffprobe";
constexpr const char* kFfmpeg = "/usr/bin/ffmpeg";

using tavrin::test::CommandResult;

using tavrin::test::ReadBack;

std::vector<uint32_t> ExpectedSamples(const CDibImage& image, ReadBack form) {
    return tavrin::test::ExpectedSamples(image.Bits(), image.Width(), image.Height(), image.Stride(),
                                         image.BytesPerPixel(), form);
}

// A picture whose colours vary slowly, which JPEG reproduces closely, with
// 8-bit values (or 10-bit values four times as large in 16-bit words).
CDibImage SmoothImage(int32_t width, int32_t height, int32_t bits) {
    CDibImage image;
    EXPECT_EQ(image.Create(width, height, bits), 1);
    const bool wide = bits == 16 || bits >= 48;
    const int channels = bits == 8 || bits == 16 ? 1 : 3;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* pixel = image.Row(y) + x * image.BytesPerPixel();
            for (int c = 0; c < channels; ++c) {
                const uint32_t v8 = c == 0 ? 40 + 3 * x : c == 1 ? 30 + 4 * y : 220 - 2 * x - y;
                if (wide) {
                    pixel[2 * c] = static_cast<uint8_t>(v8 << 2);
                    pixel[2 * c + 1] = static_cast<uint8_t>(v8 >> 6);
                } else {
                    pixel[c] = static_cast<uint8_t>(v8);
                }
            }
        }
    }
    return image;
}

// The value after "key=" in a reader's key=value output, or "" when absent.
std::string Field(const std::string& output, const std::string& key) {
    const std::string marker = key + "=";
    size_t at = 0;
    while ((at = output.find(marker, at)) != std::string::npos) {
        if (at == 0 || output[at - 1] == ' ' || output[at - 1] == '\n') {
            const size_t end = output.find_first_of(" \n", at + marker.size());
            return output.substr(at + marker.size(), end == std::string::npos ? end : end - at - marker.size());
        }
        at += marker.size();
    }
    return "";
}

class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (test::kUnderEmulator) {
            GTEST_SKIP() << "the independent readers are Linux programs; they check the files in the native build";
        }
    }

    static bool Have(const char* program) { return std::filesystem::exists(program); }

    // Runs a shell command; its output (both streams) and exit code come back.
    CommandResult Run(const std::string& command) {
        return tavrin::test::RunCommand(command, dir_.File("command_output.txt"));
    }

    bool HavePillow() { return Have(kPython) && Run(std::string(kPython) + " -c 'import PIL'").exitCode == 0; }

    // Pillow's view of a file, compared with the expected samples.
    std::string ReadWithPillow(const std::string& path, const std::vector<uint32_t>& expected) {
        const std::string expectedPath = path + ".expected.txt";
        std::ofstream out(expectedPath);
        for (uint32_t v : expected) {
            out << v << ' ';
        }
        out.close();
        const CommandResult r = Run(std::string(kPython) + " '" + TAVRIN_SOURCE_DIR +
                                    "/tests/integration/output/pillow_check.py' '" + path + "' '" + expectedPath + "'");
        EXPECT_EQ(r.exitCode, 0) << r.output;
        return r.output;
    }

    std::string Save(const CDibImage& image, int32_t code, const std::string& name) {
        const std::string path = dir_.File(name);
        EXPECT_EQ(SaveImage(path.c_str(), image, code, 10), 1) << name;
        return path;
    }

    test::ScratchDirectory dir_{"readers"};
};

struct LosslessCase {
    int32_t code;
    int32_t bits;
    const char* extension;
    const char* mode;
    ReadBack form;
};

TEST_F(ReaderTest, PillowReadsBmpPngAndTiffWithExactPixels) {
    if (!HavePillow()) {
        TAVRIN_SKIP_WITHOUT_TOOL() << "Pillow for " << kPython << " is not installed (python3-pil)";
    }
    const LosslessCase cases[] = {
        {kStillBmp, 8, "bmp", "L", ReadBack::kGray8},
        {kStillBmp, 24, "bmp", "RGB", ReadBack::kRgb8},
        {kStillBmp, 32, "bmp", "RGB", ReadBack::kRgb8},
        {kStillPng, 8, "png", "L", ReadBack::kGray8},
        {kStillPng, 16, "png", "I", ReadBack::kGray16Scaled},
        {kStillPng, 24, "png", "RGB", ReadBack::kRgb8},
        {kStillPng, 32, "png", "RGBA", ReadBack::kRgba8Opaque},
        {kStillPng, 48, "png", "RGB", ReadBack::kRgb16To8},
        {kStillPng, 64, "png", "RGBA", ReadBack::kRgba16To8Opaque},
        {kStillTiff, 8, "tif", "L", ReadBack::kGray8},
        {kStillTiff, 16, "tif", "I;16", ReadBack::kGray16Scaled},
        {kStillTiff, 24, "tif", "RGB", ReadBack::kRgb8},
        {kStillTiff, 32, "tif", "RGBX", ReadBack::kRgbx8Zero},
    };
    for (const LosslessCase& c : cases) {
        const std::string name = "pillow" + std::to_string(c.bits) + "." + c.extension;
        SCOPED_TRACE(name);
        // An odd width, so that every row carries padding in memory.
        const CDibImage image = MakeCameraImage(23, 9, c.bits, 1);
        const std::string path = Save(image, c.code, name);
        const std::string view = ReadWithPillow(path, ExpectedSamples(image, c.form));
        EXPECT_EQ(Field(view, "size"), "23x9") << view;
        EXPECT_EQ(Field(view, "mode"), c.mode) << view;
        EXPECT_EQ(Field(view, "maxdiff"), "0") << view;
    }
}

TEST_F(ReaderTest, PillowReadsJpegCloseToTheImageInProgressiveModeAtEachQuality) {
    if (!HavePillow()) {
        TAVRIN_SKIP_WITHOUT_TOOL() << "Pillow for " << kPython << " is not installed (python3-pil)";
    }
    struct Quality {
        int32_t code;
        int maxDifference;
        const char* quantizer;  // first luminance quantiser: 16 scaled by the quality
    };
    for (const Quality& q : {Quality{kStillJpegQuality100, 6, "1"}, Quality{kStillJpegQuality70, 16, "10"},
                             Quality{kStillJpegQuality20, 40, "40"}}) {
        for (int32_t bits : {8, 16, 24, 32, 48, 64}) {
            const std::string name = "quality" + std::to_string(q.code) + "_" + std::to_string(bits) + ".jpg";
            SCOPED_TRACE(name);
            const CDibImage image = SmoothImage(41, 30, bits);
            const bool gray = bits == 8 || bits == 16;
            // Pillow's samples, from the 8-bit view of the image: 10-bit samples >> 2.
            CDibImage eightBit;
            ASSERT_EQ(eightBit.Create(41, 30, gray ? 8 : 24), 1);
            for (int32_t y = 0; y < 30; ++y) {
                for (int32_t x = 0; x < 41; ++x) {
                    for (int c = 0; c < (gray ? 1 : 3); ++c) {
                        const uint8_t* p = image.Row(y) + x * image.BytesPerPixel();
                        const bool wide = bits == 16 || bits >= 48;
                        eightBit.Row(y)[x * (gray ? 1 : 3) + c] =
                            static_cast<uint8_t>(wide ? Word(p + 2 * c) >> 2 : p[c]);
                    }
                }
            }
            const std::string path = Save(image, q.code, name);
            const std::string view =
                ReadWithPillow(path, ExpectedSamples(eightBit, gray ? ReadBack::kGray8 : ReadBack::kRgb8));
            EXPECT_EQ(Field(view, "format"), "JPEG") << view;
            EXPECT_EQ(Field(view, "mode"), gray ? "L" : "RGB") << view;
            EXPECT_EQ(Field(view, "size"), "41x30") << view;
            EXPECT_EQ(Field(view, "progressive"), "1") << view;
            EXPECT_EQ(Field(view, "quant0"), q.quantizer) << view;
            const int maxdiff = std::atoi(Field(view, "maxdiff").c_str());
            EXPECT_GE(maxdiff, 0) << view;
            EXPECT_LE(maxdiff, q.maxDifference) << view;
        }
    }
}

TEST_F(ReaderTest, ImageMagickReadsSixteenBitPngAndTiffSamplesExactly) {
    if (!Have(kConvert)) {
        TAVRIN_SKIP_WITHOUT_TOOL() << kConvert << " (ImageMagick) is not installed";
    }
    for (int32_t code : {kStillPng, kStillTiff}) {
        for (int32_t bits : {16, 48, 64}) {
            const std::string name = "magick" + std::to_string(bits) + (code == kStillPng ? ".png" : ".tif");
            SCOPED_TRACE(name);
            const CDibImage image = MakeCameraImage(13, 5, bits, 4);
            const std::string path = Save(image, code, name);
            const std::string raw = path + ".raw";
            const char* layout = bits == 16 ? "gray" : "rgb";
            const CommandResult r =
                Run(std::string(kConvert) + " '" + path + "' -depth 16 -endian LSB " + layout + ":'" + raw + "'");
            ASSERT_EQ(r.exitCode, 0) << r.output;
            const auto bytes = test::ReadFileBytes(raw);
            const int channels = bits == 16 ? 1 : 3;
            ASSERT_EQ(bytes.size(), 13u * 5u * channels * 2u);
            size_t at = 0;
            for (int32_t y = 0; y < 5; ++y) {
                for (int32_t x = 0; x < 13; ++x) {
                    const uint8_t* p = image.Row(y) + x * image.BytesPerPixel();
                    for (int c = channels - 1; c >= 0; --c, at += 2) {
                        ASSERT_EQ(Word(bytes.data() + at), (Word(p + 2 * c) << 6) & 0xFFFF)
                            << x << "," << y << " channel " << c;
                    }
                }
            }
        }
    }
}

TEST_F(ReaderTest, TiffToolsShowBaselineTagsAndUnpaddedStrips) {
    if (!Have(kTiffInfo) || !Have(kTiffDump)) {
        TAVRIN_SKIP_WITHOUT_TOOL() << "tiffinfo and tiffdump are not installed (libtiff-tools)";
    }
    const std::string rgb = Save(MakeCameraImage(5, 3, 24), kStillTiff, "tags24.tif");
    const CommandResult info = Run(std::string(kTiffInfo) + " '" + rgb + "'");
    ASSERT_EQ(info.exitCode, 0) << info.output;
    for (const char* expected :
         {"Image Width: 5 Image Length: 3", "Bits/Sample: 8", "Compression Scheme: None",
          "Photometric Interpretation: RGB color", "Samples/Pixel: 3", "Planar Configuration: single image plane"}) {
        EXPECT_NE(info.output.find(expected), std::string::npos) << expected << "\n" << info.output;
    }
    const CommandResult dump = Run(std::string(kTiffDump) + " '" + rgb + "'");
    ASSERT_EQ(dump.exitCode, 0) << dump.output;
    EXPECT_NE(dump.output.find("StripByteCounts (279)"), std::string::npos) << dump.output;
    EXPECT_NE(dump.output.find("1<45>"), std::string::npos) << "rows of 15 bytes\n" << dump.output;

    const std::string gray = Save(MakeCameraImage(4, 2, 16), kStillTiff, "tags16.tif");
    const CommandResult grayDump = Run(std::string(kTiffDump) + " '" + gray + "'");
    EXPECT_NE(grayDump.output.find("Magic: 0x4949 <little-endian>"), std::string::npos) << grayDump.output;
    EXPECT_NE(grayDump.output.find("BitsPerSample (258) SHORT (3) 1<16>"), std::string::npos) << grayDump.output;
    EXPECT_NE(grayDump.output.find("Photometric (262) SHORT (3) 1<1>"), std::string::npos) << grayDump.output;

    const std::string rgba = Save(MakeCameraImage(4, 2, 64), kStillTiff, "tags64.tif");
    const CommandResult rgbaInfo = Run(std::string(kTiffInfo) + " '" + rgba + "'");
    EXPECT_EQ(rgbaInfo.exitCode, 0) << rgbaInfo.output;
    EXPECT_NE(rgbaInfo.output.find("Extra Samples: 1<unspecified>"), std::string::npos) << rgbaInfo.output;
    EXPECT_EQ(rgbaInfo.output.find("Warning"), std::string::npos) << rgbaInfo.output;
}

TEST_F(ReaderTest, PngcheckAcceptsEveryDepth) {
    if (!Have(kPngCheck)) {
        TAVRIN_SKIP_WITHOUT_TOOL() << kPngCheck << " is not installed";
    }
    for (int32_t bits : {8, 16, 24, 32, 48, 64}) {
        const std::string path =
            Save(MakeCameraImage(17, 6, bits, 2), kStillPng, "check" + std::to_string(bits) + ".png");
        const CommandResult r = Run(std::string(kPngCheck) + " -v '" + path + "'");
        EXPECT_EQ(r.exitCode, 0) << r.output;
        EXPECT_NE(r.output.find("No errors detected"), std::string::npos) << r.output;
    }
}

class AviReaderTest : public ReaderTest {
protected:
    // Records `frames` pictures of width x height, frame i filled from seed i,
    // and closes with `rate` hundredths of frames per second.
    std::string Record(const std::string& name, int32_t width, int32_t height, uint32_t frames, uint32_t rate) {
        AviRecorder recorder;
        recorder.SetWidth(width);
        recorder.SetHeight(height);
        recorder.SetBitsPerPixel(24);
        recorder.SetRate(30);
        recorder.SetFrameCount(0);
        const std::string path = dir_.File(name);
        EXPECT_TRUE(recorder.Open(path.c_str()));
        for (uint32_t i = 0; i < frames; ++i) {
            EXPECT_EQ(recorder.AddFrame(MakeCameraImage(width, height, 24, i * 1000).Bits()), AviRecorder::kOk);
            recorder.SetFrameCount(i + 1);
        }
        recorder.SetRate(rate);
        EXPECT_EQ(recorder.Close(), AviRecorder::kOk);
        return path;
    }
};

TEST_F(AviReaderTest, FfprobeSeesOneRawVideoStreamWithItsSizeFramesAndRate) {
    if (!Have(kFfprobe)) {
        TAVRIN_SKIP_WITHOUT_TOOL() << kFfprobe << " is not installed (ffmpeg)";
    }
    const std::string path = Record("probe.avi", 656, 494, 5, 1500);
    const CommandResult r =
        Run(std::string(kFfprobe) +
            " -v error -count_frames -show_entries format=nb_streams:stream=codec_type,codec_name,"
            "width,height,nb_read_frames,r_frame_rate,avg_frame_rate -of default=noprint_wrappers=1 '" +
            path + "'");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    std::string view = r.output;
    for (char& ch : view) {
        if (ch == '\n')
            ch = ' ';
    }
    EXPECT_EQ(Field(view, "nb_streams"), "1") << r.output;
    EXPECT_EQ(Field(view, "codec_type"), "video") << r.output;
    EXPECT_EQ(Field(view, "codec_name"), "rawvideo") << r.output;
    EXPECT_EQ(Field(view, "width"), "656") << r.output;
    EXPECT_EQ(Field(view, "height"), "494") << r.output;
    EXPECT_EQ(Field(view, "nb_read_frames"), "5") << r.output;
    // 15.00 frames per second as the stream header holds it: rate 10,000,000
    // over scale 1,000,000,000 / 1500 = 666,666.
    EXPECT_EQ(Field(view, "r_frame_rate"), "5000000/333333") << r.output;
    EXPECT_EQ(Field(view, "avg_frame_rate"), "5000000/333333") << r.output;
}

TEST_F(AviReaderTest, FfmpegDecodesEachFrameToThePixelsWeWrote) {
    if (!Have(kFfmpeg)) {
        TAVRIN_SKIP_WITHOUT_TOOL() << kFfmpeg << " is not installed";
    }
    // Five pixels wide: rows of 15 bytes padded to 16 in the file.
    const int32_t width = 5;
    const int32_t height = 4;
    const std::string path = Record("decode.avi", width, height, 4, 2500);
    for (uint32_t n = 0; n < 4; ++n) {
        SCOPED_TRACE(n);
        const std::string raw = dir_.File("frame" + std::to_string(n) + ".raw");
        const CommandResult r = Run(std::string(kFfmpeg) + " -v error -y -i '" + path + "' -vf 'select=eq(n\\," +
                                    std::to_string(n) + ")' -frames:v 1 -f rawvideo -pix_fmt bgr24 '" + raw + "'");
        ASSERT_EQ(r.exitCode, 0) << r.output;
        const auto bytes = test::ReadFileBytes(raw);
        ASSERT_EQ(bytes.size(), static_cast<size_t>(width * 3 * height));
        // The frame's memory row 0 is the picture's bottom line (bottom-up
        // DIB), so the decoder's top line is the frame's last memory row.
        const CDibImage frame = MakeCameraImage(width, height, 24, n * 1000);
        for (int32_t line = 0; line < height; ++line) {
            const uint8_t* expected = frame.Row(height - 1 - line);
            EXPECT_TRUE(std::equal(expected, expected + width * 3, bytes.begin() + line * width * 3)) << line;
        }
    }
}

}  // namespace
}  // namespace tavrin

namespace tavrin {
namespace {

// The command-line tool records from a simulated camera and is killed mid-
// recording, as a crash or a power cut would end it: a second and a half
// after its file holds two frames (however long a sanitizer build takes to
// get there), so that the recorder has refreshed the file at least once.
TEST_F(AviReaderTest, RecordingKilledMidwayKeepsAHeaderThatDescribesItsFrames) {
    if (!Have(kFfprobe)) {
        TAVRIN_SKIP_WITHOUT_TOOL() << kFfprobe << " is not installed (ffmpeg)";
    }
    const std::string path = dir_.File("killed.avi");
    // An owner table of its own: the killed tool never gives its camera back.
    const std::string table = "TAVRIN_KILLED_" + std::to_string(getpid());
    const uint64_t chunk = 8 + 972192;  // 656 x 494
    Run("TAVRIN_SIM=0 TAVRIN_SHARED_MEMORY_NAME=" + table + " TAVRIN_REGISTRY='" + dir_.File("killed.sqlite3") +
        "' '" TAVRIN_TOOL_PATH "' record -o '" + path + "' --ms 60000 >/dev/null 2>&1 & tool=$!; " +
        "for i in $(seq 600); do [ \"$(stat -c %s '" + path + "' 2>/dev/null || echo 0)\" -ge " +
        std::to_string(232 + 2 * chunk) + " ] && break; sleep 0.1; done; sleep 1.5; kill -KILL $tool; wait $tool; " +
        "rm -f /dev/shm/" + table);
    const auto bytes = test::ReadFileBytes(path);
    ASSERT_GE(bytes.size(), 232u);
    const uint32_t frames = test::U32At(bytes, 48);
    EXPECT_GE(frames, 1u);
    EXPECT_EQ(test::U32At(bytes, 140), frames);
    EXPECT_EQ(test::U32At(bytes, 224), 4 + frames * chunk);
    EXPECT_GE(bytes.size(), 232 + frames * chunk);
    const CommandResult r = Run(std::string(kFfprobe) +
                                " -v error -count_frames -show_entries stream=nb_read_frames "
                                "-of default=noprint_wrappers=1 '" +
                                path + "'");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_GE(std::stoul(Field(r.output, "nb_read_frames")), frames) << r.output;
    std::printf("header: %u frames; ffprobe: %s", frames, r.output.c_str());
}

}  // namespace
}  // namespace tavrin
