// What reaches the caller's buffer, byte for byte: an exact mosaic loaded
// into the simulated camera, processed with neutral settings, equals what
// the imaging kernels make of that mosaic, in every colour mode and both
// row orders; mirroring turns it by 180 degrees; automatic exposure moves
// the sensor's exposure as the region levels ask.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "acquisition_fixture.h"
#include "imaging/chain.h"
#include "imaging/color_mode.h"
#include "imaging/dib_image.h"
#include "records/filter_record.h"

namespace tavrin::test {
namespace {

using Codes = std::vector<int>;
using Mosaic = std::vector<unsigned short>;

constexpr std::array<int, 6> kModeBits{8, 16, 24, 32, 48, 64};

// 10-bit samples from a fixed xorshift sequence.
Mosaic RandomMosaic(int width, int height, uint32_t seed) {
    Mosaic samples(static_cast<size_t>(width) * static_cast<size_t>(height));
    uint32_t state = seed;
    for (auto& sample : samples) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        sample = static_cast<unsigned short>(state & 0x3FF);
    }
    return samples;
}

// The settings the handle holds now, as the chain reads them.
void ReadFilters(int handle, FilterRecord& filters) {
    struct Link {
        int id;
        FilterField field;
    };
    constexpr Link kLinks[] = {
        {1, kBrightness},       {2, kContrast},       {3, kHue},           {4, kSaturation},     {5, kSharpness},
        {7, kBayerGainRed},     {8, kBayerGainGreen}, {9, kBayerGainBlue}, {10, kBayerGainAuto}, {11, kGamma},
        {12, kBayerMode},       {19, kGrayMode},      {20, kGrayGainR},    {21, kGrayGainG1},    {22, kGrayGainG2},
        {23, kGrayGainB},       {24, kGrayOffsetR},   {25, kGrayOffsetG1}, {26, kGrayOffsetG2},  {27, kGrayOffsetB},
        {28, kGrayAutoBalance},
    };
    for (const Link& link : kLinks) {
        int error = 0;
        filters.Set(link.field, Tavrin_GetFilterValue(handle, link.id, &error));
        EXPECT_EQ(error, 1) << "filter " << link.id;
    }
}

// The camera object's images, built and processed here with the imaging
// library alone.
class ExpectedFrame {
public:
    ExpectedFrame() {
        set_.image8 = &images_[0];
        set_.image16 = &images_[1];
        set_.image24 = &images_[2];
        set_.image32 = &images_[3];
        set_.image48 = &images_[4];
        set_.image64 = &images_[5];
        set_.work = &images_[6];
        set_.display = &images_[7];
    }

    // The output image for a mosaic as the camera transfers it (8-bit
    // transfers carry the upper 8 of the 10 bits).
    const CDibImage& Process(const Mosaic& mosaic, int width, int height, int mode, FilterRecord& filters,
                             bool mirrorV = false, bool mirrorH = false) {
        EXPECT_TRUE(AllocateFrameImages(set_, mode, width, height));
        CDibImage& raw = *set_.Raw(mode);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const unsigned short sample = mosaic[static_cast<size_t>(y) * width + x];
                if (RawBitsOf(mode) == 16) {
                    raw.Row(y)[2 * x] = static_cast<uint8_t>(sample);
                    raw.Row(y)[2 * x + 1] = static_cast<uint8_t>(sample >> 8);
                } else {
                    raw.Row(y)[x] = static_cast<uint8_t>(sample >> 2);
                }
            }
        }
        ProcessingChain chain;
        chain.Run(set_, filters, ChainFrame{mode, mirrorV, mirrorH});
        return *set_.Output(mode);
    }

private:
    std::array<CDibImage, 8> images_;
    ImageSet set_;
};

// The caller's buffer as the copy-out writes it: rows with their padding,
// the bottom line first for row order 0, memory order otherwise.
std::vector<BYTE> CallerBytes(const CDibImage& image, int rowOrder) {
    std::vector<BYTE> bytes(image.ImageBytes());
    for (int y = 0; y < image.Height(); ++y) {
        const int source = rowOrder != 0 ? y : image.Height() - 1 - y;
        std::memcpy(bytes.data() + static_cast<size_t>(y) * image.Stride(), image.Row(source),
                    static_cast<size_t>(image.Stride()));
    }
    return bytes;
}

