// The record of every frame (TavrinEx_GetFrameMeta) through the exports,
// with frames at the sensor's own pace: numbers, capture times and drops of a
// stream read by a slow consumer, the newest frame after a burst of triggers,
// and a recording at a small readout window that keeps every frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "TavrinEx.h"
#include "acquisition_fixture.h"

namespace tavrin::test {
namespace {

// The sensor reads a line in 3080 clocks of 36 MHz; a frame of a readout
// window `lines` lines high (exposure shorter than that) takes that many.
constexpr double kLineNs = 3080.0 * 1e9 / 36e6;

uint64_t NowNs() {
    uint64_t now = 0;
    EXPECT_EQ(TavrinEx_GetClocks(&now, nullptr), 1);
    return now;
}

class FrameRecordTest : public AcquisitionTest {
protected:
    const char* SimulatorSetting() const override { return "0"; }

    void UseWindow(int lines, int mode = 24) {
        ASSERT_EQ(Tavrin_SetCaptureWindowEx(handle, kSensorWidth, 0, kSensorWidth, kSensorHeight, 0, lines), 1);
        ASSERT_EQ(Tavrin_SetColorMode(handle, mode), 1);
        ASSERT_EQ(Tavrin_SetWaitTime(handle, 0), 1);
        buffer.assign(static_cast<size_t>(ImageBytes(mode)), 0);
    }

    TavrinFrameMeta Meta() const {
        TavrinFrameMeta meta{};
        meta.size = sizeof meta;
        EXPECT_EQ(TavrinEx_GetFrameMeta(handle, &meta), 1);
        return meta;
    }

    // On each frame message the record of the current frame, with the
    // monotonic time it was read; every third message the consumer stalls.
    std::vector<std::pair<TavrinFrameMeta, uint64_t>> ReadRecords(size_t count, int stallMs) {
        std::vector<std::pair<TavrinFrameMeta, uint64_t>> seen;
        const auto start = std::chrono::steady_clock::now();
        while (seen.size() < count && MillisecondsSince(start) < 10000) {
            PostedMessage m{};
            if (!NextMessage(window, m, 2000)) {
                break;
            }
            if (m.message != WM_SDK_FRAME || m.wParam == 0) {
                continue;
            }
            ++messages;
            seen.emplace_back(Meta(), NowNs());
            if (seen.size() % 3 == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(stallMs));
            }
        }
        return seen;
    }

    // Stops and counts the frame messages still queued: then every frame
    // given is counted.
    TavrinFrameMeta StopAndCount() {
        EXPECT_EQ(Tavrin_StopPreview(handle), 1);
        messages += Collect(window, 0, 300).records.size();
        return Meta();
    }

