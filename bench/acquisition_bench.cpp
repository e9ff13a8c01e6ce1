// Acquisition through the exports against the simulated camera.
//
//   acquisition_bench                one camera delivering frames at once
//                                    (TAVRIN_SIM "0;interval=0")
//   acquisition_bench --cameras=32   32 cameras at the sensor's own pace
//                                    (TAVRIN_SIM "0,1,...,31")
//   acquisition_bench --sim=0        one camera at the sensor's pace (23.6
//                                    frames a second): the CPU per frame is
//                                    then the library's, not a simulator
//                                    racing to deliver frames at once
//
// Counters per benchmark:
//   fps              frames that reached the caller per second
//   cpu_ms_per_frame CPU time of the whole process (every thread, the
//                    simulated camera's included) per frame received
//   dropped          frames the camera sent that the caller never saw, per
//                    frame received (the loop always takes the newest frame)
//   allocs_per_frame operator new calls on the library's threads per frame
//   latency_ms       trigger pulse -> WM_SDK_FRAME in the caller (trigger mode)
//
// The library is a shared object; this program's operator new replaces the
// process's, so the library's allocations are counted too. The simulator
// and the library's threads are the only threads besides the main one.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "TavrinPosix.h"
#include "TavrinSdk.h"
#include "TavrinSim.h"
#include "platform/environment.h"

