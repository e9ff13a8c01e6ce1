// Streaming through the exports: the frame records of a callback preview, a
// buffer too small, the ends of a stream (transfer error, stalled camera,
// unplugged camera), a negative wait time from the registry, and a second
// program streaming from the same camera.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "acquisition_fixture.h"
#include "platform/registry.h"

namespace tavrin::test {
namespace {

using Codes = std::vector<int>;

class StreamingTest : public AcquisitionTest {};

// The rate is frames per second times ten over a window of more than a
// second. The camera sends frames at once, so its pace follows the machine's
// load; the bounds below hold for any pace. Every record read before the
// window can have closed holds 0; the first record with a rate was read
// after the window closed, and every record read before it came from a frame
// inside the window.
TEST_F(StreamingTest, CallBackPreviewPostsAFrameRecordPerFrame) {
    ASSERT_EQ(Tavrin_SetColorMode(handle, 32), 1);
    std::vector<BYTE> buffer(static_cast<size_t>(ImageBytes(32)));
    const int sentBefore = TavrinSim_GetFrameCount(0);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Tavrin_CallBackPreview(handle, window, buffer.data(), static_cast<int>(buffer.size()), 0), 1);
    Posted posted;
    uint32_t rateSeenAt = 0;
    while (rateSeenAt == 0 && MillisecondsSince(start) < 10000) {
        const Posted one = Collect(window, 1, 1000);
        posted.Append(one);
        const uint32_t now = MillisecondsSince(start);
        for (const TavrinFrameInfo& record : one.records) {
            EXPECT_TRUE(record.frameRate == 0 || now >= 1000) << "a rate after " << now << " ms";
            rateSeenAt = record.frameRate != 0 ? now : rateSeenAt;
        }
    }
    const int sent = TavrinSim_GetFrameCount(0) - sentBefore;
    ASSERT_EQ(Tavrin_StopPreview(handle), 1);
    EXPECT_TRUE(posted.errors.empty());
    EXPECT_TRUE(posted.frameCodes.empty());
    ASSERT_NE(rateSeenAt, 0u) << "no rate within 10 s";
    for (const TavrinFrameInfo& record : posted.records) {
        EXPECT_EQ(record.size, 32);
        EXPECT_EQ(record.width, kSensorWidth);
        EXPECT_EQ(record.height, kSensorHeight);
        EXPECT_EQ(record.bitsPerPixel, 32);
        EXPECT_EQ(record.reserved, 0);
        EXPECT_EQ(record.buffer, buffer.data());
    }
    // At least the records read so far were counted, over at most the time
    // since the start (two milliseconds of slack for the two clocks).
    const int64_t counted = static_cast<int64_t>(posted.records.size());
    const int64_t reported = posted.records.back().frameRate;
    EXPECT_GE(reported, counted * 10000 / (rateSeenAt + 2));
    // At most every frame the camera sent, over more than a second.
    EXPECT_LT(reported, int64_t{sent} * 10);
    EXPECT_EQ(TakeErrors(), Codes{});
}

// Every frame reports the buffer (frame message lParam 5 and code 5) and
// none is announced with a record.
TEST_F(StreamingTest, BufferOneByteShortReportsFivePerFrameAndNeverARecord) {
    std::vector<BYTE> buffer(static_cast<size_t>(ImageBytes(24)));
    ASSERT_EQ(Tavrin_CallBackPreview(handle, window, buffer.data(), static_cast<int>(buffer.size()) - 1, 1), 1);
    const Posted posted = Collect(window, 0, 5000, 4);
    ASSERT_EQ(Tavrin_StopPreview(handle), 1);
    const Posted rest = CollectFor(100);
    EXPECT_TRUE(posted.records.empty());
    EXPECT_TRUE(rest.records.empty());
    ASSERT_GE(posted.frameCodes.size(), 4u);
    EXPECT_TRUE(std::all_of(posted.frameCodes.begin(), posted.frameCodes.end(), [](int c) { return c == 5; }));
    // Per frame: the frame message first, then the error message.
    const auto coded = posted.CodeEvents();
    ASSERT_GE(coded.size(), 2u);
    for (size_t i = 0; i + 1 < coded.size(); i += 2) {
        EXPECT_EQ(coded[i].first, WM_SDK_FRAME + 0u);
        EXPECT_EQ(coded[i + 1].first, WM_SDK_ERROR + 0u);
    }
    std::vector<int> errors = posted.errors;
    errors.insert(errors.end(), rest.errors.begin(), rest.errors.end());
    EXPECT_TRUE(std::all_of(errors.begin(), errors.end(), [](int c) { return c == 5; }));
    const Codes queued = TakeErrors();
    EXPECT_EQ(queued.size(), std::min<size_t>(20, errors.size()));
    EXPECT_TRUE(std::all_of(queued.begin(), queued.end(), [](int c) { return c == 5; }));
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](BYTE b) { return b == 0; })) << "nothing copied";
}

