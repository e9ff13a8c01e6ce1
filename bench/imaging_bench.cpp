// Kernel and chain timings, one thread, at the sensor's 656 x 494 and at
// 1920 x 1080 and 4096 x 3000 (the imaging library takes any size). Every
// benchmark reports the heap allocations made per call (operator new is
// counted below). The end of the run prints a table per size: our demosaic
// and chain against OpenCV's (when it is installed: scripts/install-deps.sh
// --bench) and against a memcpy of the output image, with the goals we hold
// ourselves to at the sensor's size; each table is headed by the processor's
// model and the kernel path, since the ratios differ from one to another.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "bench_run.h"
#include "imaging/chain.h"
#include "imaging/dib_image.h"
#include "imaging/kernels/balance.h"
#include "imaging/kernels/bright.h"
#include "imaging/kernels/contrast.h"
#include "imaging/kernels/convert_kernels.h"
#include "imaging/kernels/copy_out.h"
#include "imaging/kernels/demosaic.h"
#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/gamma.h"
#include "imaging/kernels/gray.h"
#include "imaging/kernels/huesat.h"
#include "imaging/kernels/measure.h"
#include "imaging/kernels/mirror.h"
#include "imaging/kernels/sharpen.h"
#include "imaging/kernels/tone_lut.h"
#include "imaging/recording_frame.h"

#if defined(TAVRIN_BENCH_WITH_OPENCV)
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace {
std::atomic<uint64_t> g_allocations{0};
}  // namespace

