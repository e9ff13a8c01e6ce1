// Session recording and replay through the exports, full-size 24-bit frames
// into a callback buffer. Each row runs in a process of its own (the
// library chooses its driver once per process); the program starts itself
// for each.
//
//   session_bench                 the whole table (about 45 seconds)
//
// Rows, the simulated camera at the sensor's own pace (23.6 frames a second):
//   stream            no recording, default processing (5 s)
//   record            recording the session uncompressed: a 10-second session
//   record zstd       the same with frames compressed
//   stream, every     every processing step on (white balance, hue and
//                     saturation, gamma, contrast, sharpness), no recording (5 s)
//   record, every     the same, recording uncompressed (5 s)
//   replay fast       the 10-second session replayed with pace=fast, end=loop (5 s)
//   recorder alone    the recorder without a camera, given a full 8-bit
//                     frame transfer at the sensor's pace (5 s); its CPU
//                     column counts the recorder's calls only. This is what
//                     recording adds to the transfer thread, measured apart
//                     because on a shared machine the whole process's CPU
//                     time per frame varies by more than recording costs.
// Columns:
//   cpu ms/frame  CPU time of the whole process per frame given to the caller
//   % core        that CPU time over the wall time
//   fps           frames given to the caller per second
//   file          the session file's size, and what it holds beyond the
//                 frame bytes the camera sent (headers of every chunk and
//                 every request), in per cent of those bytes
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "TavrinEx.h"
#include "TavrinPosix.h"
#include "TavrinSdk.h"
#include "TavrinSim.h"
#include "bench_run.h"
#include "platform/environment.h"
#include "platform/driver.h"
#include "platform/read_file.h"
#include "platform/time.h"
#include "session/driver_requests.h"
#include "session/session_reader.h"
#include "session/session_recorder.h"

