// Every value of the settings store, as another program (or a damaged
// registry) may have left it: missing, a DWORD of any value, or binary data
// of another length. The groups are loaded as the camera object loads them,
// the processing chain runs one small frame with the filter and gray values
// read, and the groups are saved back. Nothing here starts a camera.
#include <fuzzer/FuzzedDataProvider.h>

#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/chain.h"
#include "imaging/color_mode.h"
#include "imaging/dib_image.h"
#include "platform/environment.h"
#include "platform/registry.h"
#include "settings/registry_layout.h"
#include "settings/registry_store.h"
#include "support/isolation.h"

namespace {

using namespace tavrin;
using platform::RegistryKey;

constexpr int kCamera = 0;
constexpr int32_t kFrameWidth = 16;
constexpr int32_t kFrameHeight = 12;

// Stores one value as the input says: left out, a DWORD, or a value of 0 to
// 8 bytes of binary data.
void StoreValue(FuzzedDataProvider& input, RegistryKey& key, const char* name) {
    switch (input.ConsumeIntegralInRange<int>(0, 2)) {
    case 0:
        return;
    case 1:
        key.WriteDword(name, input.ConsumeIntegral<uint32_t>());
        return;
    default: {
        const std::vector<uint8_t> bytes = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, 8));
        key.WriteValue(name, platform::kRegistryTypeBinary, bytes.data(), bytes.size());
    }
    }
}

void StoreGroup(FuzzedDataProvider& input, RegistryKey& camera, const char* group,
                const std::vector<const char*>& names) {
    if (!input.ConsumeBool()) {
        return;  // the whole key is missing
    }
    auto key = RegistryKey::Create(&camera, group);
    if (key) {
        for (const char* name : names) {
            StoreValue(input, *key, name);
        }
    }
}

template <typename Table>
std::vector<const char*> Names(const Table& table) {
    std::vector<const char*> names;
    for (const auto& value : table) {
        names.push_back(value.name);
    }
    return names;
}

void StoreSettings(FuzzedDataProvider& input) {
    RegistryKey::DeleteTree(nullptr, registry_layout::kBaseKey);
    if (!input.ConsumeBool()) {
        return;  // a first use: the store seeds the registry
    }
    auto base = RegistryKey::Create(nullptr, registry_layout::kBaseKey);
    auto camera = base ? RegistryKey::Create(base.get(), registry_layout::CameraKeyName(kCamera)) : nullptr;
    if (!camera) {
        return;
    }
    for (const char* name : {"Size", "Color", "SubSample", "WaitTime", "Clock"}) {
        StoreValue(input, *camera, name);
    }
    const int entries = input.ConsumeIntegralInRange<int>(0, 3);
    for (int index = 0; index < entries; ++index) {
        const std::vector<const char*> names(registry_layout::kSizeValues.begin(), registry_layout::kSizeValues.end());
        StoreGroup(input, *camera, registry_layout::SizeEntryName(index).c_str(), names);
    }
    StoreGroup(input, *camera, "Gain",
               std::vector<const char*>(registry_layout::kAnalogValues.begin(), registry_layout::kAnalogValues.end()));
    StoreGroup(input, *camera, "Filter", Names(registry_layout::kFilterValues));
    StoreGroup(input, *camera, "Gray", Names(registry_layout::kGrayValues));
}

// One frame through the processing chain with the settings as loaded.
void ProcessOneFrame(FuzzedDataProvider& input, FilterRecord& filters, const AnalogRecord& analog) {
    CDibImage image8, image16, image24, image32, image48, image64, work, display;
    const ImageSet images{&image8, &image16, &image24, &image32, &image48, &image64, &work, &display};
    ChainFrame frame;
    frame.colorMode = input.ConsumeIntegralInRange<int32_t>(MODE_MONO8, MODE_RGB64);
    frame.mirrorV = analog.Get(AnalogRecord::kMirrorV) != 0;
    frame.mirrorH = analog.Get(AnalogRecord::kMirrorH) != 0;
    if (!AllocateFrameImages(images, frame.colorMode, kFrameWidth, kFrameHeight)) {
        return;
    }
    CDibImage& raw = *images.Raw(frame.colorMode);
    const std::vector<uint8_t> samples = input.ConsumeBytes<uint8_t>(raw.ImageBytes());
    std::copy(samples.begin(), samples.end(), raw.Bits());
    ProcessingChain chain;
    chain.Run(images, filters, frame);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The settings store in memory: every write is a transaction, and a disk
    // would hold each input up on its flushes.
    if (access("/dev/shm", W_OK) == 0) {
        platform::SetEnvironment("TMPDIR", "/dev/shm");
    }
    test::IsolateFromOtherPrograms();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    StoreSettings(input);

    CaptureWindow window;
    LoadSizeSettings(window, kCamera);
    FormatSettings format;
    LoadFormatSettings(format, kCamera);
    SizeTable table;
    LoadSizeTable(table, kCamera);
    FindStoredSize(window.EH.load(), window.EV.load(), kCamera);
    AnalogRecord analog;
    LoadAnalogSettings(analog, AnalogFallback{}, kCamera);
    FilterRecord filters;
    LoadFilterSettings(filters, kCamera);
    LoadGraySettings(filters, kCamera);

    ProcessOneFrame(input, filters, analog);

    SaveSizeTable(table, kCamera);
    SaveAnalogSettings(analog, kCamera);
    SaveFilterSettings(filters, kCamera);
    SaveGraySettings(filters, kCamera);
    return 0;
}
