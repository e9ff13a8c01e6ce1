// Acquisition through the exports against simulated cameras at the sensor's
// own pace (23.6 frames a second each), 24-bit colour, top line first into
// the caller's buffers (as numpy and OpenCV take images). One run prints a
// table: 1, 8 and 32 cameras streaming into callback buffers, once with the
// default settings and once with every processing step on; one camera in
// trigger mode (a software trigger pulse every 60 ms, each frame into the
// caller's buffer); one camera recording an AVI file; and one camera through
// the consumers built on the library, each measured by its own benchmark
// program: Python's grab() (bench/python_grab_bench.py) and
// tavrinsrc ! fakesink (gst_source_bench, where GStreamer was found).
//
//   acquisition_bench                  the whole table
//   acquisition_bench --seconds=N      measure each row for N seconds (3)
//   acquisition_bench --cameras=N --settings=default|every
//                     --consumer=stream|trigger|recording|python|tavrinsrc
//                                      some rows of it (for a profiler)
//
// Columns:
//   process ms/frame   CPU time of the whole process (every thread, the
//                      simulated cameras' included) per frame received
//   sim fill ms/frame  of that, what the simulated cameras spent making
//                      frames and copying them into the library's buffers
//                      (a real camera and its driver's work)
//   library ms/frame   the rest: the library's own and the caller's
//   % core library     that CPU time over the wall time, in per cent of one
//                      core
//   fps                frames that reached the caller per second, all cameras
//   dropped            frames the cameras sent that the caller never saw (the
//                      library always takes the newest frame), counted per
//                      camera between its first and last frame message of the
//                      row (the recording: frames sent against frames written)
//   allocs/frame       operator new calls on the library's threads per frame,
//                      after the warm-up
//   latency ms         trigger row: from the pulse to the frame record, the
//                      median; the sensor's readout of a full frame (42 ms)
//                      is part of it
//
// The library is a shared object; this program's operator new replaces the
// process's, so the library's allocations are counted too. The simulator
// and the library's threads are the only threads besides the main one.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "TavrinEx.h"
#include "TavrinPosix.h"
#include "TavrinSdk.h"
#include "TavrinSim.h"
#include "bench_run.h"
#include "platform/environment.h"

namespace {

// ---- allocation counting ----
std::atomic<uint64_t> g_libraryAllocations{0};
std::atomic<bool> g_counting{false};
thread_local bool t_mainThread = false;

// A place for a debugger's breakpoint: every allocation that counts.
[[gnu::noinline]] void CountedAllocation() { asm volatile(""); }

void CountAllocation() {
    if (g_counting.load(std::memory_order_relaxed) && !t_mainThread) {
        g_libraryAllocations.fetch_add(1, std::memory_order_relaxed);
        CountedAllocation();
    }
}

}  // namespace