// The first differing byte, for a readable failure.
std::string FirstDifference(const std::vector<BYTE>& actual, const std::vector<BYTE>& expected, int stride) {
    if (actual.size() != expected.size()) {
        return "sizes " + std::to_string(actual.size()) + " and " + std::to_string(expected.size());
    }
    for (size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] != expected[i]) {
            return "first difference at row " + std::to_string(i / stride) + " byte " + std::to_string(i % stride) +
                   ": " + std::to_string(actual[i]) + " instead of " + std::to_string(expected[i]);
        }
    }
    return "equal";
}

// The same, for the pixel bytes of each row only: the row padding of an
// image that the raw frame was respaced into keeps bytes of the packed frame.
std::string FirstPixelDifference(const std::vector<BYTE>& actual, const std::vector<BYTE>& expected,
                                 const CDibImage& image) {
    const size_t rowBytes = static_cast<size_t>(image.Width()) * image.BytesPerPixel();
    if (actual.size() != expected.size()) {
        return "sizes " + std::to_string(actual.size()) + " and " + std::to_string(expected.size());
    }
    for (int y = 0; y < image.Height(); ++y) {
        const size_t row = static_cast<size_t>(y) * image.Stride();
        for (size_t i = 0; i < rowBytes; ++i) {
            if (actual[row + i] != expected[row + i]) {
                return "first difference at row " + std::to_string(y) + " byte " + std::to_string(i) + ": " +
                       std::to_string(actual[row + i]) + " instead of " + std::to_string(expected[row + i]);
            }
        }
    }
    return "";
}

class ContentTest : public AcquisitionTest {
protected:
    void SetUp() override {
        AcquisitionTest::SetUp();
        ReadFilters(handle, filters);
        // The registry's fallbacks: neutral processing, gray mode 0, the
        // sensor's own Bayer order.
        ASSERT_EQ(filters.Get(kGamma), 100);
        ASSERT_EQ(filters.Get(kGrayMode), 0);
        ASSERT_EQ(filters.Get(kBayerMode), 1);
        ASSERT_EQ(filters.Get(kBayerGainRed), 100);
        ASSERT_EQ(filters.Get(kBayerGainAuto), 0);
    }

    // One snapshot of the loaded mosaic in a mode and row order.
    std::vector<BYTE> Snap(int bits, int rowOrder) {
        EXPECT_EQ(Tavrin_SetColorMode(handle, bits), 1);
        std::vector<BYTE> buffer(static_cast<size_t>(ImageBytes(bits)), 0xA5);
        EXPECT_EQ(Tavrin_SnapShot(handle, buffer.data(), static_cast<int>(buffer.size()), rowOrder), 1);
        EXPECT_EQ(TakeErrors(), Codes{});
        return buffer;
    }

    FilterRecord filters;
    ExpectedFrame expected;
};

TEST_F(ContentTest, SnapShotGivesTheKernelsOutputInEveryModeAndRowOrder) {
    const Mosaic mosaic = RandomMosaic(kSensorWidth, kSensorHeight, 0x1234567);
    ASSERT_EQ(TavrinSim_LoadFrame(0, mosaic.data(), kSensorWidth, kSensorHeight), 1);
    for (int mode = 0; mode < 6; ++mode) {
        const CDibImage& output = expected.Process(mosaic, kSensorWidth, kSensorHeight, mode, filters);
        for (int rowOrder : {0, 1}) {
            SCOPED_TRACE("mode " + std::to_string(kModeBits[mode]) + " row order " + std::to_string(rowOrder));
            const std::vector<BYTE> actual = Snap(kModeBits[mode], rowOrder);
            const std::vector<BYTE> wanted = CallerBytes(output, rowOrder);
            EXPECT_TRUE(actual == wanted) << FirstDifference(actual, wanted, output.Stride());
        }
    }
}

