// The analog, filter and gray groups: one key each below the camera key.
#include "settings/registry_layout.h"
#include "settings/registry_store.h"

namespace tavrin {

using platform::RegistryKey;
using namespace registry_layout;

namespace {

// The group's key below the base key and the camera key, opened for reading.
std::unique_ptr<RegistryKey> OpenGroupKey(int cameraNumber, const char* group) {
    auto camera = OpenCameraKey(cameraNumber);
    return camera ? RegistryKey::Open(camera.get(), group) : nullptr;
}

template <size_t N>
void ReadFilterValues(const RegistryKey& key, const std::array<FilterValue, N>& values, FilterRecord& filter) {
    for (const FilterValue& value : values) {
        ReadInto(key, value.name, filter.fields[value.field]);
    }
}

template <size_t N>
void SetFallback(const std::array<FilterValue, N>& values, FilterRecord& filter) {
    for (const FilterValue& value : values) {
        filter.Set(value.field, value.fallback);
    }
}

// Writes one value, or with `stored` only when it differs from what the
// store held or the store holds nothing under that name; a value written is
// recorded there.
void WriteChanged(RegistryKey& key, const char* name, int32_t value, int32_t* stored) {
    int32_t present = 0;
    if (stored != nullptr && value == *stored && key.ReadDword(name, present)) {
        return;
    }
    if (key.WriteDword(name, static_cast<uint32_t>(value)) && stored != nullptr) {
        *stored = value;
    }
}

template <size_t N>
void WriteFilterValues(RegistryKey& key, const std::array<FilterValue, N>& values, const FilterRecord::Values& filter,
                       FilterRecord::Values* stored) {
    for (const FilterValue& value : values) {
        WriteChanged(key, value.name, filter[value.field], stored ? &(*stored)[value.field] : nullptr);
    }
}

}  // namespace

int LoadAnalogSettings(AnalogRecord& analog, const AnalogFallback& fallback, int cameraNumber) {
    const AnalogRecord::Values fallbackValues{
        fallback.defaultGain, 0, 0, 0, 0, fallback.minimumExposure, fallback.mirrorV, fallback.mirrorH, 0};
    auto gain = OpenGroupKey(cameraNumber, "Gain");
    // A value missing from an existing key also takes its fallback, so that
    // a camera never keeps part of another camera's analog settings.
    AnalogRecord::Values values = fallbackValues;
    if (gain) {
        for (int i = 0; i < AnalogRecord::kFieldCount; ++i) {
            gain->ReadDword(kAnalogValues[i], values[i]);
        }
    }
    analog.Restore(values);
    return 1;
}

int SaveAnalogSettings(const AnalogRecord& analog, int cameraNumber, AnalogRecord::Values* stored) {
    auto camera = CreateCameraKey(cameraNumber);
    if (!camera)
        return 0;
    auto gain = RegistryKey::Create(camera.get(), "Gain");
    if (!gain)
        return 0;
    const AnalogRecord::Values values = analog.Snapshot();
    for (int i = 0; i < AnalogRecord::kFieldCount; ++i) {
        WriteChanged(*gain, kAnalogValues[i], values[i], stored ? &(*stored)[i] : nullptr);
    }
    return 1;
}

int LoadFilterSettings(FilterRecord& filter, int cameraNumber) {
    if (auto key = OpenGroupKey(cameraNumber, "Filter")) {
        ReadFilterValues(*key, kFilterValues, filter);
        return 1;
    }
    SetFallback(kFilterValues, filter);
    // The automatic white balance state is never stored.
    filter.Set(kBayerGainAuto, 0);
    filter.Set(kWhiteBalanceMark1, 0);
    filter.Set(kWhiteBalanceMark2, 0);
    return 0;
}

int SaveFilterSettings(const FilterRecord& filter, int cameraNumber, FilterRecord::Values* stored) {
    auto camera = CreateCameraKey(cameraNumber);
    if (!camera)
        return 0;
    if (auto key = RegistryKey::Create(camera.get(), "Filter")) {
        WriteFilterValues(*key, kFilterValues, filter.Snapshot(), stored);
    }
    return 1;
}

int LoadGraySettings(FilterRecord& filter, int cameraNumber) {
    if (auto key = OpenGroupKey(cameraNumber, "Gray")) {
        ReadFilterValues(*key, kGrayValues, filter);
        return 1;
    }
    SetFallback(kGrayValues, filter);
    return 0;
}

int SaveGraySettings(const FilterRecord& filter, int cameraNumber, FilterRecord::Values* stored) {
    auto base = RegistryKey::Create(nullptr, kBaseKey);
    if (!base)
        return 0;
    // The camera key is never created here (the analog save before this one
    // creates it in every save sequence); an existing one is opened with full
    // access, so that "Gray" can be created below it.
    const std::string cameraKey = CameraKeyName(cameraNumber);
    if (!RegistryKey::Exists(base.get(), cameraKey))
        return 0;
    auto camera = RegistryKey::Create(base.get(), cameraKey);
    if (!camera)
        return 0;
    auto key = RegistryKey::Create(camera.get(), "Gray");
    if (!key)
        return 0;
    WriteFilterValues(*key, kGrayValues, filter.Snapshot(), stored);
    return 1;
}

}  // namespace tavrin
