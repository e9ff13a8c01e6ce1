// tavrinsrc against the C callback path, one simulated camera at the
// sensor's pace (23.6 frames a second), full frame, 24-bit colour, wait time
// 1 ms, in one run:
//
//   C callback                 Tavrin_CallBackPreview into a caller buffer,
//                              frames taken from the message queue on a
//                              thread of the program's (as the acquisition
//                              benchmark's single-camera row)
//   tavrinsrc ! fakesink       the element as a user types it
//   ... fakesink sync=false    the same without the sink's clock waits
//   16x16 videotestsrc         GStreamer's own share: a live source of tiny
//                              frames at the same rate, nothing of ours
//
//   gst_source_bench [--seconds=N]   measure each row N seconds a round (5)
//                    [--rounds=N]    rounds (5)
//                    [--row=N]       only row N (1 to 4), for a profiler
//                    [--fields]      the rows as numbers only, for
//                                    acquisition_bench's table
//
// The rows take turns, round after round, so that a load that comes and goes
// on the machine falls on each alike; each prints its median over the rounds
// with the lowest and highest.
//
// Columns: CPU time of the whole process per frame received (every thread,
// the simulated camera's included), frames per second received, and heap
// allocations (malloc, calloc, realloc, GLib's slices included) per frame
// after the warm-up, on any thread but the main one.
//
// The plugin is loaded from the build tree unless GST_PLUGIN_PATH says
// otherwise.
#include <gst/gst.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "TavrinPosix.h"
#include "TavrinSdk.h"
#include "TavrinSim.h"
#include "bench_run.h"
#include "platform/environment.h"

// ---- allocation counting: this program's malloc replaces the process's ----
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
}

namespace {
std::atomic<uint64_t> g_allocations{0};
std::atomic<bool> g_counting{false};
thread_local bool t_mainThread = false;

void CountAllocation() {
    if (g_counting.load(std::memory_order_relaxed) && !t_mainThread) {
        g_allocations.fetch_add(1, std::memory_order_relaxed);
    }
}
}  // namespace

extern "C" {
void* malloc(size_t size) {
    CountAllocation();
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
    CountAllocation();
    return __libc_calloc(count, size);
}
void* realloc(void* p, size_t size) {
    CountAllocation();
    return __libc_realloc(p, size);
}
}

namespace {

constexpr int kWidth = 656;
constexpr int kHeight = 494;
constexpr int kBits = 24;
constexpr int kWarmUpFrames = 20;

using tavrin::bench::ProcessCpuSeconds;

struct Row {
    double cpuMsPerFrame = 0;
    double fillMsPerFrame = 0;  // the simulated camera's share
    double fps = 0;
    double allocsPerFrame = 0;
    bool ok = false;
};

unsigned long long FillNanoseconds() {
    unsigned long long fill = 0;
    TavrinSim_GetFillTime(0, &fill);
    return fill;
}

// Frames counted by whoever receives them; the main thread samples the count
// and the process's CPU time at the ends of the measurement.
struct Measurement {
    std::atomic<uint64_t> frames{0};