// The streaming path copies out the same bytes as the snapshot path.
TEST_F(ContentTest, CallBackPreviewGivesTheKernelsOutputInEveryMode) {
    const Mosaic mosaic = RandomMosaic(kSensorWidth, kSensorHeight, 0xBADC0DE);
    ASSERT_EQ(TavrinSim_LoadFrame(0, mosaic.data(), kSensorWidth, kSensorHeight), 1);
    for (int mode = 0; mode < 6; ++mode) {
        const int rowOrder = mode % 2;
        SCOPED_TRACE("mode " + std::to_string(kModeBits[mode]) + " row order " + std::to_string(rowOrder));
        ASSERT_EQ(Tavrin_SetColorMode(handle, kModeBits[mode]), 1);
        DrainMessages();  // frames of the stream before
        std::vector<BYTE> buffer(static_cast<size_t>(ImageBytes(kModeBits[mode])), 0xA5);
        ASSERT_EQ(Tavrin_CallBackPreview(handle, window, buffer.data(), static_cast<int>(buffer.size()), rowOrder), 1);
        const Posted posted = Collect(window, 2, 3000);
        ASSERT_EQ(Tavrin_StopPreview(handle), 1);  // the buffer is ours again
        ASSERT_EQ(posted.records.size(), 2u);
        EXPECT_EQ(posted.records[1].bitsPerPixel, kModeBits[mode]);
        const CDibImage& output = expected.Process(mosaic, kSensorWidth, kSensorHeight, mode, filters);
        const std::vector<BYTE> wanted = CallerBytes(output, rowOrder);
        EXPECT_TRUE(buffer == wanted) << FirstDifference(buffer, wanted, output.Stride());
        // GetImage gives the same picture, in the order asked.
        std::vector<BYTE> image(buffer.size());
        EXPECT_EQ(Tavrin_GetImage(handle, image.data(), static_cast<int>(image.size()), 1 - rowOrder), 1);
        EXPECT_TRUE(image == CallerBytes(output, 1 - rowOrder));
    }
    EXPECT_EQ(TakeErrors(), Codes{});
}

// In the 24- and 48-bit modes a top-first buffer takes the frame straight
// from the chain. The current image still follows: a new buffer or a stop
// takes the last frame back, so GetImage never reads a buffer the caller has
// since freed (the sanitizer build would see it) or written into.
TEST_F(ContentTest, FramesWrittenIntoTheCallersBufferStayTheCurrentImage) {
    const Mosaic mosaic = RandomMosaic(kSensorWidth, kSensorHeight, 0xD1EC7);
    ASSERT_EQ(TavrinSim_LoadFrame(0, mosaic.data(), kSensorWidth, kSensorHeight), 1);
    for (const int mode : {2, 4}) {
        SCOPED_TRACE("mode " + std::to_string(kModeBits[mode]));
        const std::vector<BYTE> wanted =
            CallerBytes(expected.Process(mosaic, kSensorWidth, kSensorHeight, mode, filters), 1);
        ASSERT_EQ(Tavrin_SetColorMode(handle, kModeBits[mode]), 1);
        DrainMessages();
        auto first = std::make_unique<std::vector<BYTE>>(wanted.size(), 0xA5);
        ASSERT_EQ(Tavrin_CallBackPreview(handle, window, first->data(), static_cast<int>(first->size()), 1), 1);
        ASSERT_EQ(Collect(window, 2, 3000).records.size(), 2u);
        std::vector<BYTE> second(wanted.size(), 0xA5);
        ASSERT_EQ(Tavrin_CallBackPreview(handle, window, second.data(), static_cast<int>(second.size()), 1), 1);
        EXPECT_TRUE(*first == wanted);  // the stream writes it no more
        first.reset();
        std::vector<BYTE> image(wanted.size());
        EXPECT_EQ(Tavrin_GetImage(handle, image.data(), static_cast<int>(image.size()), 1), 1);
        EXPECT_TRUE(image == wanted);
        // A frame under way at the switch may still be announced: two
        // messages after the queue was emptied include one into `second`.
        DrainMessages();
        ASSERT_EQ(Collect(window, 2, 3000).records.size(), 2u);
        ASSERT_EQ(Tavrin_StopPreview(handle), 1);
        EXPECT_TRUE(second == wanted);
        std::fill(second.begin(), second.end(), BYTE{0});
        EXPECT_EQ(Tavrin_GetImage(handle, image.data(), static_cast<int>(image.size()), 1), 1);
        EXPECT_TRUE(image == wanted) << FirstDifference(image, wanted, kSensorWidth * kModeBits[mode] / 8);
    }
    EXPECT_EQ(TakeErrors(), Codes{});
}

