// A program that uses the camera the same way whether the camera is the
// simulated one (and the session is recorded) or a recorded session played
// back (and the camera does what the recording says): stream with a
// callback, change the gain, go on after a failed frame, go on after the
// camera went away and came back. It prints one line per thing it saw, so
// that two runs can be compared line by line.
//
//   session_peer record SESSION LOG [GAIN [compress]]
//       records (frames compressed when asked), and makes the camera
//       misbehave at fixed frames
//   session_peer replay SESSION LOG [GAIN]
//       only watches (TAVRIN_SIM replays); records too
//
// The caller sets TAVRIN_SIM, TAVRIN_SHARED_MEMORY_NAME and TAVRIN_REGISTRY.
// Both record their session into SESSION (the replay starts over where its
// recording starts, as the recorded session began there) and write to LOG
// the lines "frame RUN NUMBER HASH", "error RUN CODE", "start RUN OK",
// "report TEXT" (a strict replay's), "done".
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "TavrinEx.h"
#include "TavrinSdk.h"
#include "TavrinSim.h"
#include "platform/time.h"
#include "support/notify_window.h"

namespace {

constexpr int kSensorWidth = 656;
constexpr int kSensorHeight = 494;
constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr int kRuns = 3;
constexpr int kFramesPerRun = 8;
constexpr int kStartAttempts = 6;
constexpr int kStartGain = 310;

struct Peer {
    bool recording;
    int gain;
    std::FILE* log = nullptr;
    int handle = 0;
    HWND window = nullptr;
    std::vector<BYTE> buffer = std::vector<BYTE>(kWidth * kHeight * 3);
};

// FNV-1a over the caller's buffer.
uint64_t Hash(const std::vector<BYTE>& bytes) {
    uint64_t hash = 0xCBF29CE484222325ull;
    for (BYTE byte : bytes) {
        hash = (hash ^ byte) * 0x100000001B3ull;
    }
    return hash;
}

// A mosaic of its own for every frame from the second run on, so that
// frames differ from each other.
void LoadDistinctFrame(int run, int given) {
    std::vector<unsigned short> samples(kSensorWidth * kHeight);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<unsigned short>((i * static_cast<size_t>(run * 31 + given * 7)) & 0x3FF);
    }
    TavrinSim_LoadFrame(0, samples.data(), kSensorWidth, kHeight);
}

// What only the recording run does to its camera, by run and frame.
void Misbehave(const Peer& peer, int run, int given) {
    if (!peer.recording) {
        return;
    }
    if (run > 1) {
        LoadDistinctFrame(run, given);
    }
    if (run == 1 && given == 4) {
        TavrinSim_SetPattern(0, TAVRINSIM_PATTERN_COLOR_BARS, 700);
    } else if (run == 1 && given == 6) {
        TavrinSim_InjectFault(0, TAVRINSIM_FAULT_FRAME_FAILS, 1);
    } else if (run == 2 && given == 4) {
        TavrinSim_SetPresent(0, 0);
    }
}

struct Outcome {
    int given = 0;
    bool failed = false;
};

// Watches a run until kFramesPerRun frames were given or the stream failed.
Outcome WatchRun(Peer& peer, int run) {
    Outcome outcome;
    int& given = outcome.given;
    tavrin::test::PostedMessage message{};
    for (int messages = 0; messages < 10 * kFramesPerRun && given < kFramesPerRun &&
                           tavrin::test::NextMessage(peer.window, message, 10000);
         ++messages) {
        if (message.message == WM_SDK_FRAME && message.wParam != 0) {
            // The image with its record, both of one frame: taken under the
            // SDK's frame lock, and the record read around it.
            TavrinFrameMeta before{};
            TavrinFrameMeta after{};
            before.size = after.size = sizeof before;
            TavrinEx_GetFrameMeta(peer.handle, &before);
            Tavrin_GetImage(peer.handle, peer.buffer.data(), static_cast<int>(peer.buffer.size()), 1);
            TavrinEx_GetFrameMeta(peer.handle, &after);
            if (before.frameNumber == after.frameNumber) {
                std::fprintf(peer.log, "frame %d %llu %016llx %llu\n", run,
                             static_cast<unsigned long long>(after.frameNumber),
                             static_cast<unsigned long long>(Hash(peer.buffer)),
                             static_cast<unsigned long long>(after.droppedFrames));
            }
            ++given;
            if (run == 1 && given == 2) {
                Tavrin_SetGlobalGain(peer.handle, peer.gain);
            }
            Misbehave(peer, run, given);
        } else if (message.message == WM_SDK_ERROR) {
            std::fprintf(peer.log, "error %d %d\n", run, static_cast<int>(message.lParam));
            if (message.lParam == SDKERR_TRANSFER) {
                outcome.failed = true;
                break;
            }
        }
    }
    return outcome;
}