    bool WaitFor(uint64_t count, double seconds) const {
        const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (frames.load() < count) {
            if (std::chrono::steady_clock::now() > until) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    Row Run(double seconds) {
        Row row;
        if (!WaitFor(kWarmUpFrames, 10.0)) {
            return row;
        }
        g_allocations.store(0);
        g_counting.store(true);
        const uint64_t framesStart = frames.load();
        const double cpuStart = ProcessCpuSeconds();
        const unsigned long long fillStart = FillNanoseconds();
        const auto wallStart = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        const uint64_t received = frames.load() - framesStart;
        const double cpu = ProcessCpuSeconds() - cpuStart;
        const double fill = static_cast<double>(FillNanoseconds() - fillStart) / 1e9;
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
        g_counting.store(false);
        if (received == 0) {
            return row;
        }
        const double count = static_cast<double>(received);
        row.cpuMsPerFrame = cpu * 1000.0 / count;
        row.fillMsPerFrame = fill * 1000.0 / count;
        row.fps = count / wall;
        row.allocsPerFrame = static_cast<double>(g_allocations.load()) / count;
        row.ok = true;
        return row;
    }
};

// The C path: a thread of its own owns the message window and takes every
// frame message, as a program's message loop does.
Row MeasureCallback(double seconds) {
    Measurement measurement;
    std::atomic<bool> stop{false};
    std::atomic<int> started{0};  // 1 streaming, -1 failed
    std::thread receiver([&] {
        HWND window = TavrinPosix_CreateMessageWindow();
        const int camera = Tavrin_Initialize(nullptr);
        std::vector<BYTE> buffer(static_cast<size_t>(((kWidth * kBits / 8 + 3) & ~3) * kHeight));
        bool ok = window != nullptr && camera != 0 && Tavrin_SetDeviceNumber(camera, 0) == 1;
        if (ok) {
            Tavrin_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0);
            Tavrin_SetWaitTime(camera, 1);
            Tavrin_SetColorMode(camera, kBits);
            ok = Tavrin_CallBackPreview(camera, window, buffer.data(), static_cast<int>(buffer.size()), 1) == 1;
        }
        started.store(ok ? 1 : -1);
        TavrinMsg msg{};
        while (ok && !stop.load()) {
            if (TavrinPosix_GetMessage(window, &msg, 100) && msg.message == WM_SDK_FRAME && msg.wParam != 0) {
                measurement.frames.fetch_add(1);
            }
        }
        if (camera != 0) {
            Tavrin_StopPreview(camera);
            Tavrin_Release(camera);
        }
        if (window != nullptr) {
            TavrinPosix_DestroyWindow(window);
        }
    });
    while (started.load() == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const Row row = started.load() == 1 ? measurement.Run(seconds) : Row{};
    stop.store(true);
    receiver.join();
    return row;
}

GstPadProbeReturn CountBuffer(GstPad*, GstPadProbeInfo*, gpointer data) {
    static_cast<Measurement*>(data)->frames.fetch_add(1);
    return GST_PAD_PROBE_OK;
}

Row MeasurePipeline(const char* description, double seconds) {
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description, &error);
    // A missing element is an error with a pipeline of what remains.
    if (pipeline == nullptr || error != nullptr || !GST_IS_BIN(pipeline)) {
        std::fprintf(stderr, "%s: %s\n", description, error != nullptr ? error->message : "cannot be made");
        g_clear_error(&error);
        if (pipeline != nullptr) {
            gst_object_unref(pipeline);
        }
        return Row{};
    }
    Measurement measurement;
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
    GstPad* pad = gst_element_get_static_pad(sink, "sink");
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, CountBuffer, &measurement, nullptr);
    gst_object_unref(pad);
    gst_object_unref(sink);
    Row row;
    if (gst_element_set_state(pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE) {
        row = measurement.Run(seconds);
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return row;
}

struct RowKind {
    const char* name;
    const char* pipeline;  // null: the C callback path
};

constexpr RowKind kRows[] = {
    {"C callback", nullptr},
    {"tavrinsrc ! fakesink", "tavrinsrc wait-time=1 ! video/x-raw,format=BGR ! fakesink name=sink"},
    {"... fakesink sync=false", "tavrinsrc wait-time=1 ! video/x-raw,format=BGR ! fakesink name=sink sync=false"},
    {"16x16 videotestsrc",
     "videotestsrc is-live=true pattern=solid-color ! video/x-raw,format=GRAY8,width=16,height=16"
     ",framerate=236/10 ! fakesink name=sink"},
};

// A row's measurements over the rounds.
struct Summary {
    std::vector<double> cpu;
    double fill = 0;
    double fps = 0;
    double allocs = 0;
    int failed = 0;
};

void PrintSummary(const char* name, Summary& summary) {
    if (summary.cpu.empty()) {
        std::printf("%-26s  no frames\n", name);
        return;
    }
    std::sort(summary.cpu.begin(), summary.cpu.end());
    const double rounds = static_cast<double>(summary.cpu.size());
    std::printf("%-26s %13.3f %8.3f %8.3f %8.1f %13.2f", name, summary.cpu[summary.cpu.size() / 2], summary.cpu.front(),
                summary.cpu.back(), summary.fps / rounds, summary.allocs / rounds);
    if (summary.failed > 0) {
        std::printf("  (%d rounds without frames)", summary.failed);
    }
    std::printf("\n");
}

// One row for acquisition_bench's table: process CPU ms per frame (the
// median), the simulated camera's fill, frames per second, dropped frames
// (not counted here: -1), allocations per frame.
void PrintFields(Summary& summary) {
    if (summary.cpu.empty()) {
        std::printf("failed\n");
        return;
    }
    std::sort(summary.cpu.begin(), summary.cpu.end());
    const double rounds = static_cast<double>(summary.cpu.size());
    std::printf("%.4f %.4f %.2f -1 %.3f\n", summary.cpu[summary.cpu.size() / 2], summary.fill / rounds,
                summary.fps / rounds, summary.allocs / rounds);
}

}  // namespace

int main(int argc, char** argv) {
    using tavrin::platform::GetEnvironment;
    using tavrin::platform::SetEnvironment;
    t_mainThread = true;
    double seconds = 5.0;
    int rounds = 5;
    int only = 0;
    bool fields = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--seconds=", 10) == 0) {
            seconds = std::atof(argv[i] + 10);
        } else if (std::strncmp(argv[i], "--rounds=", 9) == 0) {
            rounds = std::max(1, std::atoi(argv[i] + 9));
        } else if (std::strncmp(argv[i], "--row=", 6) == 0) {
            only = std::atoi(argv[i] + 6);
        } else if (std::strcmp(argv[i], "--fields") == 0) {
            fields = true;
        } else {
            std::fprintf(stderr, "usage: %s [--seconds=N] [--rounds=N] [--row=1|2|3|4] [--fields]\n", argv[0]);
            return 2;
        }
    }
    // GLib reads G_SLICE when it is loaded: its slices come from malloc, so
    // that they count, only in a process started with it.
    if (!GetEnvironment("G_SLICE")) {
        SetEnvironment("G_SLICE", "always-malloc");
        execv("/proc/self/exe", argv);
        std::perror("execv");
        return 1;
    }
    // A settings store and shared block of this run's own; the simulated
    // camera at the sensor's pace.
    const tavrin::bench::OwnSettings settings("gst_source_bench");
    SetEnvironment("TAVRIN_SIM", "0");
    if (!GetEnvironment("GST_PLUGIN_PATH")) {
        SetEnvironment("GST_PLUGIN_PATH", TAVRIN_GST_PLUGIN_DIR);
        SetEnvironment("GST_REGISTRY", TAVRIN_GST_PLUGIN_DIR "/../gst-registry-bench.bin");
    }
    gst_init(&argc, &argv);

    if (!fields) {
        std::printf("%-26s %13s %8s %8s %8s %13s\n", "24-bit, 1 camera", "cpu ms/frame", "lowest", "highest", "fps",
                    "allocs/frame");
    }
    std::vector<Summary> summaries(std::size(kRows));
    for (int round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < std::size(kRows); ++i) {
            if (only != 0 && static_cast<size_t>(only) != i + 1) {
                continue;
            }
            const RowKind& kind = kRows[i];
            const Row row =
                kind.pipeline == nullptr ? MeasureCallback(seconds) : MeasurePipeline(kind.pipeline, seconds);
            Summary& summary = summaries[i];
            if (!row.ok) {
                ++summary.failed;
                continue;
            }
            summary.cpu.push_back(row.cpuMsPerFrame);
            summary.fill += row.fillMsPerFrame;
            summary.fps += row.fps;
            summary.allocs += row.allocsPerFrame;
        }
    }
    for (size_t i = 0; i < std::size(kRows); ++i) {
        if (only == 0 || static_cast<size_t>(only) == i + 1) {
            fields ? PrintFields(summaries[i]) : PrintSummary(kRows[i].name, summaries[i]);
        }
    }
    return 0;
}
