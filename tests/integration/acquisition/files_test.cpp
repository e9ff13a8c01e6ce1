// Files made through the exports, read back by programs that share no code
// with ours: Pillow (Debian's /usr/bin/python3) for the still images of
// every format code, ffprobe for the AVI recordings. The AVI header and the
// raw dump are also checked byte for byte here. The readers are Linux
// programs: under Wine their checks skip, saying so.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "acquisition_fixture.h"
#include "support/pillow_samples.h"
#include "support/shell_command.h"
#include "support/required_tool.h"

namespace tavrin::test {
namespace {

using Codes = std::vector<int>;

constexpr bool kUnderEmulator = ACQUISITION_UNDER_EMULATOR != 0;
constexpr const char* kPython = "/usr/bin/python3";  // Debian's, with python3-pil
constexpr const char* kFfprobe = "/usr/bin/ffprobe";

// The start of the names the wide exports save under: on POSIX hosts, where
// names are bytes, in other scripts too (UTF-8 here); on Windows plain, as
// the test runs in whatever code page Wine gives it.
#ifdef _WIN32
const std::string kWideStem = "wide_";
#else
const std::string kWideStem = "wide_caf\xC3\xA9_\xE7\x94\xBB\xE5\x83\x8F_";
#endif

std::vector<BYTE> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t U32(const std::vector<BYTE>& bytes, size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

using tavrin::test::CommandResult;
using tavrin::test::RunCommand;

// The value after "key=" in a reader's key=value output, or "".
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

// How Pillow presents the pixels of an output image of a depth.
using tavrin::test::ReadBack;

// Pillow's samples for the output image given in memory order.
std::vector<uint32_t> ExpectedSamples(const std::vector<BYTE>& image, int width, int height, int bits, ReadBack form) {
    return tavrin::test::ExpectedSamples(image.data(), width, height, Stride(width, bits), bits / 8, form);
}

class FilesTest : public AcquisitionTest {
protected:
    void SetUp() override {
        AcquisitionTest::SetUp();
        directory = std::filesystem::temp_directory_path() / ("acquisition_files_" + ProcessTag());
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory);
    }
    void TearDown() override {
        AcquisitionTest::TearDown();
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }

    std::string File(const std::string& name) const { return (directory / name).string(); }

    static bool Have(const char* program) { return !kUnderEmulator && std::filesystem::exists(program); }
    bool HavePillow() const {
        return Have(kPython) && RunCommand(std::string(kPython) + " -c 'import PIL'", File("probe.txt")).exitCode == 0;
    }

    // Pillow's view of a file compared with the expected samples.
    std::string ReadWithPillow(const std::string& path, const std::vector<uint32_t>& expected) const {
        const std::string expectedPath = path + ".expected.txt";
        std::ofstream out(expectedPath);
        for (uint32_t v : expected) {
            out << v << ' ';
        }
        out.close();
        const CommandResult r =
            RunCommand(std::string(kPython) + " '" + TAVRIN_SOURCE_DIR +
                           "/tests/integration/output/pillow_check.py' '" + path + "' '" + expectedPath + "'",
                       File("pillow.txt"));
        EXPECT_EQ(r.exitCode, 0) << r.output;
        return r.output;
    }

    // A snapshot of the loaded content in a mode; the output image comes back
    // in memory order.
    std::vector<BYTE> SnapInMode(int bits) {
        EXPECT_EQ(Tavrin_SetColorMode(handle, bits), 1);
        EXPECT_EQ(Tavrin_SnapShot(handle, nullptr, 0, 0), 1);
        std::vector<BYTE> image(static_cast<size_t>(ImageBytes(bits)));
        EXPECT_EQ(Tavrin_GetImage(handle, image.data(), static_cast<int>(image.size()), 1), 1);
        EXPECT_EQ(TakeErrors(), Codes{});
        return image;
    }

    // A random mosaic in a region of the sensor whose rows need padding.
    void LoadRandomRegion() {
        ASSERT_EQ(Tavrin_SetCaptureWindowEx(handle, kSensorWidth, 0, kWidth, kSensorHeight, 0, kHeight), 1);
        std::vector<unsigned short> mosaic(static_cast<size_t>(kWidth) * kHeight);
        uint32_t state = 99;
        for (auto& sample : mosaic) {
            state = state * 1103515245u + 12345u;
            sample = static_cast<unsigned short>((state >> 16) & 0x3FF);
        }
        ASSERT_EQ(TavrinSim_LoadFrame(0, mosaic.data(), kWidth, kHeight), 1);
    }

    static constexpr int kWidth = 118;  // 8-bit rows of 118 bytes, 24-bit of 354: both padded
    static constexpr int kHeight = 90;
    std::filesystem::path directory;
};

struct LosslessCase {
    int code;
    int bits;
    const char* extension;
    const char* mode;
    ReadBack form;
};

TEST_F(FilesTest, PillowReadsBmpPngAndTiffOfEveryDepthWithExactPixels) {
    if (!HavePillow()) {
        TAVRIN_SKIP_WITHOUT_TOOL() << "Pillow for " << kPython << " is not available"
                                   << (kUnderEmulator ? " under Wine" : "");
    }
    LoadRandomRegion();
    const LosslessCase cases[] = {
        {0, 8, "bmp", "L", ReadBack::kGray8},
        {0, 24, "bmp", "RGB", ReadBack::kRgb8},
        {0, 32, "bmp", "RGB", ReadBack::kRgb8},
        {5, 8, "png", "L", ReadBack::kGray8},
        {5, 16, "png", "I", ReadBack::kGray16Scaled},
        {5, 24, "png", "RGB", ReadBack::kRgb8},
        {5, 32, "png", "RGBA", ReadBack::kRgba8Opaque},
        {5, 48, "png", "RGB", ReadBack::kRgb16To8},
        {5, 64, "png", "RGBA", ReadBack::kRgba16To8Opaque},
        {6, 8, "tif", "L", ReadBack::kGray8},
        {6, 16, "tif", "I;16", ReadBack::kGray16Scaled},
        {6, 24, "tif", "RGB", ReadBack::kRgb8},
        {6, 32, "tif", "RGBX", ReadBack::kRgbx8Zero},
    };
    for (const LosslessCase& c : cases) {
        const std::string name = "still" + std::to_string(c.bits) + "." + c.extension;
        SCOPED_TRACE(name);
        const std::vector<BYTE> image = SnapInMode(c.bits);
        const std::string path = File(name);
        ASSERT_EQ(Tavrin_SaveImage(handle, path.c_str(), c.code), 1);
        const std::string view = ReadWithPillow(path, ExpectedSamples(image, kWidth, kHeight, c.bits, c.form));
        EXPECT_EQ(Field(view, "size"), std::to_string(kWidth) + "x" + std::to_string(kHeight)) << view;
        EXPECT_EQ(Field(view, "mode"), c.mode) << view;
        EXPECT_EQ(Field(view, "maxdiff"), "0") << view;
    }
}

// JPEG of a smooth picture (the ramp pattern), gray and colour, at the three
// qualities: close to the image, progressive.
TEST_F(FilesTest, PillowReadsJpegOfEveryQualityCloseToTheImage) {
    if (!HavePillow()) {
        TAVRIN_SKIP_WITHOUT_TOOL() << "Pillow for " << kPython << " is not available"
                                   << (kUnderEmulator ? " under Wine" : "");
    }
    // Whole sensor lines, so that the ramp runs left to right in every row.
    ASSERT_EQ(Tavrin_SetCaptureWindowEx(handle, kSensorWidth, 0, kSensorWidth, kSensorHeight, 0, 120), 1);
    ASSERT_EQ(TavrinSim_SetPattern(0, TAVRINSIM_PATTERN_RAMP, 1023), 1);
    struct Quality {
        int code;
        int maxDifference;
    };
    for (int bits : {8, 24}) {
        const std::vector<BYTE> image = SnapInMode(bits);
        const auto samples =
            ExpectedSamples(image, kSensorWidth, 120, bits, bits == 8 ? ReadBack::kGray8 : ReadBack::kRgb8);
        for (const Quality& q : {Quality{2, 8}, Quality{3, 24}, Quality{4, 64}}) {
            const std::string name = "still" + std::to_string(bits) + "_q" + std::to_string(q.code) + ".jpg";
            SCOPED_TRACE(name);
            const std::string path = File(name);
            ASSERT_EQ(Tavrin_SaveImage(handle, path.c_str(), q.code), 1);
            const std::string view = ReadWithPillow(path, samples);
            EXPECT_EQ(Field(view, "format"), "JPEG") << view;
            EXPECT_EQ(Field(view, "mode"), bits == 8 ? "L" : "RGB") << view;
            EXPECT_EQ(Field(view, "size"), "656x120") << view;
            EXPECT_EQ(Field(view, "progressive"), "1") << view;
            const int maxdiff = std::atoi(Field(view, "maxdiff").c_str());
            EXPECT_GE(maxdiff, 0) << view;
            EXPECT_LE(maxdiff, q.maxDifference) << view;
        }
    }
}

// The raw dump is the output image in memory order, padding included; a
// code outside 0..6 saves nothing.
TEST_F(FilesTest, RawDumpIsTheImageAndUnknownFormatSavesNothing) {
    LoadRandomRegion();
    for (int bits : {8, 24, 64}) {
        const std::vector<BYTE> image = SnapInMode(bits);
        const std::string path = File("raw" + std::to_string(bits) + ".raw");
        ASSERT_EQ(Tavrin_SaveImage(handle, path.c_str(), 1), 1);
        EXPECT_TRUE(ReadFile(path) == image) << bits;
    }
    const std::string unknown = File("unknown.img");
    EXPECT_EQ(Tavrin_SaveImage(handle, unknown.c_str(), 7), 0);
    EXPECT_FALSE(std::filesystem::exists(unknown));
    EXPECT_EQ(Tavrin_SaveImage(handle, nullptr, 0), 0);
    EXPECT_EQ(TakeErrors(), Codes{9});
    // The wide form; on POSIX hosts in any script, without the program's
    // ever calling setlocale.
    const std::u16string wide = std::filesystem::path(File(kWideStem + "name.png")).u16string();
    EXPECT_EQ(Tavrin_SaveImageW(handle, reinterpret_cast<const TavrinWChar*>(wide.c_str()), 5), 1);
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(wide)));
}

