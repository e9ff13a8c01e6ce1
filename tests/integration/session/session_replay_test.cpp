// A session recorded on the simulated camera replays in a new process: the
// program sees the same frames, failures and unplugs, and the replay's own
// recording holds the same frame transfers as the original. A strict replay
// names the first request that differs; a cut recording replays without
// harm.
#include <algorithm>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/module.h"
#include "platform/read_file.h"
#include "session/session_reader.h"

namespace {

#ifdef _WIN32
constexpr const char* kPeer = "session_peer.exe";
#else
constexpr const char* kPeer = "./session_peer";
#endif
constexpr const char* kRecordSetting = "0;interval=12;pattern=2;level=600;settle=0";

std::string Scratch(const std::string& name) {
    return ::testing::TempDir() + "session_replay_" + std::to_string(tavrin::platform::CurrentProcess().id & 0xFFFFFF) +
           "_" + name;
}

// What one run of the peer program wrote.
struct PeerLog {
    int exitCode = -1;
    std::vector<std::string> events;                         // "start ..." and "error ..." in order
    std::map<std::pair<int, uint64_t>, std::string> frames;  // (run, number) -> hash
    uint64_t dropped = 0;  // the most frames of a run the SDK gave nobody, by the frame records
    std::string report;
    bool done = false;
};

// A variable set by the shell for the one command that follows.
std::string Assign(const std::string& name, const std::string& value) {
#ifdef _WIN32
    return "set \"" + name + "=" + value + "\" && ";
#else
    return name + "='" + value + "' ";
#endif
}

// Runs the peer with a simulator, an owner table and a settings store of its
// own, so that peers started side by side never meet.
PeerLog RunPeer(const char* mode, const std::string& simSetting, const std::string& session, int gain, int waitMs = 1) {
    const std::string logPath = session + ".log";
    const std::string registry = session + ".sqlite3";
    static std::atomic<int> peers{0};
    const std::string block = "tavrin-session-test-" +
                              std::to_string(tavrin::platform::CurrentProcess().id & 0xFFFFFF) + "-" +
                              std::to_string(++peers);
    PeerLog log;
    const std::string command = Assign("TAVRIN_SIM", simSetting) + Assign("TAVRIN_SHARED_MEMORY_NAME", block) +
                                Assign("TAVRIN_REGISTRY", registry) +
                                Assign("SESSION_PEER_WAIT_MS", std::to_string(waitMs)) + kPeer + " " + mode + " \"" +
                                session + "\" \"" + logPath + "\" " + std::to_string(gain);
    log.exitCode = std::system(command.c_str());
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        std::remove((registry + suffix).c_str());
    }
    std::ifstream in(logPath);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "frame") {
            int run = 0;
            uint64_t number = 0;
            std::string hash;
            uint64_t dropped = 0;
            words >> run >> number >> hash >> dropped;
            log.frames[{run, number}] = hash;
            log.dropped = std::max(log.dropped, dropped);
        } else if (kind == "start" || kind == "error") {
            log.events.push_back(line);
        } else if (kind == "report") {
            log.report = line;
        } else if (kind == "done") {
            log.done = true;
        }
    }
    std::remove(logPath.c_str());
    return log;
}

// Every frame transfer of a session file: result, bytes and a hash of them.
struct FrameRead {
    int result;
    uint32_t bytes;
    uint64_t hash;
    bool operator==(const FrameRead&) const = default;
};

std::vector<FrameRead> FrameReads(const std::string& path) {
    std::vector<FrameRead> reads;
    const auto file = tavrin::platform::OpenReadOnlyFile(path.c_str());
    if (!file) {
        return reads;
    }
    tavrin::session::SessionReader reader(*file);
    tavrin::session::FrameDataReader frames;
    tavrin::session::Chunk chunk;
    if (reader.Begin() != tavrin::session::ReadStatus::kOk) {
        return reads;
    }
    std::vector<uint8_t> data;
    while (reader.Next(chunk)) {
        if (chunk.type != static_cast<uint16_t>(tavrin::session::ChunkType::kFrame)) {
            continue;
        }
        const auto frame = tavrin::session::DecodeFrame(chunk.payload, chunk.payloadOffset);
        if (!frame) {
            continue;
        }
        data.assign(frame->dataLength, 0);
        frames.Read(*file, *frame, data.data(), data.size());
        uint64_t hash = 0xCBF29CE484222325ull;
        for (uint8_t byte : data) {
            hash = (hash ^ byte) * 0x100000001B3ull;
        }
        reads.push_back({frame->fields.result, frame->fields.bytesReturned, hash});
    }
    return reads;
}