// The mosaic as the software mirrors leave it.
Mosaic Mirrored(const Mosaic& mosaic, int width, int height, bool mirrorH, bool mirrorV) {
    Mosaic out(mosaic.size());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int fromY = mirrorV ? height - 1 - y : y;
            const int fromX = mirrorH ? width - 1 - x : x;
            out[static_cast<size_t>(y) * width + x] = mosaic[static_cast<size_t>(fromY) * width + fromX];
        }
    }
    return out;
}

// Streaming reads a colour frame where the device left it unless mirroring
// needs a copy to turn; either way the caller gets the kernels' output of the
// frame, in every colour mode, mirror and row order, from the full sensor and
// from a region whose rows are padded, with the measurements and a tone step on.
TEST_F(ContentTest, StreamedColourFramesGiveTheKernelsOutput) {
    struct Area {
        int x, y, width, height;
    };
    ASSERT_EQ(Tavrin_SetFilterValue(handle, 10, 1), 1);    // automatic white balance reads every frame
    ASSERT_EQ(Tavrin_SetFilterValue(handle, 11, 130), 1);  // gamma: in 8-bit colour it joins the demosaic
    ReadFilters(handle, filters);
    for (const Area area : {Area{0, 0, kSensorWidth, kSensorHeight}, Area{10, 6, 322, 240}}) {
        ASSERT_EQ(
            Tavrin_SetCaptureWindowEx(handle, kSensorWidth, area.x, area.width, kSensorHeight, area.y, area.height), 1);
        const Mosaic mosaic = RandomMosaic(area.width, area.height, 0xFACE + area.width);
        ASSERT_EQ(TavrinSim_LoadFrame(0, mosaic.data(), area.width, area.height), 1);
        const bool fullSensor = area.width == kSensorWidth;
        for (int mode = 2; mode < 6; ++mode) {
            for (int mirrors = 0; mirrors < (fullSensor ? 4 : 1); ++mirrors) {
                const bool mirrorH = (mirrors & 1) != 0;
                const bool mirrorV = (mirrors & 2) != 0;
                ASSERT_EQ(Tavrin_SetMirrorH(handle, mirrorH ? 1 : 0), 1);
                ASSERT_EQ(Tavrin_SetMirrorV(handle, mirrorV ? 1 : 0), 1);
                const CDibImage& output = expected.Process(Mirrored(mosaic, area.width, area.height, mirrorH, mirrorV),
                                                           area.width, area.height, mode, filters, mirrorV, mirrorH);
                ASSERT_EQ(Tavrin_SetColorMode(handle, kModeBits[mode]), 1);
                for (int rowOrder : {0, 1}) {
                    SCOPED_TRACE("width " + std::to_string(area.width) + " mode " + std::to_string(kModeBits[mode]) +
                                 " mirrors " + std::to_string(mirrors) + " row order " + std::to_string(rowOrder));
                    DrainMessages();
                    std::vector<BYTE> buffer(output.ImageBytes(), 0xA5);
                    ASSERT_EQ(Tavrin_CallBackPreview(handle, window, buffer.data(), static_cast<int>(buffer.size()),
                                                     rowOrder),
                              1);
                    // Returns with the second frame; the time limit is for
                    // the sanitizer builds on a loaded machine.
                    const Posted posted = Collect(window, 2, 15000);
                    ASSERT_EQ(Tavrin_StopPreview(handle), 1);
                    ASSERT_EQ(posted.records.size(), 2u);
                    EXPECT_EQ(FirstDifference(buffer, CallerBytes(output, rowOrder), output.Stride()), "equal");
                }
            }
        }
    }
    EXPECT_EQ(TakeErrors(), Codes{});
}