// Reads the AVI's own header fields and its first frame.
struct AviFile {
    explicit AviFile(const std::string& path) : bytes(ReadFile(path)) {}
    bool Finished() const { return bytes.size() > 232 && U32(bytes, 4) == bytes.size() - 8 && U32(bytes, 48) > 0; }
    uint32_t Frames() const { return U32(bytes, 48); }
    uint32_t Width() const { return U32(bytes, 64); }
    uint32_t Height() const { return U32(bytes, 68); }
    uint32_t MicrosecondsPerFrame() const { return U32(bytes, 32); }
    std::vector<BYTE> bytes;
};

class RecordFilesTest : public FilesTest {
protected:
    // ffprobe's frame count and size of a file; "" when ffprobe is absent.
    std::string Probe(const std::string& path) const {
        const CommandResult r =
            RunCommand(std::string(kFfprobe) +
                           " -v error -count_frames -show_entries stream=codec_type,codec_name,width,"
                           "height,nb_read_frames -of default=noprint_wrappers=1 '" +
                           path + "'",
                       File("ffprobe.txt"));
        EXPECT_EQ(r.exitCode, 0) << r.output;
        std::string view = r.output;
        for (char& ch : view) {
            if (ch == '\n')
                ch = ' ';
        }
        return view;
    }

