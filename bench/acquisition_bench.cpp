// Acquisition through the exports against simulated cameras at the sensor's
// own pace (23.6 frames a second each). One run prints a table: 1, 8 and 32
// cameras streaming 24-bit colour into callback buffers, once with the
// default settings and once with every processing step on.
//
//   acquisition_bench                  the whole table
//   acquisition_bench --seconds=N      measure each row for N seconds (3)
//   acquisition_bench --cameras=N --settings=default|every
//                                      one row of it (for a profiler)
//
// Columns:
//   cpu ms/frame   CPU time of the whole process (every thread, the
//                  simulated cameras' included) per frame received
//   % core         that CPU time over the wall time, in per cent of one core
//   fps            frames that reached the caller per second, all cameras
//   dropped        frames the cameras sent that the caller never saw (the
//                  loop always takes the newest frame), counted per camera
//                  between its first and last frame message of the row
//   allocs/frame   operator new calls on the library's threads per frame,
//                  after the warm-up
//
// The library is a shared object; this program's operator new replaces the
// process's, so the library's allocations are counted too. The simulator
// and the library's threads are the only threads besides the main one.
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
#include <vector>

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

// One camera handle streaming into a buffer of its own.
struct Stream {
    int handle = 0;
    std::vector<BYTE> buffer;

    bool Start(int slot, const Settings& settings, HWND window) {
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
        return Tavrin_CallBackPreview(handle, window, buffer.data(), static_cast<int>(buffer.size()), 0) == 1;
    }
    void Close() {
        if (handle != 0) {
            Tavrin_StopPreview(handle);
            Tavrin_Release(handle);
        }
    }
};

// Waits for the next frame record on the calling thread's queue.
bool NextFrame(TavrinMsg& msg) {
    while (TavrinPosix_GetMessage(nullptr, &msg, 10000)) {
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

// The stream (= camera slot) a frame record belongs to: its caller buffer.
int SlotOf(const TavrinMsg& msg, const std::vector<Stream>& streams) {
    const BYTE* buffer = reinterpret_cast<const TavrinFrameInfo*>(msg.wParam)->buffer;
    for (size_t i = 0; i < streams.size(); ++i) {
        if (streams[i].buffer.data() == buffer) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

struct Row {
    double cpuMsPerFrame = 0;
    double percentOfCore = 0;
    double fps = 0;
    int dropped = 0;
    double droppedPercent = 0;
    double allocsPerFrame = 0;
    bool ok = false;
};

// Streams `cameras` cameras with `settings` for `seconds` after a warm-up.
Row Measure(int cameras, const Settings& settings, double seconds) {
    Row row;
    HWND window = TavrinPosix_CreateMessageWindow();
    std::vector<Stream> streams(static_cast<size_t>(cameras));
    bool started = true;
    for (int slot = 0; slot < cameras && started; ++slot) {
        started = streams[static_cast<size_t>(slot)].Start(slot, settings, window);
    }
    TavrinMsg msg{};
    for (int i = 0; started && i < 4 * cameras; ++i) {  // warm up: buffers, caches, tables
        started = NextFrame(msg);
    }
    if (started) {
        DrainQueue();  // frames announced before the measurement starts
        std::vector<CameraCount> counts(static_cast<size_t>(cameras));
        g_libraryAllocations.store(0);
        g_counting.store(true);
        const double cpuStart = ProcessCpuSeconds();
        const auto wallStart = std::chrono::steady_clock::now();
        uint64_t received = 0;
        double wall = 0;
        while (wall < seconds && (row.ok = NextFrame(msg))) {
            ++received;
            if (const int slot = SlotOf(msg, streams); slot >= 0) {
                counts[static_cast<size_t>(slot)].Seen(slot);
            }
            wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
        }
        const double cpu = ProcessCpuSeconds() - cpuStart;
        g_counting.store(false);
        const double frames = static_cast<double>(received);
        row.cpuMsPerFrame = cpu * 1000.0 / frames;
        row.percentOfCore = 100.0 * cpu / wall;
        row.fps = frames / wall;
        for (const CameraCount& count : counts) {
            row.dropped += count.Dropped();
        }
        row.droppedPercent = 100.0 * row.dropped / (frames + row.dropped);
        row.allocsPerFrame = static_cast<double>(g_libraryAllocations.load()) / frames;
    }
    for (Stream& stream : streams) {
        stream.Close();
    }
    DrainQueue();
    TavrinPosix_DestroyWindow(window);
    return row;
}

// Which rows to run: 0 cameras or a null settings name mean all.
struct Selection {
    double seconds = 3.0;
    int cameras = 0;
    const char* settings = nullptr;
};

void PrintTable(const Selection& only) {
    std::printf("%-14s %7s %13s %8s %8s %14s %13s\n", "24-bit", "cameras", "cpu ms/frame", "% core", "fps",
                "dropped", "allocs/frame");
    for (const Settings& settings : kSettings) {
        if (only.settings != nullptr && std::strncmp(settings.name, only.settings, std::strlen(only.settings)) != 0) {
            continue;
        }
        for (int cameras : {1, 8, kMaxCameras}) {
            if (only.cameras != 0 && only.cameras != cameras) {
                continue;
            }
            const Row row = Measure(cameras, settings, only.seconds);
            if (!row.ok) {
                std::printf("%-14s %7d  the stream failed\n", settings.name, cameras);
                continue;
            }
            std::printf("%-14s %7d %13.3f %8.1f %8.1f %7d (%4.1f%%) %13.2f\n", settings.name, cameras,
                        row.cpuMsPerFrame, row.percentOfCore, row.fps, row.dropped, row.droppedPercent,
                        row.allocsPerFrame);
            std::fflush(stdout);
        }
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
        } else {
            std::fprintf(stderr, "usage: %s [--seconds=N] [--cameras=1|8|32] [--settings=default|every]\n", argv[0]);
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