// A readout region whose rows carry padding in the caller's buffer.
TEST_F(ContentTest, RegionWithPaddedRowsGivesTheKernelsOutput) {
    constexpr int kWidth = 322;
    constexpr int kHeight = 240;
    ASSERT_EQ(Tavrin_SetCaptureWindowEx(handle, kSensorWidth, 10, kWidth, kSensorHeight, 6, kHeight), 1);
    ASSERT_EQ(Tavrin_Width(handle), kWidth);
    const Mosaic mosaic = RandomMosaic(kWidth, kHeight, 0xC0FFEE);
    ASSERT_EQ(TavrinSim_LoadFrame(0, mosaic.data(), kWidth, kHeight), 1);
    for (int mode : {0, 2, 4}) {
        const CDibImage& output = expected.Process(mosaic, kWidth, kHeight, mode, filters);
        for (int rowOrder : {0, 1}) {
            SCOPED_TRACE("mode " + std::to_string(kModeBits[mode]) + " row order " + std::to_string(rowOrder));
            const std::vector<BYTE> actual = Snap(kModeBits[mode], rowOrder);
            EXPECT_EQ(FirstPixelDifference(actual, CallerBytes(output, rowOrder), output), "");
        }
    }
}

// Both mirrors turn the picture by 180 degrees: in 8-bit gray the output is
// the mosaic turned; in colour it is what the kernels make of the turned
// mosaic, whose first pixel now has the opposite Bayer phase.
TEST_F(ContentTest, BothMirrorsTurnThePictureBy180Degrees) {
    const Mosaic mosaic = RandomMosaic(kSensorWidth, kSensorHeight, 0x5EED);
    Mosaic turned(mosaic.rbegin(), mosaic.rend());
    ASSERT_EQ(TavrinSim_LoadFrame(0, mosaic.data(), kSensorWidth, kSensorHeight), 1);
    ASSERT_EQ(Tavrin_SetMirrorH(handle, 1), 1);
    ASSERT_EQ(Tavrin_SetMirrorV(handle, 1), 1);
    ASSERT_EQ(Tavrin_GetMirrorH(handle), 1);
    ASSERT_EQ(Tavrin_GetMirrorV(handle), 1);
    TakeErrors();
    DrainMessages();

    const std::vector<BYTE> gray = Snap(8, 1);
    for (size_t i = 0; i < turned.size(); ++i) {
        ASSERT_EQ(gray[i], turned[i] >> 2) << "pixel " << i;
    }
    for (int mode : {1, 2, 5}) {
        SCOPED_TRACE("mode " + std::to_string(kModeBits[mode]));
        const std::vector<BYTE> actual = Snap(kModeBits[mode], 1);
        const CDibImage& output =
            expected.Process(turned, kSensorWidth, kSensorHeight, mode, filters, /*mirrorV=*/true, /*mirrorH=*/true);
        const std::vector<BYTE> wanted = CallerBytes(output, 1);
        EXPECT_TRUE(actual == wanted) << FirstDifference(actual, wanted, output.Stride());
    }
    // One mirror alone reverses rows (vertical) or the samples of each row
    // (horizontal).
    ASSERT_EQ(Tavrin_SetMirrorH(handle, 0), 1);
    std::vector<BYTE> flipped = Snap(8, 1);
    for (int y = 0; y < kSensorHeight; y += 61) {
        for (int x = 0; x < kSensorWidth; x += 7) {
            ASSERT_EQ(flipped[static_cast<size_t>(y) * kSensorWidth + x],
                      mosaic[static_cast<size_t>(kSensorHeight - 1 - y) * kSensorWidth + x] >> 2);
        }
    }
    ASSERT_EQ(Tavrin_SetMirrorV(handle, 0), 1);
    ASSERT_EQ(Tavrin_SetMirrorH(handle, 1), 1);
    flipped = Snap(8, 1);
    for (int y = 0; y < kSensorHeight; y += 61) {
        for (int x = 0; x < kSensorWidth; x += 7) {
            ASSERT_EQ(flipped[static_cast<size_t>(y) * kSensorWidth + x],
                      mosaic[static_cast<size_t>(y) * kSensorWidth + kSensorWidth - 1 - x] >> 2);
        }
    }
    EXPECT_EQ(TakeErrors(), Codes{});
}

class AutoIrisTest : public AcquisitionTest {
protected:
    int Exposure() const {
        int error = 0;
        const int lines = Tavrin_GetExposureTime(handle, &error);
        EXPECT_EQ(error, 1);
        return lines;
    }
    void Snap() { EXPECT_EQ(Tavrin_SnapShot(handle, nullptr, 0, 0), 1); }
};