    // Waits until the file holds at least `frames` frame chunks.
    static bool WaitForFrames(const std::string& path, uint32_t frameBytes, uint32_t frames) {
        const auto start = std::chrono::steady_clock::now();
        while (!std::filesystem::exists(path) || std::filesystem::file_size(path) < 232 + frames * (frameBytes + 8)) {
            if (MillisecondsSince(start) > 10000) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }
};

// StopPreview during a recording finishes the file: a valid AVI with every
// frame written, each the bottom-up 24-bit picture of the output image.
TEST_F(RecordFilesTest, StopPreviewDuringRecordingLeavesAValidAvi) {
    LoadRandomRegion();
    ASSERT_EQ(Tavrin_SetColorMode(handle, 24), 1);
    const std::string path = File("stopped.avi");
    ASSERT_EQ(Tavrin_Record(handle, path.c_str(), 60000, 0), 1);
    const uint32_t frameBytes = static_cast<uint32_t>(Stride(kWidth, 24) * kHeight);
    ASSERT_TRUE(WaitForFrames(path, frameBytes, 4));
    ASSERT_EQ(Tavrin_StopPreview(handle), 1);
    EXPECT_TRUE(CameraQuiet(0));
    std::vector<BYTE> bottomUp(frameBytes);
    ASSERT_EQ(Tavrin_GetImage(handle, bottomUp.data(), static_cast<int>(bottomUp.size()), 0), 1);
    EXPECT_EQ(TakeErrors(), Codes{});

    const AviFile avi(path);
    ASSERT_TRUE(avi.Finished());
    EXPECT_GE(avi.Frames(), 4u);
    EXPECT_EQ(avi.Width(), static_cast<uint32_t>(kWidth));
    EXPECT_EQ(avi.Height(), static_cast<uint32_t>(kHeight));
    EXPECT_EQ(avi.bytes.size(), 232 + avi.Frames() * (frameBytes + 8) + 8 + 16 * avi.Frames());
    // The loaded frame never changes, so every recorded frame is this one.
    ASSERT_EQ(U32(avi.bytes, 236), frameBytes);
    EXPECT_TRUE(std::equal(bottomUp.begin(), bottomUp.end(), avi.bytes.begin() + 240));

    if (!Have(kFfprobe)) {
        TAVRIN_SKIP_WITHOUT_TOOL() << kFfprobe << " is not available" << (kUnderEmulator ? " under Wine" : "");
    }
    const std::string view = Probe(path);
    EXPECT_EQ(Field(view, "codec_type"), "video") << view;
    EXPECT_EQ(Field(view, "codec_name"), "rawvideo") << view;
    EXPECT_EQ(Field(view, "width"), std::to_string(kWidth)) << view;
    EXPECT_EQ(Field(view, "height"), std::to_string(kHeight)) << view;
    EXPECT_EQ(Field(view, "nb_read_frames"), std::to_string(avi.Frames())) << view;
}

// Recording while a callback preview streams: the stream goes on, the
// callback ends (Record clears it), a second Record while one runs is
// refused, and bad names are refused before anything starts.
TEST_F(RecordFilesTest, RecordWhileStreamingAndBadNames) {
    EXPECT_EQ(Tavrin_Record(handle, nullptr, 1000, 0), 0);
    EXPECT_EQ(Tavrin_Record(handle, "", 1000, 0), 0);
    EXPECT_EQ(TakeErrors(), (Codes{9, 9}));
    EXPECT_TRUE(CameraQuiet(0));

    ASSERT_EQ(Tavrin_SetCaptureWindowEx(handle, kSensorWidth, 0, 160, kSensorHeight, 0, 120), 1);
    ASSERT_EQ(Tavrin_SetColorMode(handle, 8), 1);
    ASSERT_EQ(Tavrin_CallBackPreview(handle, window, nullptr, 0, 0), 1);
    ASSERT_GE(Collect(window, 1, 3000).records.size(), 1u);
    const std::string path = File(kWideStem + "streaming.avi");
    const std::u16string wide = std::filesystem::path(path).u16string();
    ASSERT_EQ(Tavrin_RecordW(handle, reinterpret_cast<const TavrinWChar*>(wide.c_str()), 60000, 0), 1);
    ASSERT_TRUE(WaitForFrames(path, static_cast<uint32_t>(Stride(160, 24) * 120), 3));
    DrainMessages();
    EXPECT_TRUE(Collect(window, 1, 200).records.empty()) << "Record clears the callback window";
    EXPECT_EQ(Tavrin_Record(handle, File("second.avi").c_str(), 1000, 0), 0);
    EXPECT_EQ(TakeErrors(), Codes{1});
    ASSERT_EQ(Tavrin_StopPreview(handle), 1);
    const AviFile avi(path);
    ASSERT_TRUE(avi.Finished());
    EXPECT_GE(avi.Frames(), 3u);
    EXPECT_GT(avi.MicrosecondsPerFrame(), 0u);
    if (!Have(kFfprobe)) {
        TAVRIN_SKIP_WITHOUT_TOOL() << kFfprobe << " is not available" << (kUnderEmulator ? " under Wine" : "");
    }
    const std::string view = Probe(path);
    EXPECT_EQ(Field(view, "width"), "160") << view;
    EXPECT_EQ(Field(view, "height"), "120") << view;
    EXPECT_EQ(Field(view, "nb_read_frames"), std::to_string(avi.Frames())) << view;
}

// A disk that refuses the frames: the recording ends with code 12, the
// stream goes on and stops normally.
TEST_F(RecordFilesTest, FailingWritesEndTheRecordingWithFileError) {
    if (kUnderEmulator || !std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "needs /dev/full (a Linux device that refuses writes)";
    }
    ASSERT_EQ(Tavrin_SetCaptureWindowEx(handle, kSensorWidth, 0, 160, kSensorHeight, 0, 120), 1);
    const int started = Tavrin_Record(handle, "/dev/full", 60000, 0);
    if (started == 1) {
        // The header fitted the device's buffers; a frame write fails.
        Codes queued;
        const auto start = std::chrono::steady_clock::now();
        while (queued.empty() && MillisecondsSince(start) < 3000) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            queued = TakeErrors();
        }
        EXPECT_EQ(queued, Codes{12});
        EXPECT_EQ(CollectFor(50).errors, Codes{12});
        EXPECT_TRUE(CameraSendsMoreThan(0, TavrinSim_GetFrameCount(0) + 3)) << "the stream goes on";
        EXPECT_EQ(Tavrin_Record(handle, File("after.avi").c_str(), 60000, 0), 1) << "a new recording can start";
        EXPECT_EQ(Tavrin_StopPreview(handle), 1);
        EXPECT_TRUE(AviFile(File("after.avi")).Finished());
    } else {
        EXPECT_EQ(TakeErrors(), Codes{12});
        EXPECT_TRUE(CameraQuiet(0)) << "a recording that cannot open its file closes the stream";
    }
    EXPECT_EQ(TakeErrors(), Codes{});
}