class StreamEndTest : public StreamingTest {
protected:
    // Streams to the notification window until a frame or two have come.
    void StartStreaming() {
        ASSERT_EQ(Tavrin_CallBackPreview(handle, window, nullptr, 0, 0), 1);
        ASSERT_GE(Collect(window, 2, 3000).records.size(), 2u);
    }
    // The stream ended by itself with frame code 13, then error 13, and
    // nothing streams any more; a stop and a new start stream again.
    void ExpectEndedWithTransferError(int timeoutMs) {
        Posted posted = Collect(window, 0, timeoutMs, 1);
        const Posted rest = CollectFor(200);
        EXPECT_TRUE(rest.records.empty()) << "frames after the end of the stream";
        posted.Append(rest);
        using Event = std::pair<unsigned, intptr_t>;
        EXPECT_EQ(posted.CodeEvents(), (std::vector<Event>{{WM_SDK_FRAME, 13}, {WM_SDK_ERROR, 13}}));
        EXPECT_EQ(TakeErrors(), Codes{13});
        EXPECT_TRUE(CameraQuiet(0));
    }
    void ExpectRestarts() {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Tavrin_StopPreview(handle), 1);
        EXPECT_LT(MillisecondsSince(start), 1000u) << "StopPreview after the stream ended";
        ASSERT_EQ(Tavrin_CallBackPreview(handle, window, nullptr, 0, 0), 1);
        EXPECT_GE(Collect(window, 2, 3000).records.size(), 2u);
        EXPECT_EQ(Tavrin_StopPreview(handle), 1);
        EXPECT_EQ(TakeErrors(), Codes{});
    }
};

TEST_F(StreamEndTest, TransferErrorEndsTheStreamWithThirteen) {
    StartStreaming();
    ASSERT_EQ(TavrinSim_InjectFault(0, TAVRINSIM_FAULT_FRAME_FAILS, 1), 1);
    ExpectEndedWithTransferError(3000);
    // The state stays streaming until the caller stops: a start succeeds
    // without streaming.
    EXPECT_EQ(Tavrin_StartPreview(handle), 1);
    EXPECT_TRUE(CameraQuiet(0));
    ExpectRestarts();
}

TEST_F(StreamEndTest, TwoShortFramesEndTheStreamWithThirteen) {
    StartStreaming();
    ASSERT_EQ(TavrinSim_InjectFault(0, TAVRINSIM_FAULT_FRAME_SHORT, 2), 1);
    ExpectEndedWithTransferError(3000);
    ExpectRestarts();
}

// A camera that stops sending: the driver gives up after its wait (3 s).
TEST_F(StreamEndTest, StalledCameraEndsTheStreamWithThirteen) {
    StartStreaming();
    ASSERT_EQ(TavrinSim_InjectFault(0, TAVRINSIM_FAULT_FRAME_STALLS, 1), 1);
    ExpectEndedWithTransferError(9000);
    ExpectRestarts();
}

TEST_F(StreamEndTest, UnpluggedCameraEndsTheStreamWithThirteenAndNothingHangs) {
    StartStreaming();
    ASSERT_EQ(TavrinSim_SetPresent(0, 0), 1);
    ExpectEndedWithTransferError(3000);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Tavrin_StopPreview(handle), 1);
    EXPECT_EQ(Tavrin_Close(handle), 1);
    EXPECT_LT(MillisecondsSince(start), 1000u);
    EXPECT_EQ(TakeErrors(), Codes{});
    ASSERT_EQ(TavrinSim_SetPresent(0, 1), 1);
    ExpectRestarts();
}

// Unplugged while nothing streams: once a scan has seen it gone, the
// preparation finds no camera.
TEST_F(StreamEndTest, StartWithTheCameraUnpluggedReportsDeviceThenNotReady) {
    std::vector<char> names(10 * 256);
    ASSERT_EQ(TavrinSim_SetPresent(0, 0), 1);
    Tavrin_EnumDevice(handle, names.data());
    TakeErrors();
    EXPECT_EQ(Tavrin_StartPreview(handle), 0);
    EXPECT_EQ(TakeErrors(), (Codes{1, 2}));
    EXPECT_EQ(Tavrin_Preview(handle), 0);
    EXPECT_EQ(TakeErrors(), (Codes{8, 1, 2}));
    std::vector<BYTE> buffer(static_cast<size_t>(ImageBytes(24)));
    EXPECT_EQ(Tavrin_SnapShot(handle, buffer.data(), static_cast<int>(buffer.size()), 0), 0);
    EXPECT_EQ(TakeErrors(), (Codes{1, 2}));
    ASSERT_EQ(TavrinSim_SetPresent(0, 1), 1);
    Tavrin_EnumDevice(handle, names.data());
    TakeErrors();
    EXPECT_EQ(Tavrin_SnapShot(handle, buffer.data(), static_cast<int>(buffer.size()), 0), 1);
    EXPECT_EQ(TakeErrors(), Codes{});
}