namespace {

// ---- allocation counting ----
std::atomic<uint64_t> g_libraryAllocations{0};
std::atomic<bool> g_counting{false};
thread_local bool t_mainThread = false;

void CountAllocation() {
    if (g_counting.load(std::memory_order_relaxed) && !t_mainThread) {
        g_libraryAllocations.fetch_add(1, std::memory_order_relaxed);
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

// CPU time of every thread of the process.
double ProcessCpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

int BufferBytes(int bits) { return ((kWidth * bits / 8 + 3) & ~3) * kHeight; }

// One camera handle streaming into a buffer, announced to a message window.
struct Stream {
    int handle = 0;
    HWND window = nullptr;
    std::vector<BYTE> buffer;

    bool Open(int slot, int bits, int waitMs) {
        handle = Tavrin_Initialize(nullptr);
        if (handle == 0 || Tavrin_SetDeviceNumber(handle, slot) != 1) {
            return false;
        }
        Tavrin_SetPreviewWindow(handle, nullptr, 0, 0, 0, 0);
        Tavrin_SetWaitTime(handle, waitMs);
        if (bits != 0) {
            Tavrin_SetColorMode(handle, bits);
        }
        return true;
    }
    bool Start(HWND target, int bits) {
        window = target;
        buffer.assign(static_cast<size_t>(BufferBytes(bits)), 0);
        return Tavrin_CallBackPreview(handle, window, buffer.data(), static_cast<int>(buffer.size()), 0) == 1;
    }
    void Close() {
        Tavrin_StopPreview(handle);
        Tavrin_Release(handle);
    }
};

// Waits for the next frame record on the calling thread's queue.
bool NextFrame(TavrinMsg& msg) {
    while (TavrinPosix_GetMessage(nullptr, &msg, 10000)) {
        if (msg.message == WM_SDK_FRAME && msg.wParam != 0) {
            return true;
        }
        if (msg.message == WM_SDK_FRAME) {
            return false;  // 5, 8 or 13: the stream failed
        }
    }
    return false;
}

void DrainQueue() {
    TavrinMsg msg{};
    while (TavrinPosix_PeekMessage(nullptr, &msg)) {
    }
}

// Measures `frames` per iteration over the given streams; fills the counters.
void MeasureStreams(benchmark::State& state, std::vector<Stream>& streams, const std::vector<int>& slots,
                    int framesPerIteration) {
    TavrinMsg msg{};
    for (int i = 0; i < 4 * static_cast<int>(streams.size()); ++i) {  // warm up: buffers, caches
        if (!NextFrame(msg)) {
            state.SkipWithError("no frames");
            return;
        }
    }
    DrainQueue();  // frames announced before the measurement starts
    uint64_t received = 0;
    int sentBefore = 0;
    for (int slot : slots) {
        sentBefore += TavrinSim_GetFrameCount(slot);
    }
    g_libraryAllocations.store(0);
    g_counting.store(true);
    const double cpuStart = ProcessCpuSeconds();
    for (auto _ : state) {
        for (int i = 0; i < framesPerIteration; ++i) {
            if (!NextFrame(msg)) {
                state.SkipWithError("the stream failed");
                break;
            }
            ++received;
        }
    }
    const double cpu = ProcessCpuSeconds() - cpuStart;
    g_counting.store(false);
    int sentAfter = 0;
    for (int slot : slots) {
        sentAfter += TavrinSim_GetFrameCount(slot);
    }
    const double frames = static_cast<double>(received);
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["cpu_ms_per_frame"] = cpu * 1000.0 / frames;
    state.counters["dropped"] = (sentAfter - sentBefore - frames) / frames;
    state.counters["allocs_per_frame"] = static_cast<double>(g_libraryAllocations.load()) / frames;
}

// One camera, callback preview with wait time 0, in a colour mode.
void BM_CallbackPreview(benchmark::State& state) {
    const int bits = static_cast<int>(state.range(0));
    HWND window = TavrinPosix_CreateMessageWindow();
    std::vector<Stream> streams(1);
    if (!streams[0].Open(0, bits, 0) || !streams[0].Start(window, bits)) {
        state.SkipWithError("cannot stream");
        return;
    }
    MeasureStreams(state, streams, {0}, 10);
    streams[0].Close();
    DrainQueue();
    TavrinPosix_DestroyWindow(window);
}

// The same stream with no window to announce frames to: nothing is posted,
// so every allocation counted would be the streaming path's own.
void BM_StreamWithoutMessages(benchmark::State& state) {
    std::vector<BYTE> buffer(static_cast<size_t>(BufferBytes(24)));
    Stream stream;
    if (!stream.Open(0, 24, 0) ||
        Tavrin_CallBackPreview(stream.handle, nullptr, buffer.data(), static_cast<int>(buffer.size()), 0) != 1) {
        state.SkipWithError("cannot stream");
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // warm up
    g_libraryAllocations.store(0);
    g_counting.store(true);
    const int sentBefore = TavrinSim_GetFrameCount(0);
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    g_counting.store(false);
    const int sent = TavrinSim_GetFrameCount(0) - sentBefore;
    state.counters["frames_sent"] = sent;
    state.counters["allocations"] = static_cast<double>(g_libraryAllocations.load());
    stream.Close();
}

// Trigger pulse to frame message, at the default settings (24-bit colour,
// neutral processing): the raw frame's way from the driver into the
// caller's buffer, plus the message.
void BM_TriggerToCallerBuffer(benchmark::State& state) {
    HWND window = TavrinPosix_CreateMessageWindow();
    Stream stream;
    if (!stream.Open(0, 0, 0)) {
        state.SkipWithError("cannot open");
        return;
    }
    const int bits = Tavrin_GetColorMode(stream.handle);
    stream.buffer.assign(static_cast<size_t>(BufferBytes(bits == 42   ? 48
                                                         : bits == 58 ? 64
                                                         : bits == 10 ? 16
                                                                      : bits)),
                         0);
    if (Tavrin_Trigger(stream.handle, window, stream.buffer.data(), static_cast<int>(stream.buffer.size()), 0) != 1) {
        state.SkipWithError("cannot start trigger mode");
        return;
    }
    TavrinMsg msg{};
    double total = 0;
    uint64_t count = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        TavrinSim_FireTrigger(0);
        if (!NextFrame(msg)) {
            state.SkipWithError("no triggered frame");
            break;
        }
        total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        ++count;
    }
    state.counters["latency_ms"] = count != 0 ? total / count : 0;
    state.counters["color_mode"] = bits;
    stream.Close();  // waits for the driver's 3 s trigger wait to pass
    DrainQueue();
    TavrinPosix_DestroyWindow(window);
}

// 32 cameras streaming at once into one window, at the sensor's pace.
void BM_ThirtyTwoCameras(benchmark::State& state) {
    HWND window = TavrinPosix_CreateMessageWindow();
    std::vector<Stream> streams(32);
    std::vector<int> slots;
    for (int slot = 0; slot < 32; ++slot) {
        slots.push_back(slot);
        if (!streams[slot].Open(slot, 24, 1) || !streams[slot].Start(window, 24)) {
            state.SkipWithError("cannot stream all 32 cameras");
            return;
        }
    }
    MeasureStreams(state, streams, slots, 64);
    for (Stream& stream : streams) {
        stream.Close();
    }
    DrainQueue();
    TavrinPosix_DestroyWindow(window);
}

std::string RunTag() { return std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()); }

}  // namespace

int main(int argc, char** argv) {
    using tavrin::platform::SetEnvironment;
    t_mainThread = true;
    bool thirtyTwo = false;
    std::string simulator = "0;interval=0";
    std::vector<char*> arguments;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--cameras=32") == 0) {
            thirtyTwo = true;
        } else if (std::strncmp(argv[i], "--sim=", 6) == 0) {
            simulator = argv[i] + 6;
        } else {
            arguments.push_back(argv[i]);
        }
    }
    // A settings store and shared block of this run's own; the simulated
    // camera chosen before the library first needs its driver.
    const std::string tag = RunTag();
    const std::string registry =
        (std::filesystem::temp_directory_path() / ("acquisition_bench_" + tag + ".sqlite3")).string();
    SetEnvironment("TAVRIN_REGISTRY", registry.c_str());
    SetEnvironment("TAVRIN_SHARED_MEMORY_NAME", ("ACQUISITION_BENCH_" + tag).c_str());
    if (thirtyTwo) {
        std::string slots;
        for (int slot = 0; slot < 32; ++slot) {
            if (slot != 0) {
                slots.push_back(',');
            }
            slots.append(std::to_string(slot));
        }
        SetEnvironment("TAVRIN_SIM", slots.c_str());
        benchmark::RegisterBenchmark("BM_ThirtyTwoCameras", BM_ThirtyTwoCameras)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(3.0);
    } else {
        SetEnvironment("TAVRIN_SIM", simulator.c_str());
        benchmark::RegisterBenchmark("BM_CallbackPreview", BM_CallbackPreview)
            ->ArgName("bits")
            ->Arg(8)
            ->Arg(24)
            ->Arg(48)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(2.0);
        benchmark::RegisterBenchmark("BM_StreamWithoutMessages", BM_StreamWithoutMessages)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(10);
        benchmark::RegisterBenchmark("BM_TriggerToCallerBuffer", BM_TriggerToCallerBuffer)
            ->Unit(benchmark::kMicrosecond)
            ->UseRealTime()
            ->Iterations(200);
    }
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        std::filesystem::remove(registry + suffix);
    }
    return 0;
}