    std::vector<BYTE> buffer;
    uint64_t messages = 0;
};

TEST_F(FrameRecordTest, NoRecordBeforeTheFirstFrameAndBadRecordsAreRefused) {
    TavrinFrameMeta meta{};
    meta.size = sizeof meta;
    EXPECT_EQ(TavrinEx_GetFrameMeta(handle, &meta), 0);
    EXPECT_EQ(TakeErrors(), std::vector<int>{SDKERR_NOT_READY});
    EXPECT_EQ(TavrinEx_GetFrameMeta(handle, nullptr), 0);
    meta.size = 4;
    EXPECT_EQ(TavrinEx_GetFrameMeta(handle, &meta), 0);
    EXPECT_EQ(TakeErrors(), (std::vector<int>{SDKERR_PARAMETER, SDKERR_PARAMETER}));
    EXPECT_EQ(TavrinEx_GetFrameMeta(0, &meta), 0);

    UseWindow(64);
    ASSERT_EQ(Tavrin_SnapShot(handle, nullptr, 0, 1), 1);
    meta = Meta();
    EXPECT_EQ(meta.size, static_cast<int32_t>(sizeof meta));
    EXPECT_EQ(meta.status, 0);
    EXPECT_EQ(meta.frameNumber, 1u);
    EXPECT_EQ(meta.droppedFrames, 0u);
    EXPECT_EQ(meta.exposureLines, TavrinSim_GetSensorRegister(0, kSensorExposureRegister));
    EXPECT_GT(meta.captureTimeNs, 0u);
    EXPECT_LE(meta.captureTimeNs, NowNs());
    // A caller built against the first 24 bytes gets those.
    TavrinFrameMeta shorter{};
    shorter.size = 24;
    shorter.exposureLines = -7;
    ASSERT_EQ(TavrinEx_GetFrameMeta(handle, &shorter), 1);
    EXPECT_EQ(shorter.size, 24);
    EXPECT_EQ(shorter.frameNumber, 1u);
    EXPECT_EQ(shorter.exposureLines, -7);
}

// A consumer that stalls sees the gaps counted, never silently lost: numbers
// rise, capture times step by the frame period, and at the end the frames
// dropped and the frames given add up to the last frame's number. After each
// stall the frame delivered is the newest, not one left waiting.
TEST_F(FrameRecordTest, StreamCountsEveryFrameForASlowConsumer) {
    constexpr int kLines = 128;
    const double periodNs = kLines * kLineNs;
    UseWindow(kLines);
    ASSERT_EQ(Tavrin_CallBackPreview(handle, window, buffer.data(), static_cast<int>(buffer.size()), 1), 1);
    const auto seen = ReadRecords(30, 40);
    const TavrinFrameMeta last = StopAndCount();
    ASSERT_GE(seen.size(), 30u);

    EXPECT_EQ(last.droppedFrames + messages, last.frameNumber);
    bool sawGap = false;
    std::vector<double> steps;
    for (size_t i = 1; i < seen.size(); ++i) {
        const TavrinFrameMeta& a = seen[i - 1].first;
        const TavrinFrameMeta& b = seen[i].first;
        ASSERT_GE(b.frameNumber, a.frameNumber);
        if (b.frameNumber == a.frameNumber) {
            continue;  // two messages, one newer frame already
        }
        const double step =
            static_cast<double>(b.captureTimeNs - a.captureTimeNs) / static_cast<double>(b.frameNumber - a.frameNumber);
        // Never faster than the camera; slower only when the host was late
        // to ask for the next frame, which a loaded machine may be.
        EXPECT_GT(step, 0.7 * periodNs) << "frames " << a.frameNumber << " to " << b.frameNumber;
        steps.push_back(step);
        EXPECT_GE(b.droppedFrames, a.droppedFrames);
        sawGap = sawGap || b.frameNumber > a.frameNumber + 1;
    }
    EXPECT_TRUE(sawGap) << "a stalled consumer reads a newer frame than the one it was told of";
    ASSERT_FALSE(steps.empty());
    std::nth_element(steps.begin(), steps.begin() + static_cast<ptrdiff_t>(steps.size() / 2), steps.end());
    EXPECT_NEAR(steps[steps.size() / 2], periodNs, 0.3 * periodNs) << "the median step is the frame period";
    // Read on its message, a frame is never older than a stall ago plus a
    // frame: the newest whole frame goes first.
    for (const auto& [meta, readAt] : seen) {
        EXPECT_LT(readAt - meta.captureTimeNs, 40'000'000 + 3 * periodNs) << "frame " << meta.frameNumber;
    }
}

// Triggers in a burst, software and external by turns, while the
// acquisition thread processes a frame with every step on: the frame of the
// last trigger follows without another trigger, numbered as the triggers
// were counted. A software trigger is the pulse on the trigger register.
TEST_F(FrameRecordTest, BurstOfTriggersEndsWithTheLastTriggersFrame) {
    UseWindow(kSensorHeight);
    for (const auto& [filter, value] :
         std::vector<std::pair<int, int>>{{1, 10}, {2, 40}, {3, 90}, {4, 60}, {5, 30}, {11, 150}}) {
        ASSERT_EQ(Tavrin_SetFilterValue(handle, filter, value), 1);
    }
    EXPECT_EQ(TavrinEx_SoftwareTrigger(handle), 0);
    EXPECT_EQ(TakeErrors(), std::vector<int>{SDKERR_NOT_READY}) << "outside trigger mode";
    ASSERT_EQ(Tavrin_Trigger(handle, window, buffer.data(), static_cast<int>(buffer.size()), 1), 1);
    TavrinSim_ClearLog(0);
    constexpr int kTriggers = 6;
    for (int i = 0; i < kTriggers; ++i) {
        ASSERT_EQ(i % 2 == 0 ? TavrinEx_SoftwareTrigger(handle) : TavrinSim_FireTrigger(0), 1);
    }
    std::vector<TavrinSimRecord> log(4096);
    log.resize(static_cast<size_t>(TavrinSim_GetLog(0, log.data(), static_cast<int>(log.size()))));
    std::vector<int> triggerWrites;
    for (const TavrinSimRecord& r : log) {
        if (r.pipe == 0 && r.data[0] == 0x25 && r.data[1] == 11) {  // control register write
            triggerWrites.push_back(r.data[2]);
        }
    }
    EXPECT_EQ(triggerWrites, (std::vector<int>{0x03, 0x83, 0x01, 0x03, 0x83, 0x01, 0x03, 0x83, 0x01}));
    // The camera sends the six frames one frame period apart; frames that
    // came while the thread was busy are dropped, never the last one.
    TavrinFrameMeta newest{};
    uint64_t readAt = 0;
    const auto start = std::chrono::steady_clock::now();
    while (newest.frameNumber < kTriggers && MillisecondsSince(start) < 5000) {
        PostedMessage m{};
        if (NextMessage(window, m, 200) && m.message == WM_SDK_FRAME && m.wParam != 0) {
            ++messages;
            newest = Meta();
            readAt = NowNs();
        }
    }
    ASSERT_EQ(newest.frameNumber, static_cast<uint64_t>(kTriggers)) << "the last frame delivered";
    EXPECT_LT(readAt - newest.captureTimeNs, 1'000'000'000u) << "delivered without a further trigger";
    const TavrinFrameMeta last = StopAndCount();
    EXPECT_EQ(last.frameNumber, static_cast<uint64_t>(kTriggers));
    EXPECT_EQ(last.droppedFrames + messages, last.frameNumber);
}

// Frames written into lent buffers: each buffer handed back holds its
// frame (the current image while it is the newest) and is never written
// again once back, in a mode the chain writes directly (24), one copied into
// the buffer (32) and the raw mode (8). The test marks each buffer once the
// next one is back, so a late write would show at its next lending.
TEST_F(FrameRecordTest, LentBuffersComeBackWithTheirFramesAndStayUntouched) {
    for (const int mode : {24, 32, 8}) {
        SCOPED_TRACE(mode);
        UseWindow(64, mode);
        const int size = static_cast<int>(buffer.size());
        std::vector<std::vector<BYTE>> buffers(4, std::vector<BYTE>(buffer.size(), 0x5A));
        void* given = nullptr;
        EXPECT_EQ(TavrinEx_ExchangeFrameBuffer(handle, buffers[0].data(), size, &given, nullptr), 0);
        EXPECT_EQ(TakeErrors(), std::vector<int>{SDKERR_NOT_READY}) << "nothing runs";
        ASSERT_EQ(Tavrin_CallBackPreview(handle, window, nullptr, 0, 1), 1);
        ASSERT_EQ(TavrinEx_ExchangeFrameBuffer(handle, buffers[0].data(), size, &given, nullptr), 1);
        EXPECT_EQ(given, nullptr) << "the first buffer lent";
        EXPECT_EQ(TavrinEx_ExchangeFrameBuffer(handle, buffers[0].data(), size, &given, nullptr), 0);
        EXPECT_EQ(TavrinEx_ExchangeFrameBuffer(handle, buffers[1].data(), size - 1, &given, nullptr), 0);
        EXPECT_EQ(TakeErrors(), (std::vector<int>{SDKERR_PARAMETER, SDKERR_PARAMETER}));

        size_t lent = 0, next = 1, back = 0;
        BYTE* newest = nullptr;
        TavrinFrameMeta meta{}, newestMeta{};
        const auto start = std::chrono::steady_clock::now();
        while (back < 8 && MillisecondsSince(start) < 5000) {
            PostedMessage m{};
            if (!NextMessage(window, m, 500) || m.message != WM_SDK_FRAME) {
                continue;
            }
            ASSERT_TRUE(std::all_of(buffers[next].begin(), buffers[next].end(), [](BYTE b) { return b == 0x5A; }))
                << "a buffer written after it came back";
            meta = TavrinFrameMeta{};
            meta.size = sizeof meta;
            ASSERT_EQ(TavrinEx_ExchangeFrameBuffer(handle, buffers[next].data(), size, &given, &meta), 1);
            if (given == buffers[next].data()) {
                continue;  // its frame went with the last exchange
            }
            ASSERT_EQ(given, buffers[lent].data());
            EXPECT_GT(meta.frameNumber, newestMeta.frameNumber);
            EXPECT_NE(std::count(buffers[lent].begin(), buffers[lent].end(), BYTE{0x5A}), size) << "holds a frame";
            if (newest != nullptr) {
                std::fill(newest, newest + size, BYTE{0x5A});  // no longer the current image
            }
            newest = buffers[lent].data();
            newestMeta = meta;
            lent = next;
            next = (next + 1) % buffers.size();
            ++back;
        }
        EXPECT_EQ(back, 8u);
        ASSERT_EQ(Tavrin_StopPreview(handle), 1);
        Collect(window, 0, 0);
        // The current image is the newest frame: the one handed back last or
        // one written into the buffer still lent.
        ASSERT_EQ(Tavrin_GetImage(handle, buffer.data(), size, 1), 1);
        const BYTE* holder = Meta().frameNumber == newestMeta.frameNumber ? newest : buffers[lent].data();
        EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), holder));
    }
}

