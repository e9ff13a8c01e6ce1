// Session recording through the exports: the errors a caller can get, a
// write failure that ends the recording while the camera streams on, the
// end at Tavrin_Release, and compressed frames read back as transferred.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "TavrinEx.h"
#include "integration/acquisition/acquisition_fixture.h"
#include "session/session_reader.h"

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace tavrin::test {
namespace {

class SessionRecording : public AcquisitionTest {
protected:
    std::string Scratch(const std::string& name) const {
        return ::testing::TempDir() + "session_recording_" + ProcessTag() + "_" + name;
    }

    std::vector<BYTE> buffer_ = std::vector<BYTE>(static_cast<size_t>(656) * 494 * 3);

    bool Stream() {
        return Tavrin_CallBackPreview(handle, window, buffer_.data(), static_cast<int>(buffer_.size()), 1) == 1;
    }

    std::string StateText(int* running = nullptr) const {
        char reason[256] = "unset";
        const int state = TavrinEx_GetSessionRecordingState(handle, reason, sizeof reason);
        if (running != nullptr) {
            *running = state;
        }
        return reason;
    }
};

// The chunks of a session file, in order, and how reading it ended.
struct Chunks {
    std::vector<session::ChunkType> types;
    std::vector<std::vector<uint8_t>> payloads;
    std::vector<uint64_t> offsets;
    session::ReadStatus status = session::ReadStatus::kNotSession;
};

Chunks ReadChunks(const std::string& path) {
    Chunks chunks;
    const auto file = platform::OpenReadOnlyFile(path.c_str());
    if (!file) {
        return chunks;
    }
    session::SessionReader reader(*file);
    if ((chunks.status = reader.Begin()) != session::ReadStatus::kOk) {
        return chunks;
    }
    session::Chunk chunk;
    while (reader.Next(chunk)) {
        chunks.types.push_back(static_cast<session::ChunkType>(chunk.type));
        chunks.payloads.emplace_back(chunk.payload.begin(), chunk.payload.end());
        chunks.offsets.push_back(chunk.payloadOffset);
    }
    chunks.status = reader.Status();
    return chunks;
}

TEST_F(SessionRecording, ReportsBadCallsWithTheUsualCodes) {
    const std::string good = Scratch("good.tvs");
    const std::string unwritable = Scratch("no-such-folder/session.tvs");
    struct Case {
        const char* what;
        std::function<int()> call;
        int result;
        int error;  // queued; 0 for none
    };
    const Case cases[] = {
        {"unknown handle", [&] { return TavrinEx_StartSessionRecording(handle + 1, good.c_str()); }, 0, 0},
        {"null path", [&] { return TavrinEx_StartSessionRecording(handle, nullptr); }, 0, SDKERR_PARAMETER},
        {"empty path", [&] { return TavrinEx_StartSessionRecording(handle, ""); }, 0, SDKERR_PARAMETER},
        {"unknown flag", [&] { return TavrinEx_StartSessionRecordingEx(handle, good.c_str(), 2); }, 0,
         SDKERR_PARAMETER},
        {"unwritable path", [&] { return TavrinEx_StartSessionRecording(handle, unwritable.c_str()); }, 0,
         SDKERR_FILE},
        {"stop without recording", [&] { return TavrinEx_StopSessionRecording(handle); }, 0, SDKERR_NOT_READY},
        {"start", [&] { return TavrinEx_StartSessionRecording(handle, good.c_str()); }, 1, 0},
        {"start again", [&] { return TavrinEx_StartSessionRecording(handle, good.c_str()); }, 0, SDKERR_NOT_READY},
        {"stop", [&] { return TavrinEx_StopSessionRecording(handle); }, 1, 0},
        {"stop again", [&] { return TavrinEx_StopSessionRecording(handle); }, 0, SDKERR_NOT_READY},
        {"stop, unknown handle", [&] { return TavrinEx_StopSessionRecording(handle + 1); }, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.call(), c.result) << c.what;
        const std::vector<int> errors = TakeErrors();
        EXPECT_EQ(errors.empty() ? 0 : errors.front(), c.error) << c.what;
    }
    EXPECT_EQ(StateText(), "stopped");
    const Chunks chunks = ReadChunks(good);
    EXPECT_EQ(chunks.status, session::ReadStatus::kEnd);
    ASSERT_GE(chunks.types.size(), 2u);
    EXPECT_EQ(chunks.types.front(), session::ChunkType::kHeader);
    EXPECT_EQ(chunks.types.back(), session::ChunkType::kEnd);
    const auto header = session::DecodeHeader(chunks.payloads.front());
    ASSERT_TRUE(header);
    EXPECT_EQ(header->sdkVersion, static_cast<uint32_t>(Tavrin_GetDllVersion()));
    EXPECT_EQ(header->slot, 0);
    ASSERT_FALSE(header->rom.empty());
    EXPECT_EQ(std::string(header->rom.front().bytes.begin(), header->rom.front().bytes.end() - 1), "TAVRIN-SIM-00");
    EXPECT_NE(header->settings.find("capture-window=656,494,656,494,0,0,4\n"), std::string::npos);
    EXPECT_NE(header->host.find("driver=simulator\n"), std::string::npos);
    std::remove(good.c_str());
}

// Released while streaming, the camera's recording ends with its stream:
// the file is whole and says why it ended.
TEST_F(SessionRecording, EndsWhenTheHandleIsReleased) {
    const std::string path = Scratch("released.tvs");
    ASSERT_EQ(TavrinEx_StartSessionRecording(handle, path.c_str()), 1);
    ASSERT_TRUE(Stream());
    EXPECT_EQ(Collect(window, 3, 3000).records.size(), 3u);
    ASSERT_EQ(Tavrin_Release(handle), 1);
    handle = 0;
    const Chunks chunks = ReadChunks(path);
    EXPECT_EQ(chunks.status, session::ReadStatus::kEnd);
    ASSERT_FALSE(chunks.types.empty());
    EXPECT_EQ(chunks.types.back(), session::ChunkType::kEnd);
    EXPECT_EQ(session::DecodeEnd(chunks.payloads.back())->reason, session::EndReason::kReleased);
    // The stream's close is recorded before the end.
    EXPECT_NE(std::find(chunks.types.begin(), chunks.types.end(), session::ChunkType::kClose), chunks.types.end());
    std::remove(path.c_str());
}

// Compressed, the frames read back exactly as the camera sent them.
TEST_F(SessionRecording, CompressedFramesReadBackAsTransferred) {
    if (!session::FrameCompressionAvailable()) {
        GTEST_SKIP() << "this build has no zstd";
    }
    const std::string path = Scratch("compressed.tvs");
    TavrinSim_SetPattern(0, TAVRINSIM_PATTERN_FLAT, 700);
    ASSERT_EQ(TavrinEx_StartSessionRecordingEx(handle, path.c_str(), TAVRIN_SESSION_COMPRESS_FRAMES), 1);
    ASSERT_TRUE(Stream());
    EXPECT_EQ(Collect(window, 4, 3000).records.size(), 4u);
    Tavrin_StopPreview(handle);
    ASSERT_EQ(TavrinEx_StopSessionRecording(handle), 1);

    const Chunks chunks = ReadChunks(path);
    const auto file = platform::OpenReadOnlyFile(path.c_str());
    ASSERT_TRUE(file);
    session::FrameDataReader reader;
    size_t frames = 0;
    uint64_t stored = 0;
    for (size_t i = 0; i < chunks.types.size(); ++i) {
        if (chunks.types[i] != session::ChunkType::kFrame) {
            continue;
        }
        const auto frame = session::DecodeFrame(chunks.payloads[i], chunks.offsets[i]);
        ASSERT_TRUE(frame);
        if (frame->dataLength == 0) {
            continue;
        }
        EXPECT_EQ(frame->compression, session::Compression::kZstd);
        std::vector<uint8_t> data(frame->dataLength);
        ASSERT_TRUE(reader.Read(*file, *frame, data.data(), data.size()));
        // The flat level in 8-bit transfers: the upper 8 of 10 bits.
        EXPECT_EQ(std::count(data.begin(), data.end(), uint8_t{700 >> 2}), static_cast<ptrdiff_t>(data.size()));
        stored += frame->storedLength;
        ++frames;
    }
    EXPECT_GE(frames, 4u);
    EXPECT_LT(stored * 100, uint64_t{frames} * 656 * 494);
    std::remove(path.c_str());
}

#ifndef _WIN32
// A write that fails (here: the file may grow no further) ends the
// recording; the camera streams on and the caller learns why.
TEST_F(SessionRecording, AWriteFailureEndsTheRecordingAndTheCameraStreamsOn) {
    const std::string path = Scratch("limited.tvs");
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    // Room for the settings store and a few full frames, not for more.
    rlimit limited = previous;
    limited.rlim_cur = 2u << 20;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    ASSERT_EQ(TavrinEx_StartSessionRecording(handle, path.c_str()), 1);
    ASSERT_TRUE(Stream());
    const Posted posted = Collect(window, 20, 5000);
    setrlimit(RLIMIT_FSIZE, &previous);
    EXPECT_EQ(posted.records.size(), 20u);
    EXPECT_NE(std::find(posted.errors.begin(), posted.errors.end(), SDKERR_FILE), posted.errors.end());
    int running = -1;
    EXPECT_NE(StateText(&running).find("writing failed (File too large) after"), std::string::npos) << StateText();
    EXPECT_EQ(running, 0);
    EXPECT_EQ(Collect(window, 3, 3000).records.size(), 3u) << "the camera streams on";
    Tavrin_StopPreview(handle);
    TakeErrors();
    EXPECT_EQ(TavrinEx_StopSessionRecording(handle), 0);
    EXPECT_EQ(TakeErrors(), std::vector<int>{SDKERR_FILE});
    // What was written reads up to its last whole chunk.
    const Chunks chunks = ReadChunks(path);
    EXPECT_GT(std::count(chunks.types.begin(), chunks.types.end(), session::ChunkType::kFrame), 1);
    std::remove(path.c_str());
}
#endif

}  // namespace
}  // namespace tavrin::test
