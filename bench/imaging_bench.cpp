// Kernel and chain timings at 656 x 494, one thread. Every benchmark reports
// the heap allocations made per call (operator new is counted below), and the
// end of the run prints our times against OpenCV's demosaic when available.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <random>
#include <string>
#include <vector>

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

constexpr int32_t kWidth = 656;
constexpr int32_t kHeight = 494;

// A frame-sized image with random samples (10-bit ones in 16-bit images).
struct BenchImage {
    int32_t bytesPerPixel;
    int32_t stride;
    std::vector<uint8_t> bits;

    BenchImage(int32_t bpp, bool tenBit)
        : bytesPerPixel(bpp), stride((kWidth * bpp + 3) / 4 * 4), bits(static_cast<size_t>(stride) * kHeight) {
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

int32_t Call(PixelKernel kernel, BenchImage& dst, const BenchImage& src, void* params) {
    const KernelRect rect{0, 0, kWidth, kHeight};
    return kernel(dst.bits.data(), src.bits.data(), rect, 0, 0, static_cast<uint16_t>(dst.bytesPerPixel),
                  static_cast<uint16_t>(src.bytesPerPixel), dst.stride, src.stride, params, nullptr);
}

void CountAllocations(benchmark::State& state, uint64_t before) {
    state.counters["allocs/call"] = benchmark::Counter(static_cast<double>(g_allocations.load() - before) /
                                                       static_cast<double>(state.iterations()));
}

// Both demosaic passes, mode 1 (R G / G B, OpenCV's BayerRG), unity gains.
void Demosaic(benchmark::State& state, int32_t sampleBytes, int32_t dstBytes) {
    BenchImage raw(sampleBytes, sampleBytes == 2);
    BenchImage out(dstBytes, false);
    BayerParams params{1, 100, 100, 100};
    const PixelKernel inner = sampleBytes == 1 ? Demosaic8Inner : Demosaic16Inner;
    const PixelKernel border = sampleBytes == 1 ? Demosaic8Border : Demosaic16Border;
    const uint64_t before = g_allocations.load();
    for (auto _ : state) {
        Call(inner, out, raw, &params);
        Call(border, out, raw, &params);
        benchmark::DoNotOptimize(out.bits.data());
    }
    CountAllocations(state, before);
}
BENCHMARK_CAPTURE(Demosaic, 8bit_to_24, 1, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Demosaic, 8bit_to_32, 1, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Demosaic, 16bit_to_48, 2, 6)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Demosaic, 16bit_to_64, 2, 8)->Unit(benchmark::kMicrosecond);

// One in-place (or work-copy) kernel over a frame; `separate` gives it a source of its own.
void Kernel(benchmark::State& state, PixelKernel kernel, int32_t bytesPerPixel, bool tenBit, void* params,
            bool separate) {
    BenchImage image(bytesPerPixel, tenBit);
    BenchImage source(bytesPerPixel, tenBit);
    const uint64_t before = g_allocations.load();
    for (auto _ : state) {
        benchmark::DoNotOptimize(Call(kernel, image, separate ? source : image, params));
    }
    CountAllocations(state, before);
}

ToneParams g_gamma{130, 10};
ToneParams g_contrast{40, 10};
ToneParams g_sharpness{10, 10};
ToneParams g_brightness{20, 10};
HueSatParams g_hueSat{30, 0, 40, 10};
GrayParams g_gray8{1, 140, 128, 120, 100, 3, 0, 0, -3, 8};
GrayParams g_gray16{1, 140, 128, 120, 100, 3, 0, 0, -3, 10};
BalanceParams g_balance{0, 0, 0, 1};
// Gamma and contrast composed, as the chain runs them back to back.
ToneCurveParams g_curve{130, 40, 0, 10};

BENCHMARK_CAPTURE(Kernel, Gamma8Rgb, Gamma8Rgb, 3, false, &g_gamma, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Kernel, Contrast8Rgb, Contrast8Rgb, 3, false, &g_contrast, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Kernel, ToneCurve8Rgb, ToneCurve8Rgb, 3, false, &g_curve, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Kernel, Sharpen8Rgb, Sharpen8Rgb, 3, false, &g_sharpness, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Kernel, Bright8Rgb, Bright8Rgb, 3, false, &g_brightness, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Kernel, HueSat8, HueSat8, 3, false, &g_hueSat, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Kernel, Gamma8Mono, Gamma8Mono, 1, false, &g_gamma, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Kernel, Contrast8Mono, Contrast8Mono, 1, false, &g_contrast, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Kernel, Sharpen8Mono, Sharpen8Mono, 1, false, &g_sharpness, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Kernel, Bright8Mono, Bright8Mono, 1, false, &g_brightness, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Kernel, Gamma16Rgb, Gamma16Rgb, 6, true, &g_gamma, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Kernel, Contrast16Rgb, Contrast16Rgb, 6, true, &g_contrast, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Kernel, Sharpen16Rgb, Sharpen16Rgb, 6, true, &g_sharpness, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Kernel, Bright16Rgb, Bright16Rgb, 6, true, &g_brightness, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Kernel, HueSat16, HueSat16, 6, true, &g_hueSat, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Kernel, GrayGain8, GrayGain8, 1, false, &g_gray8, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Kernel, GrayGain16, GrayGain16, 2, true, &g_gray16, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Kernel, RegionMean8, RegionMean8, 1, false, nullptr, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Kernel, RegionMean16, RegionMean16, 2, true, nullptr, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Kernel, WhiteBalance8, WhiteBalance8, 1, false, &g_balance, false)->Unit(benchmark::kMicrosecond);

// The processing chain of one colour mode on a random raw frame.
void Chain(benchmark::State& state, int32_t mode, bool allSteps) {
    CDibImage image8, image16, image24, image32, image48, image64, work, display;
    const ImageSet images{&image8, &image16, &image24, &image32, &image48, &image64, &work, &display};
    if (!AllocateFrameImages(images, mode, kWidth, kHeight)) {
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
BENCHMARK_CAPTURE(Chain, rgb24_all_steps, MODE_RGB24, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Chain, rgb24_default, MODE_RGB24, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Chain, rgb48_all_steps, MODE_RGB48, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Chain, rgb48_default, MODE_RGB48, false)->Unit(benchmark::kMicrosecond);

// The per-frame transfers around the chain: the raw frame mirrored both
// ways, the output copied out bottom line first, and the recorder's 24-bit
// frame in one pass against the two steps through a scratch image it replaces.
void Mirror(benchmark::State& state, int32_t bits) {
    CDibImage image;
    image.Create(kWidth, kHeight, bits);
    for (auto _ : state) {
        MirrorInPlace(image.Bits(), kWidth, kHeight, image.Stride(), image.BytesPerPixel(), true, true);
        benchmark::DoNotOptimize(image.Bits());
    }
}
BENCHMARK_CAPTURE(Mirror, raw8, 8)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Mirror, raw16, 16)->Unit(benchmark::kMicrosecond);

void CopyOut(benchmark::State& state) {
    CDibImage image;
    image.Create(kWidth, kHeight, 24);
    std::vector<uint8_t> buffer(image.ImageBytes());
    for (auto _ : state) {
        CopyRowsOut(image.Bits(), kHeight, image.Stride(), buffer.data(), static_cast<int64_t>(buffer.size()), 0);
        benchmark::DoNotOptimize(buffer.data());
    }
}
BENCHMARK(CopyOut)->Unit(benchmark::kMicrosecond);

void RecordingFrame(benchmark::State& state, int32_t bits, bool stepwise) {
    CDibImage output, frame, scratch;
    output.Create(kWidth, kHeight, bits);
    frame.Create(kWidth, kHeight, 24);
    scratch.Create(kWidth, kHeight, 24);
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
void OpenCvDemosaic(benchmark::State& state, int32_t sampleBytes) {
    cv::setNumThreads(1);
    BenchImage raw(sampleBytes, sampleBytes == 2);
    const int type = sampleBytes == 1 ? CV_8UC1 : CV_16UC1;
    const cv::Mat source(kHeight, kWidth, type, raw.bits.data(), static_cast<size_t>(raw.stride));
    cv::Mat out(kHeight, kWidth, sampleBytes == 1 ? CV_8UC3 : CV_16UC3);
    for (auto _ : state) {
        cv::cvtColor(source, out, cv::COLOR_BayerRG2BGR);
        benchmark::DoNotOptimize(out.data);
    }
}
BENCHMARK_CAPTURE(OpenCvDemosaic, 8bit, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(OpenCvDemosaic, 16bit, 2)->Unit(benchmark::kMicrosecond);
#endif

// Keeps each benchmark's time per iteration for the closing comparison.
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
    void PrintRatio(const char* label, const std::string& ours, const std::string& theirs) const {
        // With --benchmark_repetitions the medians stand for the runs.
        const auto find = [&](const std::string& name) {
            const auto median = times_.find(name + "_median");
            return median != times_.end() ? median : times_.find(name);
        };
        const auto a = find(ours);
        const auto b = find(theirs);
        if (a == times_.end() || b == times_.end() || b->second <= 0)
            return;
        std::printf("%-34s %8.1f us / %8.1f us = %.2f\n", label, a->second, b->second, a->second / b->second);
    }

private:
    std::map<std::string, double> times_;
};

}  // namespace
}  // namespace tavrin

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    std::printf("kernel path: %s\n", tavrin::KernelIsaName(tavrin::ActiveKernelIsa()));
    tavrin::RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nours / OpenCV (single thread, CPU time):\n");
    reporter.PrintRatio("demosaic 8-bit -> 24", "Demosaic/8bit_to_24", "OpenCvDemosaic/8bit");
    reporter.PrintRatio("demosaic 16-bit -> 48", "Demosaic/16bit_to_48", "OpenCvDemosaic/16bit");
    benchmark::Shutdown();
    return 0;
}