// Runs until a run ends without failing. A run that fails before its first
// frame (the camera is away) is tried again; the recording run plugs the
// camera back in first.
void RunAll(Peer& peer) {
    int run = 1;
    for (int attempt = 0; attempt < kStartAttempts && run <= kRuns; ++attempt) {
        const int started = Tavrin_CallBackPreview(peer.handle, peer.window, nullptr, 0, 1);
        std::fprintf(peer.log, "start %d %d\n", run, started);
        if (started == 0) {
            std::fprintf(peer.log, "refused %d", run);
            for (int code = Tavrin_GetLastError(peer.handle); code != 0; code = Tavrin_GetLastError(peer.handle)) {
                std::fprintf(peer.log, " %d", code);
            }
            std::fprintf(peer.log, "\n");
        }
        const Outcome outcome = started != 0 ? WatchRun(peer, run) : Outcome{0, true};
        Tavrin_StopPreview(peer.handle);
        tavrin::test::DrainMessages();
        if (outcome.failed && outcome.given == 0) {
            if (peer.recording) {
                TavrinSim_SetPresent(0, 1);
            }
            tavrin::platform::Sleep(20);
            continue;
        }
        if (!outcome.failed) {
            break;
        }
        ++run;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: session_peer record|replay SESSION LOG [GAIN [compress]]\n");
        return 2;
    }
    // The test gives each peer its own owner table and settings store
    // (TAVRIN_SHARED_MEMORY_NAME, TAVRIN_REGISTRY): peers run side by side.
    Peer peer{std::strcmp(argv[1], "record") == 0, argc > 4 ? std::atoi(argv[4]) : 500};
    peer.log = std::fopen(argv[3], "w");
    if (peer.log == nullptr) {
        return 2;
    }
    peer.window = tavrin::test::CreateNotifyWindow();
    peer.handle = Tavrin_Initialize(peer.window);
    Tavrin_SetPreviewWindow(peer.handle, nullptr, 0, 0, 0, 0);
    Tavrin_SetCaptureWindowEx(peer.handle, kSensorWidth, 0, kWidth, kSensorHeight, 0, kHeight);
    Tavrin_SetColorMode(peer.handle, 24);
    // A slow program: it takes a frame at most every so many milliseconds.
    if (const char* wait = std::getenv("SESSION_PEER_WAIT_MS")) {
        Tavrin_SetWaitTime(peer.handle, std::atoi(wait));
    }
    // The gain this program changes starts where it always does, whatever
    // an earlier run left in a settings store it shares (the registry of a
    // Wine prefix).
    Tavrin_SetGlobalGain(peer.handle, kStartGain);
    const int flags = argc > 5 && std::strcmp(argv[5], "compress") == 0 ? TAVRIN_SESSION_COMPRESS_FRAMES : 0;
    if (TavrinEx_StartSessionRecordingEx(peer.handle, argv[2], flags) == 0) {
        std::fprintf(peer.log, "recording failed %d\n", Tavrin_GetLastError(peer.handle));
        return 1;
    }
    RunAll(peer);
    TavrinEx_StopSessionRecording(peer.handle);
    char report[2048];
    if (TavrinSim_GetReplayReport(report, sizeof report) != 0) {
        std::replace(report, report + std::strlen(report), '\n', '|');
        std::fprintf(peer.log, "report %s\n", report);
    }
    Tavrin_Release(peer.handle);
    std::fprintf(peer.log, "done\n");
    std::fclose(peer.log);
    return 0;
}