// Every output depth becomes a 24-bit AVI that ffprobe reads.
TEST_F(RecordFilesTest, EveryColourModeRecordsAReadableAvi) {
    ASSERT_EQ(Tavrin_SetCaptureWindowEx(handle, kSensorWidth, 0, 96, kSensorHeight, 0, 64), 1);
    ASSERT_EQ(TavrinSim_SetPattern(0, TAVRINSIM_PATTERN_COLOR_BARS, 800), 1);
    for (int bits : {8, 16, 24, 32, 48, 64}) {
        SCOPED_TRACE(bits);
        ASSERT_EQ(Tavrin_SetColorMode(handle, bits), 1);
        const std::string path = File("mode" + std::to_string(bits) + ".avi");
        ASSERT_EQ(Tavrin_Record(handle, path.c_str(), 60000, 0), 1);
        ASSERT_TRUE(WaitForFrames(path, static_cast<uint32_t>(Stride(96, 24) * 64), 2));
        ASSERT_EQ(Tavrin_StopPreview(handle), 1);
        const AviFile avi(path);
        ASSERT_TRUE(avi.Finished());
        if (Have(kFfprobe)) {
            const std::string view = Probe(path);
            EXPECT_EQ(Field(view, "nb_read_frames"), std::to_string(avi.Frames())) << view;
            EXPECT_EQ(Field(view, "width"), "96") << view;
        }
    }
    EXPECT_EQ(TakeErrors(), Codes{});
    if (!Have(kFfprobe)) {
        TAVRIN_SKIP_WITHOUT_TOOL() << kFfprobe << " is not available" << (kUnderEmulator ? " under Wine" : "")
                                   << "; the headers were checked";
    }
}

