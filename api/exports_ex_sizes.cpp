// The size table's export: the stored readout windows of the handle's
// camera, read from the settings store.
#include <algorithm>
#include <cstddef>
#include <memory>

#include "TavrinEx.h"
#include "api/export_frame.h"
#include "settings/registry_store.h"

using tavrin::CallCamera;
using tavrin::CTavrin;

namespace {

// The store's seven values fill the public entry in their order.
static_assert(sizeof(TavrinSizeEntry) == sizeof(tavrin::CaptureWindow::Values));
static_assert(offsetof(TavrinSizeEntry, buffers) == 6 * sizeof(int32_t));

}  // namespace

extern "C" {

TAVRIN_API int TAVRIN_CALL TavrinEx_GetSizeTable(int h, TavrinSizeEntry* entries, int capacity, int* count,
                                                 int* selected) {
    return CallCamera(h, [=](CTavrin& c) {
        if (count == nullptr || capacity < 0 || (capacity > 0 && entries == nullptr)) {
            c.Context().Report(tavrin::kErrParameter);
            return 0;
        }
        auto table = std::make_unique<tavrin::SizeTable>();
        if (!tavrin::LoadSizeTable(*table, c.Context().DeviceIndex())) {
            table->count = 0;
            table->selected = 0;
        }
        *count = table->count;
        if (selected != nullptr) {
            *selected = table->selected;
        }
        const int filled = std::min(capacity, static_cast<int>(table->count));
        for (int i = 0; i < filled; ++i) {
            const tavrin::CaptureWindow::Values& values = table->entries[static_cast<size_t>(i)];
            entries[i] = TavrinSizeEntry{values[0], values[1], values[2], values[3], values[4], values[5], values[6]};
        }
        return 1;
    });
}

}  // extern "C"