void* operator new(std::size_t size) {
    CountAllocation();
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    CountAllocation();
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr int kWidth = 656;
constexpr int kHeight = 494;
constexpr int kBits = 24;
constexpr int kMaxCameras = 32;

using tavrin::bench::ProcessCpuSeconds;

int BufferBytes(int bits) { return ((kWidth * bits / 8 + 3) & ~3) * kHeight; }

// A filter setting by its Tavrin_SetFilterValue number.
struct Filter {
    int id;
    int value;
};
// Neutral processing, as a fresh settings store has it.
constexpr Filter kDefaultFilters[] = {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {10, 0}, {11, 100}};
// Automatic white balance, hue and saturation, gamma, contrast, sharpness
// and brightness all at work.
constexpr Filter kEveryStepFilters[] = {{1, 20}, {2, 40}, {3, 30}, {4, 40}, {5, 10}, {10, 1}, {11, 130}};

struct Settings {
    const char* name;
    const Filter* filters;
    size_t count;
};
constexpr Settings kSettings[] = {{"default", kDefaultFilters, std::size(kDefaultFilters)},
                                  {"every step on", kEveryStepFilters, std::size(kEveryStepFilters)}};

// How the caller takes frames in a row: streaming into a callback buffer,
// one frame per software trigger pulse into the buffer, or an AVI recording
// of the stream (no buffer, no messages).
enum class Consumer { Stream, Trigger, Recording };
// The consumers built on the library run as programs of their own (their
// benchmarks' --fields mode): Python's grab() and tavrinsrc ! fakesink.
enum class Program { None, Python, Element };

// One camera handle with a buffer of its own.
struct Camera {
    int handle = 0;
    std::vector<BYTE> buffer;
    std::string recordingFile;

    bool Start(int slot, const Settings& settings, Consumer consumer, HWND window) {
        handle = Tavrin_Initialize(nullptr);
        if (handle == 0 || Tavrin_SetDeviceNumber(handle, slot) != 1) {
            return false;
        }
        Tavrin_SetPreviewWindow(handle, nullptr, 0, 0, 0, 0);
        Tavrin_SetWaitTime(handle, 1);
        Tavrin_SetColorMode(handle, kBits);
        for (size_t i = 0; i < settings.count; ++i) {
            Tavrin_SetFilterValue(handle, settings.filters[i].id, settings.filters[i].value);
        }
        buffer.assign(static_cast<size_t>(BufferBytes(kBits)), 0);
        const int size = static_cast<int>(buffer.size());
        switch (consumer) {
        case Consumer::Stream:
            return Tavrin_CallBackPreview(handle, window, buffer.data(), size, 1) == 1;
        case Consumer::Trigger:
            return Tavrin_Trigger(handle, window, buffer.data(), size, 1) == 1;
        case Consumer::Recording:
            recordingFile = (std::filesystem::temp_directory_path() /
                             ("acquisition_bench_" + std::to_string(slot) + "_" +
                              std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".avi"))
                                .string();
            return Tavrin_Record(handle, recordingFile.c_str(), 3600 * 1000, 0) == 1;
        }
        return false;
    }
    int RecordedFrames() const {
        int writing = 0;
        int frames = 0;
        TavrinEx_GetRecordingState(handle, &writing, &frames);
        return frames;
    }
    void Close() {
        if (handle != 0) {
            Tavrin_StopPreview(handle);
            Tavrin_Release(handle);
        }
        if (!recordingFile.empty()) {
            std::error_code ignored;
            std::filesystem::remove(recordingFile, ignored);
        }
    }
};

// Waits for the next frame record on the calling thread's queue.
bool NextFrame(TavrinMsg& msg, uint32_t timeoutMs = 10000) {
    while (TavrinPosix_GetMessage(nullptr, &msg, timeoutMs)) {
        if (msg.message == WM_SDK_FRAME && msg.wParam != 0) {
            return true;
        }
        if (msg.message == WM_SDK_FRAME) {
            return false;  // 5, 8 or 13: a stream failed
        }
    }
    return false;
}

void DrainQueue() {
    TavrinMsg msg{};
    while (TavrinPosix_PeekMessage(nullptr, &msg)) {
    }
}

// Frames a camera sent and the caller saw, both counted between two frame
// messages of that camera, so a frame still in the library at either end
// never looks dropped (or one too many).
struct CameraCount {
    int sentAtFirst = -1;
    int sentAtLast = 0;
    int receivedAfterFirst = 0;

    void Seen(int slot) {
        const int sent = TavrinSim_GetFrameCount(slot);
        if (sentAtFirst < 0) {
            sentAtFirst = sent;
        } else {
            ++receivedAfterFirst;
        }
        sentAtLast = sent;
    }
    int Dropped() const { return sentAtFirst < 0 ? 0 : sentAtLast - sentAtFirst - receivedAfterFirst; }
};

// The camera (= slot) a frame record belongs to: its caller buffer.
int SlotOf(const TavrinMsg& msg, const std::vector<Camera>& cameras) {
    const BYTE* buffer = reinterpret_cast<const TavrinFrameInfo*>(msg.wParam)->buffer;
    for (size_t i = 0; i < cameras.size(); ++i) {
        if (cameras[i].buffer.data() == buffer) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// The simulated cameras' own work so far: making frames and copying them
// into the library's buffers, which a real camera and its driver do.
double SimulatorFillSeconds(int cameras) {
    unsigned long long total = 0;
    for (int slot = 0; slot < cameras; ++slot) {
        unsigned long long fill = 0;
        if (TavrinSim_GetFillTime(slot, &fill) == 1) {
            total += fill;
        }
    }
    return static_cast<double>(total) / 1e9;
}

struct Row {
    double processMsPerFrame = 0;
    double fillMsPerFrame = 0;
    double libraryMsPerFrame = 0;
    double libraryPercentOfCore = 0;
    double fps = 0;
    int dropped = 0;
    double droppedPercent = 0;
    double allocsPerFrame = 0;
    double latencyMs = -1;  // trigger rows: pulse to frame record, the median
    bool ok = false;
};

// What one measurement loop counted.
struct Counted {
    uint64_t frames = 0;
    int dropped = 0;
    std::vector<double> latenciesMs;
    bool ok = true;
};

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

Counted CountStream(std::vector<Camera>& cameras, double seconds) {
    Counted counted;
    std::vector<CameraCount> counts(cameras.size());
    TavrinMsg msg{};
    const auto start = std::chrono::steady_clock::now();
    while (Seconds(start) < seconds && (counted.ok = NextFrame(msg))) {
        ++counted.frames;
        if (const int slot = SlotOf(msg, cameras); slot >= 0) {
            counts[static_cast<size_t>(slot)].Seen(slot);
        }
    }
    for (const CameraCount& count : counts) {
        counted.dropped += count.Dropped();
    }
    return counted;
}

// One pulse every 60 ms (a frame's readout takes 42), each waited for.
Counted CountTriggered(std::vector<Camera>& cameras, double seconds) {
    Counted counted;
    TavrinMsg msg{};
    const auto start = std::chrono::steady_clock::now();
    for (int pulse = 0; Seconds(start) < seconds; ++pulse) {
        std::this_thread::sleep_until(start + std::chrono::milliseconds(60 * pulse));
        const int sentBefore = TavrinSim_GetFrameCount(0);
        const auto pulsed = std::chrono::steady_clock::now();
        if (TavrinEx_SoftwareTrigger(cameras[0].handle) != 1 || !(counted.ok = NextFrame(msg, 3000))) {
            counted.ok = false;
            break;
        }
        counted.latenciesMs.push_back(Seconds(pulsed) * 1000.0);
        ++counted.frames;
        counted.dropped += TavrinSim_GetFrameCount(0) - sentBefore - 1;
    }
    return counted;
}

Counted CountRecorded(std::vector<Camera>& cameras, double seconds) {
    Counted counted;
    const int recordedBefore = cameras[0].RecordedFrames();
    const int sentBefore = TavrinSim_GetFrameCount(0);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    counted.frames = static_cast<uint64_t>(cameras[0].RecordedFrames() - recordedBefore);
    counted.dropped = TavrinSim_GetFrameCount(0) - sentBefore - static_cast<int>(counted.frames);
    counted.ok = counted.frames > 0;
    return counted;
}

// Waits until every camera has sent a few frames and the library has taken
// them (warm-up: buffers, caches, tables).
bool WarmUp(Consumer consumer, std::vector<Camera>& cameras) {
    TavrinMsg msg{};
    for (int i = 0; i < 4; ++i) {
        switch (consumer) {
        case Consumer::Stream:
            for (size_t c = 0; c < cameras.size(); ++c) {
                if (!NextFrame(msg)) {
                    return false;
                }
            }
            break;
        case Consumer::Trigger:
            if (TavrinEx_SoftwareTrigger(cameras[0].handle) != 1 || !NextFrame(msg, 3000)) {
                return false;
            }
            break;
        case Consumer::Recording:
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            break;
        }
    }
    DrainQueue();  // frames announced before the measurement starts
    return true;
}

// The command of a consumer's own benchmark, empty when it was not built.
std::string ConsumerCommand(Program program, double seconds) {
    const std::string time = std::to_string(static_cast<int>(seconds + 0.5));
    if (program == Program::Python) {
        return "/usr/bin/python3 " TAVRIN_BENCH_SOURCE_DIR "/bench/python_grab_bench.py --fields --seconds " + time;
    }
    const std::filesystem::path element =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "gst_source_bench";
    if (!std::filesystem::exists(element)) {
        return {};
    }
    return element.string() + " --fields --row=2 --rounds=1 --seconds=" + time;
}

// A consumer's row, measured by its own benchmark program, which streams
// camera 0 of its own simulator.
Row MeasureProgram(Program program, double seconds) {
    Row row;
    const std::string command = ConsumerCommand(program, seconds);
    FILE* output = command.empty() ? nullptr : popen((command + " 2>/dev/null").c_str(), "r");
    if (output == nullptr) {
        return row;
    }
    char line[256] = {};
    double dropped = 0;
    const bool read = std::fgets(line, sizeof line, output) != nullptr &&
                      std::sscanf(line, "%lf %lf %lf %lf %lf", &row.processMsPerFrame, &row.fillMsPerFrame, &row.fps,
                                  &dropped, &row.allocsPerFrame) == 5;
    row.ok = pclose(output) == 0 && read;
    row.libraryMsPerFrame = row.processMsPerFrame - row.fillMsPerFrame;
    row.libraryPercentOfCore = row.libraryMsPerFrame * row.fps / 10.0;
    row.dropped = static_cast<int>(dropped);
    return row;
}

// Runs `cameras` cameras with `settings` for `seconds` after a warm-up.
Row Measure(Consumer consumer, int cameraCount, const Settings& settings, double seconds) {
    Row row;
    HWND window = TavrinPosix_CreateMessageWindow();
    std::vector<Camera> cameras(static_cast<size_t>(cameraCount));
    bool started = true;
    for (int slot = 0; slot < cameraCount && started; ++slot) {
        started = cameras[static_cast<size_t>(slot)].Start(slot, settings, consumer, window);
    }
    if (started && WarmUp(consumer, cameras)) {
        g_libraryAllocations.store(0);
        g_counting.store(true);
        const double cpuStart = ProcessCpuSeconds();
        const double fillStart = SimulatorFillSeconds(cameraCount);
        const auto wallStart = std::chrono::steady_clock::now();
        Counted counted = consumer == Consumer::Stream    ? CountStream(cameras, seconds)
                          : consumer == Consumer::Trigger ? CountTriggered(cameras, seconds)
                                                          : CountRecorded(cameras, seconds);
        const double wall = Seconds(wallStart);
        const double cpu = ProcessCpuSeconds() - cpuStart;
        const double fill = SimulatorFillSeconds(cameraCount) - fillStart;
        g_counting.store(false);
        const double frames = static_cast<double>(counted.frames);
        row.ok = counted.ok && counted.frames > 0;
        row.processMsPerFrame = cpu * 1000.0 / frames;
        row.fillMsPerFrame = fill * 1000.0 / frames;
        row.libraryMsPerFrame = row.processMsPerFrame - row.fillMsPerFrame;
        row.libraryPercentOfCore = 100.0 * (cpu - fill) / wall;
        row.fps = frames / wall;
        row.dropped = counted.dropped;
        row.droppedPercent = 100.0 * row.dropped / (frames + row.dropped);
        row.allocsPerFrame = static_cast<double>(g_libraryAllocations.load()) / frames;
        if (!counted.latenciesMs.empty()) {
            std::sort(counted.latenciesMs.begin(), counted.latenciesMs.end());
            row.latencyMs = counted.latenciesMs[counted.latenciesMs.size() / 2];
        }
    }
    for (Camera& camera : cameras) {
        camera.Close();
    }
    DrainQueue();
    TavrinPosix_DestroyWindow(window);
    return row;
}

// Which rows to run: 0 cameras or a null settings or consumer name mean all.
struct Selection {
    double seconds = 3.0;
    int cameras = 0;
    const char* settings = nullptr;
    const char* consumer = nullptr;
};

struct RowKind {
    const char* consumer;
    Consumer kind;
    const Settings& settings;
    int cameras;
    Program program = Program::None;
};

bool Selected(const Selection& only, const RowKind& row) {
    auto starts = [](const char* text, const char* prefix) {
        return prefix == nullptr || std::strncmp(text, prefix, std::strlen(prefix)) == 0;
    };
    return starts(row.consumer, only.consumer) && starts(row.settings.name, only.settings) &&
           (only.cameras == 0 || only.cameras == row.cameras);
}

void PrintTable(const Selection& only) {
    std::printf("CPU: %s\n", tavrin::bench::CpuModel().c_str());
    std::printf("%-10s %-14s %7s %9s %9s %9s %7s %7s %14s %7s %9s\n", "24-bit", "settings", "cameras", "process",
                "sim fill", "library", "% core", "fps", "dropped", "allocs", "latency");
    std::printf("%-10s %-14s %7s %9s %9s %9s %7s %7s %14s %7s %9s\n", "", "", "", "ms/frame", "ms/frame", "ms/frame",
                "library", "", "", "/frame", "ms");
    std::vector<RowKind> rows;
    for (const Settings& settings : kSettings) {
        for (int cameras : {1, 8, kMaxCameras}) {
            rows.push_back({"stream", Consumer::Stream, settings, cameras});
        }
    }
    rows.push_back({"trigger", Consumer::Trigger, kSettings[0], 1});
    rows.push_back({"recording", Consumer::Recording, kSettings[0], 1});
    rows.push_back({"python", Consumer::Stream, kSettings[0], 1, Program::Python});
    rows.push_back({"tavrinsrc", Consumer::Stream, kSettings[0], 1, Program::Element});
    for (const RowKind& kind : rows) {
        if (!Selected(only, kind)) {
            continue;
        }
        const bool program = kind.program != Program::None;
        const Row row = program ? MeasureProgram(kind.program, only.seconds)
                                : Measure(kind.kind, kind.cameras, kind.settings, only.seconds);
        if (!row.ok) {
            std::printf("%-10s %-14s %7d  %s\n", kind.consumer, kind.settings.name, kind.cameras,
                        program ? "its benchmark did not run" : "the stream failed");
            continue;
        }
        char latency[16] = "-";
        if (row.latencyMs >= 0) {
            std::snprintf(latency, sizeof latency, "%.1f", row.latencyMs);
        }
        char dropped[24] = "-";
        if (row.dropped >= 0) {
            std::snprintf(dropped, sizeof dropped, "%d (%4.1f%%)", row.dropped, row.droppedPercent);
        }
        char allocs[16] = "-";
        if (row.allocsPerFrame >= 0) {
            std::snprintf(allocs, sizeof allocs, "%.2f", row.allocsPerFrame);
        }
        std::printf("%-10s %-14s %7d %9.3f %9.3f %9.3f %7.1f %7.1f %14s %7s %9s\n", kind.consumer, kind.settings.name,
                    kind.cameras, row.processMsPerFrame, row.fillMsPerFrame, row.libraryMsPerFrame,
                    row.libraryPercentOfCore, row.fps, dropped, allocs, latency);
        std::fflush(stdout);
    }
}

}  // namespace

int main(int argc, char** argv) {
    using tavrin::platform::SetEnvironment;
    t_mainThread = true;
    Selection only;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--seconds=", 10) == 0) {
            only.seconds = std::atof(argv[i] + 10);
        } else if (std::strncmp(argv[i], "--cameras=", 10) == 0) {
            only.cameras = std::atoi(argv[i] + 10);
        } else if (std::strncmp(argv[i], "--settings=", 11) == 0) {
            only.settings = argv[i] + 11;
        } else if (std::strncmp(argv[i], "--consumer=", 11) == 0) {
            only.consumer = argv[i] + 11;
        } else {
            std::fprintf(stderr,
                         "usage: %s [--seconds=N] [--cameras=1|8|32] [--settings=default|every]"
                         " [--consumer=stream|trigger|recording|python|tavrinsrc]\n",
                         argv[0]);
            return 2;
        }
    }
    // A settings store and shared block of this run's own; the simulated
    // cameras, at the sensor's pace, chosen before the library first needs
    // its driver.
    const tavrin::bench::OwnSettings settings("acquisition_bench");
    std::string slots;
    for (int slot = 0; slot < kMaxCameras; ++slot) {
        slots.append(slot != 0 ? "," : "").append(std::to_string(slot));
    }
    SetEnvironment("TAVRIN_SIM", slots.c_str());
    PrintTable(only);
    return 0;
}