// A save that cannot finish (a pipe nobody reads, written in place) holds up
// neither the stream nor GetImage: the image is copied, then written.
TEST_F(FilesTest, StalledSaveDoesNotStopFrameDelivery) {
    if (kUnderEmulator) {
        GTEST_SKIP() << "named pipes are a POSIX host's";
    }
    const std::string fifo = File("stalled.bmp");
    ASSERT_EQ(RunCommand("mkfifo '" + fifo + "'", File("mkfifo.txt")).exitCode, 0);
    std::vector<BYTE> buffer(static_cast<size_t>(ImageBytes(24)));
    ASSERT_EQ(Tavrin_SetColorMode(handle, 24), 1);
    ASSERT_EQ(Tavrin_CallBackPreview(handle, window, buffer.data(), static_cast<int>(buffer.size()), 1), 1);
    ASSERT_EQ(Collect(window, 1, 3000).records.size(), 1u);
    std::thread save([&] { EXPECT_EQ(Tavrin_SaveImage(handle, fifo.c_str(), 0), 1); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the save waits for a reader now
    EXPECT_GE(Collect(window, 3, 2000).records.size(), 3u) << "frames go on during the save";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Tavrin_GetImage(handle, buffer.data(), static_cast<int>(buffer.size()), 1), 1);
    EXPECT_LT(MillisecondsSince(start), 1000u);
    // A reader lets the save finish: it holds a whole bitmap.
    std::ifstream reader(fifo, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(reader)), std::istreambuf_iterator<char>());
    save.join();
    EXPECT_EQ(bytes.size(), 54 + buffer.size());
    EXPECT_EQ(Tavrin_StopPreview(handle), 1);
}

}  // namespace
}  // namespace tavrin::test
