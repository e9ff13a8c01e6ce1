// The size and format groups: the stored readout windows below the camera
// key, the selected one, and the output format.
#include "records/settings_catalogue.h"
#include "settings/registry_layout.h"
#include "settings/registry_store.h"

namespace tavrin {

using platform::RegistryKey;
using namespace registry_layout;

namespace {

// A fresh camera's colour mode and wait time are the catalogue's defaults;
// the registry keeps the colour mode as its position in the catalogue's list.
constexpr const catalogue::SettingEntry& kColorModes = catalogue::Named("color-mode");
constexpr int kSeedColorMode = catalogue::ListPosition(kColorModes, kColorModes.defaultValue);
static_assert(kSeedColorMode >= 0);
constexpr int32_t kSeedWaitTime = catalogue::Named("wait-time").defaultValue;

// The first-run contents: "Size_00" with the full sensor, then the format
// group. A key that cannot be created ends the seeding there.
void SeedRegistry(int cameraNumber) {
    auto camera = CreateCameraKey(cameraNumber);
    if (!camera)
        return;
    auto entry = RegistryKey::Create(camera.get(), SizeEntryName(0));
    if (!entry)
        return;
    for (int i = 0; i < CaptureWindow::kFieldCount; ++i) {
        entry->WriteDword(kSizeValues[i], static_cast<uint32_t>(CaptureWindow::kFullSensor[i]));
    }
    camera->WriteDword("Size", 0);
    camera->WriteDword("Color", static_cast<uint32_t>(kSeedColorMode));
    camera->WriteDword("SubSample", 0);
    camera->WriteDword("WaitTime", static_cast<uint32_t>(kSeedWaitTime));
    camera->WriteDword("Clock", 2);
}

// The seven values of an entry; a value that cannot be read gives 0.
CaptureWindow::Values ReadEntry(const RegistryKey& entry) {
    CaptureWindow::Values values{};
    for (int i = 0; i < CaptureWindow::kFieldCount; ++i) {
        entry.ReadDword(kSizeValues[i], values[i]);
    }
    return values;
}

// The stored list ends at the first missing index, so an entry above a gap
// is not part of it: the dialog never shows it and nothing selects it.
bool IsInStoredList(const RegistryKey& camera, int32_t index) {
    if (index < 0 || index >= kMaxSizeEntries)
        return false;
    for (int32_t i = 0; i <= index; ++i) {
        if (!RegistryKey::Exists(&camera, SizeEntryName(i)))
            return false;
    }
    return true;
}

void WriteFormat(RegistryKey& camera, const SizeTable& table) {
    camera.WriteDword("Size", static_cast<uint32_t>(table.selected));
    camera.WriteDword("Color", static_cast<uint32_t>(table.colorMode));
    camera.WriteDword("SubSample", static_cast<uint32_t>(table.subSample));
    camera.WriteDword("WaitTime", static_cast<uint32_t>(table.waitTime));
    camera.WriteDword("Clock", static_cast<uint32_t>(table.clock));
}

}  // namespace

int LoadSizeSettings(CaptureWindow& window, int cameraNumber) {
    if (!RegistryKey::Exists(nullptr, kBaseKey)) {
        SeedRegistry(cameraNumber);
        return 0;
    }
    auto camera = OpenCameraKey(cameraNumber);
    if (!camera)
        return 0;
    int32_t selected = 0;
    if (!camera->ReadDword("Size", selected) || !IsInStoredList(*camera, selected))
        return 0;
    auto entry = RegistryKey::Open(camera.get(), SizeEntryName(selected));
    if (!entry)
        return 0;
    for (int i = 0; i < CaptureWindow::kFieldCount; ++i) {
        ReadInto(*entry, kSizeValues[i], window.*CaptureWindow::kFields[i]);
    }
    return 1;
}

int LoadFormatSettings(FormatSettings& format, int cameraNumber) {
    auto camera = OpenCameraKey(cameraNumber);
    if (!camera)
        return 0;
    ReadInto(*camera, "Color", format.colorMode);
    ReadInto(*camera, "SubSample", format.subSample);
    ReadInto(*camera, "WaitTime", format.waitTime);
    ReadInto(*camera, "Clock", format.clock);
    return 1;
}

int LoadSizeTable(SizeTable& table, int cameraNumber) {
    auto camera = OpenCameraKey(cameraNumber);
    if (!camera)
        return 0;
    int count = 0;
    for (; count < kMaxSizeEntries; ++count) {
        auto entry = RegistryKey::Open(camera.get(), SizeEntryName(count));
        if (!entry)
            break;
        for (int i = 0; i < CaptureWindow::kFieldCount; ++i) {
            entry->ReadDword(kSizeValues[i], table.entries[count][i]);
        }
    }
    table.count = count;
    camera->ReadDword("Size", table.selected);
    camera->ReadDword("Color", table.colorMode);
    camera->ReadDword("SubSample", table.subSample);
    camera->ReadDword("WaitTime", table.waitTime);
    camera->ReadDword("Clock", table.clock);
    return 1;
}

int SaveSizeTable(const SizeTable& table, int cameraNumber) {
    auto camera = CreateCameraKey(cameraNumber);
    if (!camera)
        return 0;
    // Entries at or above the count stay as they are: nothing is deleted.
    const int count = table.count < 0 ? 0 : (table.count > kMaxSizeEntries ? kMaxSizeEntries : table.count);
    for (int index = 0; index < count; ++index) {
        auto entry = RegistryKey::Create(camera.get(), SizeEntryName(index));
        if (!entry)
            break;
        for (int i = 0; i < CaptureWindow::kFieldCount; ++i) {
            entry->WriteDword(kSizeValues[i], static_cast<uint32_t>(table.entries[index][i]));
        }
    }
    WriteFormat(*camera, table);
    return 1;
}

std::optional<CaptureWindow::Values> FindStoredSize(int32_t width, int32_t height, int cameraNumber) {
    auto camera = OpenCameraKey(cameraNumber);
    if (!camera)
        return std::nullopt;
    for (int index = 0; index < kMaxSizeEntries; ++index) {
        auto entry = RegistryKey::Open(camera.get(), SizeEntryName(index));
        if (!entry)
            break;
        const CaptureWindow::Values values = ReadEntry(*entry);
        if (values[2] == width && values[3] == height)
            return values;  // EH, EV
    }
    return std::nullopt;
}

}  // namespace tavrin