// A replay of the recording: how it was run, and what it saw and recorded.
struct Replay {
    std::string options;  // after "0;replay=FILE"
    int gain;
    bool cut;    // of the recording cut at a random byte
    int waitMs;  // the program's wait time: 25 ms is slower than the recorded 12 ms a frame
    PeerLog log;
    std::vector<FrameRead> reads;      // of its own recording
    std::vector<FrameRead> heldReads;  // of the file it replayed
    size_t cutAt = 0;
};

enum ReplayIndex { kPlain, kStrictSameGain, kStrictOtherGain, kCut, kFastSlowProgram, kReplayCount };

class SessionReplay : public ::testing::Test {
protected:
    // One recording, then its replays side by side, each a process of its
    // own (a peer takes about two seconds, mostly the camera's own pauses).
    static void SetUpTestSuite() {
        recorded_ = new PeerLog(RunPeer("record", kRecordSetting, Recording(), 500));
        recordedReads_ = new std::vector<FrameRead>(FrameReads(Recording()));
        replays_ = new std::vector<Replay>{{"", 500, false, 1, {}, {}, {}},
                                           {";strict=1", 500, false, 1, {}, {}, {}},
                                           {";strict=1", 600, false, 1, {}, {}, {}},
                                           {";pace=fast;end=unplug", 500, true, 1, {}, {}, {}},
                                           {";pace=fast", 500, false, 25, {}, {}, {}}};
        std::vector<std::thread> threads;
        for (size_t i = 0; i < replays_->size(); ++i) {
            threads.emplace_back([i] { RunReplay((*replays_)[i], "replay" + std::to_string(i)); });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
    }
    static void TearDownTestSuite() {
        std::remove(Recording().c_str());
        delete recorded_;
        delete recordedReads_;
        delete replays_;
    }
    static const std::string& Recording() {
        static const std::string path = Scratch("recorded.tvs");
        return path;
    }

    static void RunReplay(Replay& replay, const std::string& name) {
        std::string source = Recording();
        if (replay.cut) {
            std::ifstream in(Recording(), std::ios::binary);
            const std::vector<char> whole{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            std::mt19937 random(24);
            replay.cutAt = whole.size() > 2048 ? 2048 + random() % (whole.size() - 2048) : whole.size();
            source = Scratch(name + "-cut.tvs");
            std::ofstream(source, std::ios::binary).write(whole.data(), static_cast<std::streamsize>(replay.cutAt));
        }
        replay.heldReads = FrameReads(source);
        const std::string own = Scratch(name + ".tvs");
        replay.log = RunPeer("replay", "0;settle=0;replay=" + source + replay.options, own, replay.gain, replay.waitMs);
        replay.reads = FrameReads(own);
        std::remove(own.c_str());
        if (replay.cut) {
            std::remove(source.c_str());
        }
    }

    // The program saw the same: the same starts and errors in order, and
    // each frame that both runs were given with the same bytes (which frames
    // a consumer is given depends on how fast it is, so some may differ).
    static void ExpectSameAsRecorded(const PeerLog& replayed) {
        EXPECT_EQ(replayed.exitCode, 0);
        EXPECT_TRUE(replayed.done);
        EXPECT_EQ(replayed.events, recorded_->events);
        size_t common = 0;
        for (const auto& [frame, hash] : replayed.frames) {
            const auto found = recorded_->frames.find(frame);
            if (found != recorded_->frames.end()) {
                EXPECT_EQ(hash, found->second) << "run " << frame.first << " frame " << frame.second;
                ++common;
            }
        }
        EXPECT_GE(common * 4, recorded_->frames.size() * 3);
    }

    // The driver saw the same: the replay's own recording holds the original
    // frame transfers, failed ones included, in order; only the last one or
    // two may be missing (the program stops while one is under way).
    static void ExpectSameTransfers(const std::vector<FrameRead>& reads) {
        ASSERT_GE(reads.size() + 2, recordedReads_->size());
        const size_t compared = std::min(reads.size(), recordedReads_->size());
        for (size_t i = 0; i < compared; ++i) {
            EXPECT_EQ(reads[i], (*recordedReads_)[i]) << "frame transfer " << i;
        }
    }

    static PeerLog* recorded_;
    static std::vector<FrameRead>* recordedReads_;
    static std::vector<Replay>* replays_;
};

PeerLog* SessionReplay::recorded_ = nullptr;
std::vector<FrameRead>* SessionReplay::recordedReads_ = nullptr;
std::vector<Replay>* SessionReplay::replays_ = nullptr;

TEST_F(SessionReplay, RecordingHoldsAFailedFrameAndAnUnplug) {
    ASSERT_EQ(recorded_->exitCode, 0);
    ASSERT_TRUE(recorded_->done);
    // Three runs: the failed frame ends the first, the unplug the second,
    // the third starts once the camera is back.
    const std::vector<std::string> events = {"start 1 1", "error 1 13", "start 2 1", "error 2 13",
                                             "start 3 1", "error 3 13", "start 3 1"};
    EXPECT_EQ(recorded_->events, events);
    size_t failed = 0;
    for (const FrameRead& read : *recordedReads_) {
        failed += read.result == 0 ? 1 : 0;
    }
    EXPECT_EQ(failed, 2u);
}

// Twice, the second time strict with the same gain: the same both times.
TEST_F(SessionReplay, ReplaysTheSameFramesFailuresAndUnplugs) {
    for (const ReplayIndex index : {kPlain, kStrictSameGain}) {
        const Replay& replay = (*replays_)[index];
        SCOPED_TRACE(replay.options);
        ExpectSameAsRecorded(replay.log);
        ExpectSameTransfers(replay.reads);
        EXPECT_EQ(replay.log.report, "");
    }
}

TEST_F(SessionReplay, StrictReplayNamesTheFirstDifferingRequest) {
    const PeerLog& replayed = (*replays_)[kStrictOtherGain].log;
    EXPECT_EQ(replayed.exitCode, 0);
    // Gain 600 was sent where the recording has gain 500.
    EXPECT_NE(replayed.report.find("sent:     IOCTL_PIPE_IN_DIRECT pipe 0, 64 bytes: sensor write register 0x0004 = "
                                   "0x0258"),
              std::string::npos)
        << replayed.report;
    EXPECT_NE(replayed.report.find("recorded: IOCTL_PIPE_IN_DIRECT pipe 0, 64 bytes: sensor write register 0x0004 = "
                                   "0x01F4"),
              std::string::npos)
        << replayed.report;
}

// As fast as it is read, a replay gives even a slow program every frame, so
// the failure and the unplug come at the same frames as when recorded.
TEST_F(SessionReplay, AFastReplayGivesASlowProgramEveryFrame) {
    const Replay& replay = (*replays_)[kFastSlowProgram];
    EXPECT_EQ(replay.log.exitCode, 0);
    EXPECT_EQ(replay.log.events, recorded_->events);
    EXPECT_FALSE(replay.log.frames.empty());
    EXPECT_EQ(replay.log.dropped, 0u);
}

// Cut anywhere among its frames, a recording replays what it holds.
TEST_F(SessionReplay, ACutRecordingReplaysUpToItsLastWholeChunk) {
    const Replay& replay = (*replays_)[kCut];
    SCOPED_TRACE("cut at " + std::to_string(replay.cutAt));
    EXPECT_EQ(replay.log.exitCode, 0);
    EXPECT_TRUE(replay.log.done);
    for (size_t i = 0; i < std::min(replay.reads.size(), replay.heldReads.size()); ++i) {
        EXPECT_EQ(replay.reads[i], replay.heldReads[i]) << "frame transfer " << i;
    }
}

}  // namespace
