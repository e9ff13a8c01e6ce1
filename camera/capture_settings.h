// Where the preview window goes once an acquisition creates it: its parent
// (null for a top-level window) and its rectangle. Tavrin_SetPreviewWindow
// stores them; the preview window reads them when it is created.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/messages.h"
#include "records/model_facts.h"

namespace tavrin {

struct PreviewPlacement {
    std::atomic<platform::WindowHandle> parent{nullptr};
    std::atomic<int32_t> x{0};
    std::atomic<int32_t> y{0};
    std::atomic<int32_t> width{model::kSensorWidth};
    std::atomic<int32_t> height{model::kSensorHeight};

    void SetRectangle(int32_t left, int32_t top, int32_t w, int32_t h) {
        x.store(left, std::memory_order_relaxed);
        y.store(top, std::memory_order_relaxed);
        width.store(w, std::memory_order_relaxed);
        height.store(h, std::memory_order_relaxed);
    }
};

}  // namespace tavrin