namespace {

constexpr int kWidth = 656;
constexpr int kHeight = 494;
constexpr int kStride = (kWidth * 3 + 3) & ~3;

using tavrin::bench::ProcessCpuSeconds;

struct Result {
    double cpuMsPerFrame = 0;
    double percentOfCore = 0;
    double fps = 0;
    bool ok = false;
};

bool NextFrame(TavrinMsg& msg) {
    while (TavrinPosix_GetMessage(nullptr, &msg, 10000)) {
        if (msg.message == WM_SDK_FRAME) {
            return msg.wParam != 0;
        }
    }
    return false;
}

// Automatic white balance, hue and saturation, gamma, contrast, sharpness
// and brightness, by their Tavrin_SetFilterValue numbers.
constexpr int kEveryStepFilters[][2] = {{1, 20}, {2, 40}, {3, 30}, {4, 40}, {5, 10}, {10, 1}, {11, 130}};

// Streams for `seconds` after a warm-up, recording into `path` when given.
Result Stream(double seconds, const char* path, int flags, bool everyStep) {
    Result result;
    HWND window = TavrinPosix_CreateMessageWindow();
    const int handle = Tavrin_Initialize(nullptr);
    Tavrin_SetPreviewWindow(handle, nullptr, 0, 0, 0, 0);
    Tavrin_SetWaitTime(handle, 1);
    Tavrin_SetColorMode(handle, 24);
    for (const auto& filter : kEveryStepFilters) {
        if (everyStep) {
            Tavrin_SetFilterValue(handle, filter[0], filter[1]);
        }
    }
    std::vector<BYTE> buffer(static_cast<size_t>(kStride) * kHeight);
    if (path != nullptr && TavrinEx_StartSessionRecordingEx(handle, path, flags) != 1) {
        return result;
    }
    if (Tavrin_CallBackPreview(handle, window, buffer.data(), static_cast<int>(buffer.size()), 0) != 1) {
        return result;
    }
    TavrinMsg msg{};
    bool ok = true;
    for (int i = 0; ok && i < 10; ++i) {
        ok = NextFrame(msg);
    }
    const double cpuStart = ProcessCpuSeconds();
    const auto wallStart = std::chrono::steady_clock::now();
    uint64_t frames = 0;
    double wall = 0;
    while (ok && wall < seconds && (ok = NextFrame(msg))) {
        ++frames;
        wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    }
    const double cpu = ProcessCpuSeconds() - cpuStart;
    Tavrin_StopPreview(handle);
    if (path != nullptr) {
        TavrinEx_StopSessionRecording(handle);
    }
    Tavrin_Release(handle);
    result.ok = ok && frames > 0;
    result.cpuMsPerFrame = cpu * 1000.0 / static_cast<double>(frames);
    result.percentOfCore = 100.0 * cpu / wall;
    result.fps = static_cast<double>(frames) / wall;
    return result;
}

// The recorder's own work for each frame transfer, as the driver port hands
// it over: the frame is new in the buffer each time (the camera wrote it),
// and the next comes after the sensor's frame time, as cold as in a stream.
Result RecorderAlone(double seconds, const char* path) {
    constexpr uint32_t kFrameMs = 42;
    Result result;
    tavrin::session::HeaderRecord header;
    header.devicePath = "\\\\.\\SessionBench-0";
    header.slot = 0;
    std::string error;
    const auto recorder = tavrin::session::SessionRecorder::Start(path, header, {}, nullptr, error);
    if (!recorder) {
        return result;
    }
    std::vector<uint8_t> frame(static_cast<size_t>(kWidth) * kHeight);
    const uint8_t pipe[4] = {tavrin::session::kPipeFrame, 0, 0, 0};
    tavrin::platform::DriverRequest request;
    request.handle = 1;
    request.code = tavrin::session::kIoctlPipeInDirectLarge;
    request.input = pipe;
    request.inputLength = sizeof pipe;
    request.output = frame.data();
    request.outputLength = request.bytesReturned = static_cast<uint32_t>(frame.size());
    request.result = 1;
    const auto wallStart = std::chrono::steady_clock::now();
    double cpu = 0;
    uint64_t frames = 0;
    double wall = 0;
    for (; wall < seconds && recorder->Running(); ++frames) {
        std::memset(frame.data(), static_cast<int>(frames * 37), frame.size());
        request.startNs = tavrin::platform::MonotonicNanoseconds();
        request.endNs = request.startNs + 1000;
        const double before = ProcessCpuSeconds();
        recorder->Requested(request);
        cpu += ProcessCpuSeconds() - before;
        tavrin::platform::Sleep(kFrameMs);
        wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    }
    result.ok = recorder->Stop(tavrin::session::EndReason::kStopped) && frames > 0;
    result.cpuMsPerFrame = cpu * 1000.0 / static_cast<double>(frames);
    result.percentOfCore = 100.0 * cpu / wall;
    result.fps = static_cast<double>(frames) / wall;
    return result;
}

// The file's size and the frame bytes it holds.
struct FileSize {
    uint64_t bytes = 0;
    uint64_t frameBytes = 0;
};

FileSize SizeOf(const std::string& path) {
    FileSize size;
    const auto file = tavrin::platform::OpenReadOnlyFile(path.c_str());
    if (!file) {
        return size;
    }
    size.bytes = file->Size();
    tavrin::session::SessionReader reader(*file);
    tavrin::session::Chunk chunk;
    if (reader.Begin() != tavrin::session::ReadStatus::kOk) {
        return size;
    }
    while (reader.Next(chunk)) {
        if (chunk.type == static_cast<uint16_t>(tavrin::session::ChunkType::kFrame)) {
            if (const auto frame = tavrin::session::DecodeFrame(chunk.payload, chunk.payloadOffset)) {
                size.frameBytes += frame->dataLength;
            }
        }
    }
    return size;
}

// Runs one row in a child process with its own TAVRIN_SIM and prints it.
void Row(const char* self, const char* name, const std::string& sim, const std::string& arguments,
         const std::string& file) {
    const std::string command = "TAVRIN_SIM='" + sim + "' " + self + " --child " + arguments;
    std::FILE* child = popen(command.c_str(), "r");
    Result result;
    if (child != nullptr) {
        int ok = 0;
        if (std::fscanf(child, "%d %lf %lf %lf", &ok, &result.cpuMsPerFrame, &result.percentOfCore, &result.fps) == 4) {
            result.ok = ok != 0;
        }
        pclose(child);
    }
    if (!result.ok) {
        std::printf("%-16s  failed\n", name);
        return;
    }
    std::printf("%-16s %13.3f %8.1f %8.1f", name, result.cpuMsPerFrame, result.percentOfCore, result.fps);
    if (!file.empty()) {
        const FileSize size = SizeOf(file);
        std::printf(" %9.1f MB  %+.3f%%", static_cast<double>(size.bytes) / 1e6,
                    100.0 * (static_cast<double>(size.bytes) - static_cast<double>(size.frameBytes)) /
                        static_cast<double>(size.frameBytes));
    }
    std::printf("\n");
    std::fflush(stdout);
}

int Child(int argc, char** argv) {
    double seconds = 3;
    const char* path = nullptr;
    int flags = 0;
    bool everyStep = false;
    bool recorderAlone = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strncmp(argv[i], "--seconds=", 10) == 0) {
            seconds = std::atof(argv[i] + 10);
        } else if (std::strncmp(argv[i], "--record=", 9) == 0) {
            path = argv[i] + 9;
        } else if (std::strcmp(argv[i], "--zstd") == 0) {
            flags = TAVRIN_SESSION_COMPRESS_FRAMES;
        } else if (std::strcmp(argv[i], "--every") == 0) {
            everyStep = true;
        } else if (std::strcmp(argv[i], "--recorder-alone") == 0) {
            recorderAlone = true;
        }
    }
    const Result result = recorderAlone && path != nullptr ? RecorderAlone(seconds, path)
                                                           : Stream(seconds, path, flags, everyStep);
    std::printf("%d %f %f %f\n", result.ok ? 1 : 0, result.cpuMsPerFrame, result.percentOfCore, result.fps);
    return result.ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string tag = std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    const std::filesystem::path scratch = std::filesystem::temp_directory_path();
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0) {
        const tavrin::bench::OwnSettings settings("session_bench");
        return Child(argc, argv);
    }
    const std::string plain = (scratch / ("session_bench_" + tag + ".tvs")).string();
    const std::string packed = (scratch / ("session_bench_" + tag + "_zstd.tvs")).string();
    const std::string every = (scratch / ("session_bench_" + tag + "_every.tvs")).string();
    std::printf("%-16s %13s %8s %8s %12s\n", "24-bit 656x494", "cpu ms/frame", "% core", "fps", "file");
    Row(argv[0], "stream", "0", "--seconds=5", "");
    Row(argv[0], "record", "0", "--seconds=10 --record=" + plain, plain);
    Row(argv[0], "record zstd", "0", "--seconds=10 --record=" + packed + " --zstd", packed);
    Row(argv[0], "stream, every", "0", "--seconds=5 --every", "");
    Row(argv[0], "record, every", "0", "--seconds=5 --every --record=" + every, every);
    Row(argv[0], "replay fast", "0;replay=" + plain + ";pace=fast;end=loop", "--seconds=5", "");
    const std::string alone = (scratch / ("session_bench_" + tag + "_alone.tvs")).string();
    Row(argv[0], "recorder alone", "0", "--seconds=5 --recorder-alone --record=" + alone, alone);
    std::filesystem::remove(alone);
    std::filesystem::remove(every);
    std::filesystem::remove(plain);
    std::filesystem::remove(packed);
    return 0;
}
