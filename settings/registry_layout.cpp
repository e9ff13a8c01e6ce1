#include "settings/registry_layout.h"

#include <cstdio>

namespace tavrin::registry_layout {

using platform::RegistryKey;

std::string CameraKeyName(int cameraNumber) {
    char name[32];
    std::snprintf(name, sizeof name, "Camera_%02d", cameraNumber);
    return name;
}

std::string SizeEntryName(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "Size_%02d", index);
    return name;
}

std::unique_ptr<RegistryKey> CreateCameraKey(int cameraNumber) {
    auto base = RegistryKey::Create(nullptr, kBaseKey);
    return base ? RegistryKey::Create(base.get(), CameraKeyName(cameraNumber)) : nullptr;
}

std::unique_ptr<RegistryKey> OpenCameraKey(int cameraNumber) {
    auto base = RegistryKey::Open(nullptr, kBaseKey);
    return base ? RegistryKey::Open(base.get(), CameraKeyName(cameraNumber)) : nullptr;
}

bool ReadInto(const RegistryKey& key, const char* name, std::atomic<int32_t>& field) {
    int32_t value = field.load(std::memory_order_relaxed);
    if (!key.ReadDword(name, value))
        return false;
    field.store(value, std::memory_order_relaxed);
    return true;
}

}  // namespace tavrin::registry_layout