// The registry may hold a negative wait time (the export refuses one): the
// streaming loop then does not wait at all.
TEST_F(StreamingTest, NegativeWaitTimeFromTheRegistryStillStreams) {
    ASSERT_EQ(Tavrin_Release(handle), 1);
    handle = 0;
    {
        auto key = platform::RegistryKey::Create(nullptr, std::string(kBaseKey) + "\\Camera_00");
        ASSERT_TRUE(key);
        ASSERT_TRUE(key->WriteDword("WaitTime", static_cast<uint32_t>(-5)));
    }
    handle = Tavrin_Initialize(window);
    ASSERT_NE(handle, 0);
    ASSERT_EQ(Tavrin_SetPreviewWindow(handle, nullptr, 0, 0, 0, 0), 1);
    EXPECT_EQ(Tavrin_GetWaitTime(handle), -5);
    EXPECT_EQ(Tavrin_SetWaitTime(handle, -1), 0) << "the export refuses negative values";
    TakeErrors();
    DrainMessages();
    ASSERT_EQ(Tavrin_CallBackPreview(handle, window, nullptr, 0, 0), 1);
    EXPECT_GE(Collect(window, 3, 3000).records.size(), 3u);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Tavrin_StopPreview(handle), 1);
    EXPECT_LT(MillisecondsSince(start), 2500u) << "a negative wait is no wait, not a huge one";
    EXPECT_EQ(TakeErrors(), Codes{});
}

