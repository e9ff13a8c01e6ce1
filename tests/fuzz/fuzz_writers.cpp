// The still writers and the AVI recorder with random geometry and pixels,
// every format code and depth, and files whose writes fail (a full device,
// a folder that does not exist). A recording closed without error must be
// a file whose header agrees with its length and frame count.
#include <fuzzer/FuzzedDataProvider.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/dib_image.h"
#include "output/avi_recorder.h"
#include "output/save_image.h"

namespace {

using namespace tavrin;

std::string ScratchName(const char* what) { return "fuzz_writers_" + std::to_string(getpid()) + "_" + what; }

// A good file, a device whose every write fails, or a missing folder.
std::string Target(FuzzedDataProvider& input, const char* what) {
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
        return "/dev/full";
    case 1:
        return "no_such_folder/" + ScratchName(what);
    default:
        return ScratchName(what);
    }
}

void FillPixels(FuzzedDataProvider& input, uint8_t* pixels, size_t bytes) {
    const std::vector<uint8_t> given = input.ConsumeBytes<uint8_t>(bytes);
    std::copy(given.begin(), given.end(), pixels);
}

void SaveStill(FuzzedDataProvider& input) {
    static constexpr int32_t kDepths[] = {8, 16, 24, 32, 48, 64};
    CDibImage image;
    const int32_t width = input.ConsumeIntegralInRange<int32_t>(1, 64);
    const int32_t height = input.ConsumeIntegralInRange<int32_t>(1, 64);
    if (image.Create(width, height, input.PickValueInArray(kDepths)) != 1) {
        return;
    }
    FillPixels(input, image.Bits(), image.ImageBytes());
    const std::string path = Target(input, "still");
    SaveImage(path.c_str(), image, input.ConsumeIntegralInRange<int32_t>(-1, 7),
              input.ConsumeBool() ? 10 : input.ConsumeIntegral<int32_t>());
    unlink(ScratchName("still").c_str());
}

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

void CheckClosedRecording(const std::string& path, uint32_t frames) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() < 232 || U32At(bytes, 4) != bytes.size() - 8 || U32At(bytes, 48) != frames ||
        U32At(bytes, 140) != frames) {
        std::abort();
    }
}

void Record(FuzzedDataProvider& input) {
    AviRecorder recorder;
    recorder.SetWidth(input.ConsumeIntegralInRange<int32_t>(-1, 48));
    recorder.SetHeight(input.ConsumeIntegralInRange<int32_t>(-1, 48));
    recorder.SetBitsPerPixel(24);
    recorder.SetRate(input.ConsumeIntegralInRange<uint32_t>(0, 60));
    recorder.SetRefreshInterval(input.ConsumeBool() ? 0 : 1000);
    if (input.ConsumeBool()) {
        recorder.SetSizeLimit(input.ConsumeIntegralInRange<uint64_t>(0, 64 * 1024));
    }
    const std::string path = Target(input, "recording.avi");
    if (recorder.Open(path.c_str())) {
        std::vector<uint8_t> pixels(static_cast<size_t>(recorder.FrameBytes()));
        const int frames = input.ConsumeIntegralInRange<int>(0, 8);
        for (int i = 0; i < frames; ++i) {
            FillPixels(input, pixels.data(), pixels.size());
            if (recorder.AddFrame(pixels.data()) == AviRecorder::kOk) {
                recorder.SetFrameCount(recorder.FrameCount() + 1);
            }
        }
        recorder.SetRate(input.ConsumeIntegral<uint32_t>());
        if (recorder.Close() == AviRecorder::kOk && path == ScratchName("recording.avi")) {
            CheckClosedRecording(path, recorder.FrameCount());
        }
    }
    unlink(ScratchName("recording.avi").c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool()) {
        SaveStill(input);
    } else {
        Record(input);
    }
    return 0;
}