// Kept out of line: inlined into a new-expression, GCC would see malloc's
// block handed to free and warn about a mismatch that is none.
[[gnu::noinline]] void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void* operator new[](std::size_t size) { return operator new(size); }
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete[](void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace tavrin {
namespace {

struct FrameSize {
    int32_t width;
    int32_t height;
};
constexpr FrameSize kSizes[] = {{656, 494}, {1920, 1080}, {4096, 3000}};

// An image with random samples (10-bit ones in 16-bit images).
struct BenchImage {
    FrameSize size;
    int32_t bytesPerPixel;
    int32_t stride;
    std::vector<uint8_t> bits;

    BenchImage(FrameSize frame, int32_t bpp, bool tenBit)
        : size(frame),
          bytesPerPixel(bpp),
          stride((frame.width * bpp + 3) / 4 * 4),
          bits(static_cast<size_t>(stride) * frame.height) {
        std::mt19937 rng(42 + bpp);
        if (tenBit) {
            for (size_t i = 0; i + 1 < bits.size(); i += 2) {
                const uint32_t v = rng() % 1024;
                bits[i] = static_cast<uint8_t>(v);
                bits[i + 1] = static_cast<uint8_t>(v >> 8);
            }
        } else {
            for (auto& b : bits)
                b = static_cast<uint8_t>(rng());
        }
    }
};

// The whole of `src` onto `dst`, as the conversion driver hands it to a kernel.
KernelArea AreaOf(BenchImage& dst, const BenchImage& src) {
    return KernelArea{dst.bits.data(),   src.bits.data(),   0,          0,
                      dst.size.width,    dst.size.height,   0,          0,
                      dst.bytesPerPixel, src.bytesPerPixel, dst.stride, src.stride};
}

// A kernel with its settings, as one call over an area.
using AreaCall = std::function<void(const KernelArea&)>;
template <typename Kernel, typename... Params>
AreaCall With(Kernel kernel, const Params&... params) {
    return [=](const KernelArea& area) { benchmark::DoNotOptimize(kernel(area, params...)); };
}

void CountAllocations(benchmark::State& state, uint64_t before) {
    state.counters["allocs/call"] = benchmark::Counter(static_cast<double>(g_allocations.load() - before) /
                                                       static_cast<double>(state.iterations()));
}

// Both demosaic passes, mode 1 (R G / G B, OpenCV's BayerRG), unity gains.
void Demosaic(benchmark::State& state, FrameSize size, int32_t sampleBytes, int32_t dstBytes) {
    BenchImage raw(size, sampleBytes, sampleBytes == 2);
    BenchImage out(size, dstBytes, false);
    const BayerParams params{1, 100, 100, 100};
    const DemosaicKernel inner = sampleBytes == 1 ? Demosaic8Inner : Demosaic16Inner;
    const DemosaicKernel border = sampleBytes == 1 ? Demosaic8Border : Demosaic16Border;
    const KernelArea area = AreaOf(out, raw);
    const uint64_t before = g_allocations.load();
    for (auto _ : state) {
        inner(area, params);
        border(area, params);
        benchmark::DoNotOptimize(out.bits.data());
    }
    CountAllocations(state, before);
}

struct DemosaicCase {
    const char* name;
    int32_t sampleBytes, dstBytes;
};
constexpr DemosaicCase kDemosaics[] = {
    {"8bit_to_24", 1, 3}, {"8bit_to_32", 1, 4}, {"16bit_to_48", 2, 6}, {"16bit_to_64", 2, 8}};

// One in-place (or work-copy) kernel over a frame; `separate` gives it a source of its own.
void Kernel(benchmark::State& state, FrameSize size, const AreaCall& kernel, int32_t bytesPerPixel, bool tenBit,
            bool separate) {
    BenchImage image(size, bytesPerPixel, tenBit);
    BenchImage source(size, bytesPerPixel, tenBit);
    const KernelArea area = AreaOf(image, separate ? source : image);
    const uint64_t before = g_allocations.load();
    for (auto _ : state) {
        kernel(area);
    }
    CountAllocations(state, before);
}

constexpr ToneParams kGammaStep{130, 10};
constexpr ToneParams kContrastStep{40, 10};
constexpr ToneParams kSharpnessStep{10, 10};
constexpr ToneParams kBrightnessStep{20, 10};
constexpr HueSatParams kHueSatStep{30, 0, 40, 10};
constexpr GrayParams kGray8Step{1, 140, 128, 120, 100, 3, 0, 0, -3, 8};
constexpr GrayParams kGray16Step{1, 140, 128, 120, 100, 3, 0, 0, -3, 10};
constexpr BalanceParams kBalanceStep{1};
// Gamma and contrast composed, as the chain runs them back to back.
constexpr ToneCurveParams kCurveStep{130, 40, 0, 10};

struct KernelCase {
    const char* name;
    AreaCall kernel;
    int32_t bytesPerPixel;
    bool tenBit;
    bool separate;  // sharpening reads a copy of the image
};
const KernelCase kKernels[] = {
    {"Gamma8Rgb", With(Gamma8Rgb, kGammaStep), 3, false, false},
    {"Contrast8Rgb", With(Contrast8Rgb, kContrastStep), 3, false, false},
    {"ToneCurve8Rgb", With(ToneCurve8Rgb, kCurveStep), 3, false, false},
    {"Sharpen8Rgb", With(Sharpen8Rgb, kSharpnessStep), 3, false, true},
    {"Bright8Rgb", With(Bright8Rgb, kBrightnessStep), 3, false, false},
    {"HueSat8", With(HueSat8, kHueSatStep), 3, false, false},
    {"Gamma8Mono", With(Gamma8Mono, kGammaStep), 1, false, false},
    {"Contrast8Mono", With(Contrast8Mono, kContrastStep), 1, false, false},
    {"Sharpen8Mono", With(Sharpen8Mono, kSharpnessStep), 1, false, true},
    {"Bright8Mono", With(Bright8Mono, kBrightnessStep), 1, false, false},
    {"Gamma16Rgb", With(Gamma16Rgb, kGammaStep), 6, true, false},
    {"Contrast16Rgb", With(Contrast16Rgb, kContrastStep), 6, true, false},
    {"ToneCurve16Rgb", With(ToneCurve16Rgb, kCurveStep), 6, true, false},
    {"Sharpen16Rgb", With(Sharpen16Rgb, kSharpnessStep), 6, true, true},
    {"Bright16Rgb", With(Bright16Rgb, kBrightnessStep), 6, true, false},
    {"HueSat16", With(HueSat16, kHueSatStep), 6, true, false},
    {"GrayGain8", With(GrayGain8, kGray8Step), 1, false, false},
    {"GrayGain16", With(GrayGain16, kGray16Step), 2, true, false},
    {"RegionMean8", With(RegionMean8), 1, false, false},
    {"RegionMean16", With(RegionMean16), 2, true, false},
    {"WhiteBalance8", With(WhiteBalance8, kBalanceStep), 1, false, false},
};

// The processing chain of one colour mode on a random raw frame.
void Chain(benchmark::State& state, FrameSize size, int32_t mode, bool allSteps) {
    CDibImage image8, image16, image24, image32, image48, image64, work, display;
    const ImageSet images{&image8, &image16, &image24, &image32, &image48, &image64, &work, &display};
    if (!AllocateFrameImages(images, mode, size.width, size.height)) {
        state.SkipWithError("image allocation failed");
        return;
    }
    CDibImage* raw = images.Raw(mode);
    std::mt19937 rng(5);
    const bool wide = RawBitsOf(mode) == 16;
    for (int32_t i = 0; i < raw->Height() * raw->Stride(); i += wide ? 2 : 1) {
        raw->Bits()[i] = static_cast<uint8_t>(wide ? rng() % 256 : rng());
        if (wide)
            raw->Bits()[i + 1] = static_cast<uint8_t>(rng() % 4);
    }
    FilterRecord filters;
    filters.Set(kBayerMode, 1);
    filters.Set(kBayerGainRed, 100);
    filters.Set(kBayerGainGreen, 100);
    filters.Set(kBayerGainBlue, 100);
    filters.Set(kGamma, 100);
    for (FilterField gain : {kGrayGainR, kGrayGainG1, kGrayGainG2, kGrayGainB})
        filters.Set(gain, 128);
    if (allSteps) {
        filters.Set(kBayerGainAuto, 1);
        filters.Set(kHue, 30);
        filters.Set(kSaturation, 40);
        filters.Set(kGamma, 130);
        filters.Set(kContrast, 40);
        filters.Set(kSharpness, 10);
        filters.Set(kBrightness, 20);
    }
    ProcessingChain chain;
    const ChainFrame frame{mode, false, false};
    const uint64_t before = g_allocations.load();
    for (auto _ : state) {
        chain.Run(images, filters, frame);
        benchmark::DoNotOptimize(images.Output(mode)->Bits());
    }
    CountAllocations(state, before);
}

struct ChainCase {
    const char* name;
    int32_t mode;
    bool allSteps;
};
constexpr ChainCase kChains[] = {{"rgb24_all_steps", MODE_RGB24, true},
                                 {"rgb24_default", MODE_RGB24, false},
                                 {"rgb48_all_steps", MODE_RGB48, true},
                                 {"rgb48_default", MODE_RGB48, false}};

// The floor of any step that writes a whole output image: copying one.
void Memcpy(benchmark::State& state, FrameSize size, int32_t bytesPerPixel) {
    const size_t bytes = static_cast<size_t>(size.width) * size.height * bytesPerPixel;
    std::vector<uint8_t> from(bytes, 1), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

// The per-frame transfers around the chain, at the sensor's size: the raw
// frame mirrored both ways, the output copied out bottom line first, and the
// recorder's 24-bit frame in one pass against the two steps through a scratch
// image it replaces.
constexpr FrameSize kSensor = kSizes[0];

void Mirror(benchmark::State& state, int32_t bits) {
    CDibImage image;
    image.Create(kSensor.width, kSensor.height, bits);
    for (auto _ : state) {
        MirrorInPlace(image.Bits(), kSensor.width, kSensor.height, image.Stride(), image.BytesPerPixel(), true, true);
        benchmark::DoNotOptimize(image.Bits());
    }
}
BENCHMARK_CAPTURE(Mirror, raw8, 8)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Mirror, raw16, 16)->Unit(benchmark::kMicrosecond);

void CopyOut(benchmark::State& state) {
    CDibImage image;
    image.Create(kSensor.width, kSensor.height, 24);
    std::vector<uint8_t> buffer(image.ImageBytes());
    for (auto _ : state) {
        CopyRowsOut(image.Bits(), kSensor.height, image.Stride(), buffer.data(), static_cast<int64_t>(buffer.size()),
                    0);
        benchmark::DoNotOptimize(buffer.data());
    }
}
BENCHMARK(CopyOut)->Unit(benchmark::kMicrosecond);

void RecordingFrame(benchmark::State& state, int32_t bits, bool stepwise) {
    CDibImage output, frame, scratch;
    output.Create(kSensor.width, kSensor.height, bits);
    frame.Create(kSensor.width, kSensor.height, 24);
    scratch.Create(kSensor.width, kSensor.height, 24);
    for (auto _ : state) {
        if (!stepwise) {
            ConvertToRecordingFrame(output, frame);
        } else if (bits == 8) {
            scratch.DrawTo(output, nullptr, 0, 0);
            frame.Convert(Rgb24Flip, scratch);
        } else {
            frame.Convert(bits == 48 ? Rgb48To24Flip : Rgb24Flip, output);
        }
        benchmark::DoNotOptimize(frame.Bits());
    }
}
BENCHMARK_CAPTURE(RecordingFrame, from8, 8, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RecordingFrame, from8_stepwise, 8, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RecordingFrame, from24, 24, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RecordingFrame, from24_stepwise, 24, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RecordingFrame, from48, 48, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RecordingFrame, from48_stepwise, 48, true)->Unit(benchmark::kMicrosecond);

#if defined(TAVRIN_BENCH_WITH_OPENCV)
cv::Mat RawMat(BenchImage& raw) {
    const int type = raw.bytesPerPixel == 1 ? CV_8UC1 : CV_16UC1;
    return cv::Mat(raw.size.height, raw.size.width, type, raw.bits.data(), static_cast<size_t>(raw.stride));
}

void OpenCvDemosaic(benchmark::State& state, FrameSize size, int32_t sampleBytes) {
    cv::setNumThreads(1);
    BenchImage raw(size, sampleBytes, sampleBytes == 2);
    const cv::Mat source = RawMat(raw);
    cv::Mat out(size.height, size.width, sampleBytes == 1 ? CV_8UC3 : CV_16UC3);
    cv::cvtColor(source, out, cv::COLOR_BayerRG2BGR);  // the output's pages touched once, as ours are
    for (auto _ : state) {
        cv::cvtColor(source, out, cv::COLOR_BayerRG2BGR);
        benchmark::DoNotOptimize(out.data);
    }
}

// Our 24-bit chain with every step on, composed of OpenCV's own steps:
// demosaic, hue and saturation through HSV, the gamma/contrast table, a 3 x 3
// sharpening filter and the brightness table.
void OpenCvChain24(benchmark::State& state, FrameSize size) {
    cv::setNumThreads(1);
    BenchImage raw(size, 1, false);
    const cv::Mat source = RawMat(raw);
    cv::Mat hueSat(1, 256, CV_8UC3), tone(1, 256, CV_8U), bright(1, 256, CV_8U);
    for (int i = 0; i < 256; ++i) {
        hueSat.at<cv::Vec3b>(0, i) = cv::Vec3b(static_cast<uint8_t>((i + 15) % 180),
                                               cv::saturate_cast<uint8_t>(i * 1.4), static_cast<uint8_t>(i));
        tone.at<uint8_t>(0, i) = cv::saturate_cast<uint8_t>(255.0 * std::pow(i / 255.0, 1 / 1.3) * 1.4 - 50);
        bright.at<uint8_t>(0, i) = cv::saturate_cast<uint8_t>(i + 20);
    }
    const cv::Mat sharpen = (cv::Mat_<float>(3, 3) << 0, -0.1f, 0, -0.1f, 1.4f, -0.1f, 0, -0.1f, 0);
    cv::Mat bgr, hsv, sharp;
    const auto run = [&] {
        cv::cvtColor(source, bgr, cv::COLOR_BayerRG2BGR);
        cv::cvtColor(bgr, hsv, cv::COLOR_BGR2HSV);
        cv::LUT(hsv, hueSat, hsv);
        cv::cvtColor(hsv, bgr, cv::COLOR_HSV2BGR);
        cv::LUT(bgr, tone, bgr);
        cv::filter2D(bgr, sharp, -1, sharpen);
        cv::LUT(sharp, bright, bgr);
    };
    run();  // allocates the intermediate images
    for (auto _ : state) {
        run();
        benchmark::DoNotOptimize(bgr.data);
    }
}
#endif

void Register(const std::string& name, std::function<void(benchmark::State&)> run) {
    benchmark::RegisterBenchmark(name.c_str(), std::move(run))->Unit(benchmark::kMicrosecond);
}

// "group/case/WxH". Built with snprintf: GCC 12 warns falsely (-Wrestrict)
// about chains of std::string additions.
std::string NameOf(const char* group, const char* name, FrameSize size) {
    char text[96];
    std::snprintf(text, sizeof text, "%s/%s/%dx%d", group, name, size.width, size.height);
    return text;
}

// The name of a table cell: "group/case" at a size.
std::string NameOf(const char* groupAndCase, FrameSize size) {
    char text[96];
    std::snprintf(text, sizeof text, "%s/%dx%d", groupAndCase, size.width, size.height);
    return text;
}

void RegisterPerSize() {
    for (const FrameSize size : kSizes) {
        for (const DemosaicCase& c : kDemosaics)
            Register(NameOf("Demosaic", c.name, size),
                     [=](benchmark::State& s) { Demosaic(s, size, c.sampleBytes, c.dstBytes); });
        for (const KernelCase& c : kKernels)
            Register(NameOf("Kernel", c.name, size), [&c, size](benchmark::State& s) {
                Kernel(s, size, c.kernel, c.bytesPerPixel, c.tenBit, c.separate);
            });
        for (const ChainCase& c : kChains)
            Register(NameOf("Chain", c.name, size), [=](benchmark::State& s) { Chain(s, size, c.mode, c.allSteps); });
        Register(NameOf("Memcpy", "24bit", size), [=](benchmark::State& s) { Memcpy(s, size, 3); });
        Register(NameOf("Memcpy", "48bit", size), [=](benchmark::State& s) { Memcpy(s, size, 6); });
#if defined(TAVRIN_BENCH_WITH_OPENCV)
        Register(NameOf("OpenCvDemosaic", "8bit", size), [=](benchmark::State& s) { OpenCvDemosaic(s, size, 1); });
        Register(NameOf("OpenCvDemosaic", "16bit", size), [=](benchmark::State& s) { OpenCvDemosaic(s, size, 2); });
        Register(NameOf("OpenCvChain", "rgb24_all_steps", size), [=](benchmark::State& s) { OpenCvChain24(s, size); });
#endif
    }
}

// Keeps each benchmark's CPU time per iteration (in microseconds) for the
// closing table; with --benchmark_repetitions the medians stand for the runs.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            // CPU time: on a shared machine it leaves out the time the thread waited for a core.
            if (run.iterations > 0)
                times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // 0 when the benchmark did not run (filtered out, or OpenCV missing).
    double Time(const std::string& name) const {
        auto found = times_.find(name + "_median");
        if (found == times_.end())
            found = times_.find(name);
        return found != times_.end() ? found->second : 0;
    }

private:
    std::map<std::string, double> times_;
};

struct TableRow {
    const char* label;
    const char* ours;
    const char* openCv;  // null: OpenCV has no counterpart
    const char* memcpy;
    const char* goal;  // at the sensor's size
};
constexpr TableRow kTable[] = {
    {"demosaic 8-bit -> 24-bit", "Demosaic/8bit_to_24", "OpenCvDemosaic/8bit", "Memcpy/24bit", "<= 0.30 x OpenCV"},
    {"demosaic 16-bit -> 48-bit", "Demosaic/16bit_to_48", "OpenCvDemosaic/16bit", "Memcpy/48bit", "<= 0.25 x OpenCV"},
    {"full 24-bit chain, every step on", "Chain/rgb24_all_steps", "OpenCvChain/rgb24_all_steps", "Memcpy/24bit",
     "<= 300 us"},
    {"full 24-bit chain, default", "Chain/rgb24_default", nullptr, "Memcpy/24bit", ""},
    {"full 48-bit chain, every step on", "Chain/rgb48_all_steps", nullptr, "Memcpy/48bit", "<= 600 us"},
    {"full 48-bit chain, default", "Chain/rgb48_default", nullptr, "Memcpy/48bit", ""},
};

// A value, or "-" where there is none.
void PrintCell(double value, int width, int precision) {
    if (value > 0)
        std::printf(" %*.*f", width, precision, value);
    else
        std::printf(" %*s", width, "-");
}

void PrintTables(const RecordingReporter& reporter) {
    const std::string cpu = tavrin::bench::CpuModel();
    for (const FrameSize size : kSizes) {
        std::printf("\nCPU: %s, kernel path %s", cpu.c_str(), KernelIsaName(ActiveKernelIsa()));
        char title[64];
        std::snprintf(title, sizeof title, "%d x %d, one thread, CPU us", size.width, size.height);
        std::printf("\n%-35s %9s %9s %7s %9s %7s  %s\n", title, "ours", "OpenCV", "ratio", "memcpy", "ratio",
                    size.width == kSensor.width ? "goal" : "");
        for (const TableRow& row : kTable) {
            const double ours = reporter.Time(NameOf(row.ours, size));
            const double openCv = row.openCv != nullptr ? reporter.Time(NameOf(row.openCv, size)) : 0;
            const double floor = reporter.Time(NameOf(row.memcpy, size));
            std::printf("%-35s", row.label);
            PrintCell(ours, 9, 1);
            PrintCell(openCv, 9, 1);
            PrintCell(ours > 0 && openCv > 0 ? ours / openCv : 0, 7, 2);
            PrintCell(floor, 9, 1);
            PrintCell(ours > 0 && floor > 0 ? ours / floor : 0, 7, 2);
            std::printf("  %s\n", size.width == kSensor.width ? row.goal : "");
        }
    }
}

}  // namespace
}  // namespace tavrin

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    std::printf("kernel path: %s\n", tavrin::KernelIsaName(tavrin::ActiveKernelIsa()));
    tavrin::RegisterPerSize();
    tavrin::RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    tavrin::PrintTables(reporter);
    benchmark::Shutdown();
    return 0;
}