// All five regions at 220 (8-bit): 0.85 - 4 x 0.15 = 0.25, so every frame
// quarters the exposure until the sensor's minimum of 2 lines.
TEST_F(AutoIrisTest, BrightFrameQuartersTheExposureDownToTwoLines) {
    for (int bits : {8, 48}) {
        SCOPED_TRACE("mode " + std::to_string(bits));
        ASSERT_EQ(Tavrin_SetColorMode(handle, bits), 1);
        ASSERT_EQ(TavrinSim_SetPattern(0, TAVRINSIM_PATTERN_FLAT, 220 * 4), 1);
        ASSERT_EQ(Tavrin_SetExposureTime(handle, 400), 1);
        ASSERT_EQ(Tavrin_SetAutoIris(handle, 1), 1);
        for (int lines : {100, 25, 6, 2, 2}) {
            Snap();
            EXPECT_EQ(Exposure(), lines);
            EXPECT_EQ(TavrinSim_GetSensorRegister(0, kSensorExposureRegister), lines);
        }
        ASSERT_EQ(Tavrin_SetAutoIris(handle, 0), 1);
    }
    EXPECT_EQ(TakeErrors(), Codes{});
}

TEST_F(AutoIrisTest, MidLevelFrameChangesNothing) {
    ASSERT_EQ(TavrinSim_SetPattern(0, TAVRINSIM_PATTERN_FLAT, 120 * 4), 1);
    ASSERT_EQ(Tavrin_SetExposureTime(handle, 400), 1);
    ASSERT_EQ(Tavrin_SetAutoIris(handle, 1), 1);
    TavrinSim_ClearLog(0);
    for (int i = 0; i < 3; ++i) {
        Snap();
        EXPECT_EQ(Exposure(), 400);
        EXPECT_EQ(TavrinSim_GetSensorRegister(0, kSensorExposureRegister), 400);
    }
    EXPECT_EQ(TakeErrors(), Codes{});
}

// Automatic gain (mode 2) scales the gain by the same factor and stores it
// as the global and every colour gain.
TEST_F(AutoIrisTest, BrightFrameQuartersTheGainInGainMode) {
    ASSERT_EQ(TavrinSim_SetPattern(0, TAVRINSIM_PATTERN_FLAT, 220 * 4), 1);
    ASSERT_EQ(Tavrin_SetGlobalGain(handle, 400), 1);
    ASSERT_EQ(Tavrin_SetExposureTime(handle, 300), 1);
    ASSERT_EQ(Tavrin_SetAutoIris(handle, 2), 1);
    Snap();
    int error = 0;
    EXPECT_EQ(Tavrin_GetGlobalGain(handle, &error), 100);
    EXPECT_EQ(Exposure(), 300) << "gain mode leaves the exposure";
    EXPECT_EQ(TakeErrors(), Codes{});
}

// While streaming, the exposure converges within a few frames. The frames
// are counted, not timed: a loaded machine may deliver them slowly.
TEST_F(AutoIrisTest, StreamingBrightFrameReachesTheMinimum) {
    ASSERT_EQ(TavrinSim_SetPattern(0, TAVRINSIM_PATTERN_FLAT, 250 * 4), 1);
    ASSERT_EQ(Tavrin_SetExposureTime(handle, 524), 1);
    ASSERT_EQ(Tavrin_SetAutoIris(handle, 1), 1);
    ASSERT_EQ(Tavrin_CallBackPreview(handle, window, nullptr, 0, 0), 1);
    size_t frames = 0;
    while (frames < 8 && TavrinSim_GetSensorRegister(0, kSensorExposureRegister) != 2) {
        const Posted posted = Collect(window, 1, 10000);
        ASSERT_EQ(posted.records.size(), 1u)
            << "after " << frames << " frames; camera sent " << TavrinSim_GetFrameCount(0) << ", codes "
            << ::testing::PrintToString(posted.frameCodes);
        ++frames;
    }
    ASSERT_EQ(Tavrin_StopPreview(handle), 1);
    EXPECT_EQ(Exposure(), 2);
    EXPECT_EQ(TavrinSim_GetSensorRegister(0, kSensorExposureRegister), 2);
}

}  // namespace
}  // namespace tavrin::test