// The wait before each frame ends when the stream is stopped, however long
// it is: stopping, closing and releasing never wait it out.
TEST_F(StreamingTest, LongWaitTimesNeverDelayTheEnd) {
    enum class End { Stop, Close, Release };
    for (const int waitTime : {20000, 0x7FFFFFFF}) {
        for (const End end : {End::Stop, End::Close, End::Release}) {
            SCOPED_TRACE(testing::Message() << "wait time " << waitTime << ", end " << static_cast<int>(end));
            if (handle == 0) {
                handle = Tavrin_Initialize(window);
                ASSERT_NE(handle, 0);
                ASSERT_EQ(Tavrin_SetPreviewWindow(handle, nullptr, 0, 0, 0, 0), 1);
            }
            ASSERT_EQ(Tavrin_SetWaitTime(handle, waitTime), 1);
            ASSERT_EQ(Tavrin_CallBackPreview(handle, window, nullptr, 0, 0), 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the loop is in its wait
            const auto start = std::chrono::steady_clock::now();
            switch (end) {
            case End::Stop:
                EXPECT_EQ(Tavrin_StopPreview(handle), 1);
                break;
            case End::Close:
                EXPECT_EQ(Tavrin_Close(handle), 1);
                break;
            case End::Release:
                EXPECT_EQ(Tavrin_Release(handle), 1);
                handle = 0;
                break;
            }
            // A quarter of the shorter wait: a loaded machine's pauses (a
            // settings store's sync under a build's disk traffic) fit in it.
            EXPECT_LT(MillisecondsSince(start), 5000u);
        }
    }
    if (handle != 0) {
        Tavrin_SetWaitTime(handle, 1);
    }
}

// Two handles of one program on one camera: the one streaming with a
// notification window holds the camera.
TEST_F(StreamingTest, SecondHandleCannotStartTheCameraAnotherHandleStreams) {
    HWND otherWindow = CreateNotifyWindow();
    const int other = Tavrin_Initialize(otherWindow);
    ASSERT_NE(other, 0);
    ASSERT_EQ(Tavrin_SetPreviewWindow(other, nullptr, 0, 0, 0, 0), 1);
    while (Tavrin_GetLastError(other) != 0) {
    }
    ASSERT_EQ(Tavrin_StartPreview(handle), 1);
    EXPECT_EQ(Tavrin_StartPreview(other), 0);
    std::vector<int> codes;
    for (int code = Tavrin_GetLastError(other); code != 0; code = Tavrin_GetLastError(other)) {
        codes.push_back(code);
    }
    EXPECT_EQ(codes, (Codes{1, 2}));
    EXPECT_EQ(Tavrin_StopPreview(handle), 1);
    EXPECT_EQ(Tavrin_StartPreview(other), 1);
    EXPECT_EQ(Tavrin_GetLastError(other), 0);
    EXPECT_EQ(Tavrin_StopPreview(other), 1);
    Tavrin_Release(other);
    DestroyNotifyWindow(otherWindow);
    DrainMessages();
}

#ifdef _WIN32
constexpr const char* kPeer = "acquisition_peer.exe";
#else
constexpr const char* kPeer = "./acquisition_peer";
#endif

bool WaitForFile(const std::filesystem::path& path, int timeoutMs) {
    const auto start = std::chrono::steady_clock::now();
    while (!std::filesystem::exists(path)) {
        if (static_cast<int>(MillisecondsSince(start)) > timeoutMs) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Another program streams camera 0 with a notification window: starting it
// here reports 2 (in use) then 1; once that program has stopped, it starts.
TEST_F(StreamingTest, SecondProgramStreamingTheCameraHoldsIt) {
    const std::filesystem::path signals = std::filesystem::temp_directory_path() / ("acquisition_peer_" + ProcessTag());
    std::filesystem::remove_all(signals);
    std::filesystem::create_directories(signals);
    int peerResult = -1;
    std::thread peer([&] { peerResult = std::system((std::string(kPeer) + " \"" + signals.string() + "\"").c_str()); });
    const bool ready = WaitForFile(signals / "streaming", 20000);
    if (ready) {
        EXPECT_EQ(Tavrin_StartPreview(handle), 0);
        EXPECT_EQ(TakeErrors(), (Codes{1, 2}));
    }
    std::ofstream(signals / "stop").put('\n');
    peer.join();
    std::filesystem::remove_all(signals);
    ASSERT_TRUE(ready) << "the second program did not start streaming";
    EXPECT_EQ(peerResult, 0);
    EXPECT_EQ(Tavrin_StartPreview(handle), 1);
    EXPECT_EQ(TakeErrors(), Codes{});
    EXPECT_EQ(Tavrin_StopPreview(handle), 1);
}

// Six programs start camera 0 at the same moment: exactly one streams, and
// each of the others is refused with 2 (in use) then 1, in every trial.
TEST_F(StreamingTest, OfSixProgramsStartingTogetherExactlyOneStreams) {
    constexpr int kPrograms = 6;
    const int trials = ACQUISITION_UNDER_EMULATOR ? 2 : 3;
    for (int trial = 0; trial < trials; ++trial) {
        const std::filesystem::path signals =
            std::filesystem::temp_directory_path() / ("acquisition_race_" + ProcessTag());
        std::filesystem::remove_all(signals);
        std::filesystem::create_directories(signals);
        std::vector<std::thread> peers;
        std::atomic<int> failedPeers{0};
        for (int i = 0; i < kPrograms; ++i) {
            peers.emplace_back([&, i] {
                const std::string command =
                    std::string(kPeer) + " \"" + signals.string() + "\" race " + std::to_string(i);
                failedPeers.fetch_add(std::system(command.c_str()) != 0 ? 1 : 0);
            });
        }
        bool ready = true;
        for (int i = 0; i < kPrograms; ++i) {
            ready = ready && WaitForFile(signals / ("ready-" + std::to_string(i)), 60000);
        }
        std::ofstream(signals / "go").put('\n');
        int streaming = 0;
        for (int i = 0; ready && i < kPrograms; ++i) {
            const std::string name = std::to_string(i);
            const auto streamed = signals / ("streaming-" + name);
            const auto refused = signals / ("refused-" + name);
            const auto start = std::chrono::steady_clock::now();
            while (!std::filesystem::exists(streamed) && !std::filesystem::exists(refused) &&
                   MillisecondsSince(start) < 20000) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            if (std::filesystem::exists(streamed)) {
                ++streaming;
            } else {
                std::ifstream codes(refused);
                EXPECT_TRUE(codes.is_open()) << "program " << i << " gave no answer";
                std::string text((std::istreambuf_iterator<char>(codes)), std::istreambuf_iterator<char>());
                EXPECT_EQ(text, "1 2 ") << "program " << i;
            }
        }
        std::ofstream(signals / "stop").put('\n');
        for (auto& peer : peers) {
            peer.join();
        }
        std::filesystem::remove_all(signals);
        ASSERT_TRUE(ready) << "the programs did not all start";
        EXPECT_EQ(failedPeers.load(), 0);
        EXPECT_EQ(streaming, 1) << "trial " << trial;
    }
}

}  // namespace
}  // namespace tavrin::test
