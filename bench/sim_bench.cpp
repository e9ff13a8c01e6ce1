// The simulated camera's cost per frame: rendering when exposure or gain
// changed (every frame while automatic exposure converges), and delivery of
// an unchanged frame. Thirty-two cameras at the sensor's 23.6 frames a second
// are about 755 frames a second between them.
#include <benchmark/benchmark.h>

#include <vector>

#include "sim/scene.h"
#include "sim/simulator.h"

using namespace tavrin::sim;

namespace {

constexpr size_t kTransferSamples = 324608;

void BM_RenderLitScene(benchmark::State& state) {
    ContentSettings settings;
    std::vector<uint16_t> samples(kTransferSamples);
    uint32_t exposure = 2;
    for (auto _ : state) {
        settings.exposureLines = exposure++ % 524 + 1;
        RenderSamples(settings, samples.data(), samples.size());
        benchmark::DoNotOptimize(PackSamples(samples, state.range(0) != 0));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RenderLitScene)->Arg(0)->Arg(1);

// A full frame through the driver interface, content unchanged.
void BM_DeliverFrame(benchmark::State& state) {
    Simulator simulator(ParseSimConfig("0;interval=0"));
    const auto handle = simulator.Open("\\\\.\\Tvrn860VXRUX-0");
    const uint8_t pipe[4] = {2, 0, 0, 0};
    std::vector<uint8_t> frame(kTransferSamples);
    for (auto _ : state) {
        uint32_t moved = 0;
        simulator.IoControl(handle, 0x00222051, pipe, 4, frame.data(), static_cast<uint32_t>(frame.size()), &moved);
        benchmark::DoNotOptimize(frame.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DeliverFrame);

}  // namespace

BENCHMARK_MAIN();