uint32_t U32(const std::vector<char>& bytes, size_t at) {
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

uint64_t Given(const TavrinFrameMeta& meta) { return meta.frameNumber - meta.droppedFrames; }

// A second of recording at a small readout window holds every frame the
// stream delivered in that second.
TEST_F(FrameRecordTest, RecordingAtASmallWindowKeepsEveryFrameDelivered) {
    constexpr int kLines = 64;
    const double periodNs = kLines * kLineNs;
    UseWindow(kLines);
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("tavrin-every-frame-" + ProcessTag() + ".avi");
    ASSERT_EQ(Tavrin_Record(handle, file.string().c_str(), 1000, 0), 1);
    // The recording starts the stream and takes every frame it delivers,
    // until one comes more than a second after its first. `before` is the
    // first frame seen here: on a loaded machine a few may precede it.
    TavrinFrameMeta before{};
    before.size = sizeof before;
    while (TavrinEx_GetFrameMeta(handle, &before) == 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    TavrinFrameMeta after = Meta();
    while (after.captureTimeNs < before.captureTimeNs + 1'000'000'000 + 2 * periodNs) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        after = Meta();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    StopAndCount();

    std::vector<char> bytes;
    {
        std::ifstream in(file, std::ios::binary);  // closed before the removal, which Windows needs
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::filesystem::remove(file);
    ASSERT_GT(bytes.size(), 64u);
    const uint32_t frames = U32(bytes, 48);  // the main header's total frames
    // The frames delivered from the start to `after`: the recorded ones, and
    // past the end the one or two that `after` waited for and as many as
    // came before `before`.
    const uint64_t delivered = Given(after);
    std::printf("recorded %u frames in 1 s at %d lines (%.0f fps sent, %llu delivered until %llu ns later)\n", frames,
                kLines, 1e9 / periodNs, static_cast<unsigned long long>(delivered),
                static_cast<unsigned long long>(after.captureTimeNs - before.captureTimeNs));
    EXPECT_LE(frames, delivered);
    EXPECT_GE(frames + 2 + Given(before), delivered);
    EXPECT_GT(frames, 10u);  // how many the stream keeps up with is the benchmark's to say
}

}  // namespace
}  // namespace tavrin::test
