#include "device/frame_ring.h"

#include <new>

namespace tavrin::device {

bool FrameRing::Allocate(int slotCount, int64_t slotLength) {
    Release();
    if (slotCount <= 0 || slotLength <= 0) {
        return false;
    }
    try {
        slots_.reserve(static_cast<size_t>(slotCount));
        for (int i = 0; i < slotCount; ++i) {
            // Value-initialised, so every slot starts zeroed.
            slots_.emplace_back(new uint8_t[static_cast<size_t>(slotLength)]());
        }
    } catch (const std::bad_alloc&) {
        Release();
        return false;
    }
    slotLength_ = slotLength;
    return true;
}

void FrameRing::Release() {
    slots_.clear();
    slots_.shrink_to_fit();
    slotLength_ = 0;
}

}  // namespace tavrin::device
