// The frame ring: a fixed number of equally long, zero-initialised frame
// buffers that the transfer thread fills in turn. It is allocated once per
// frame geometry; nothing is allocated per frame.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace tavrin::device {

class FrameRing {
public:
    FrameRing() = default;
    FrameRing(const FrameRing&) = delete;
    FrameRing& operator=(const FrameRing&) = delete;

    // Replaces the slots with slotCount zeroed slots of slotLength bytes.
    // False (and no slots) when the memory is not there.
    bool Allocate(int slotCount, int64_t slotLength);
    void Release();

    int SlotCount() const { return static_cast<int>(slots_.size()); }
    int64_t SlotLength() const { return slotLength_; }
    uint8_t* Slot(int index) { return slots_[static_cast<size_t>(index)].get(); }
    const uint8_t* Slot(int index) const { return slots_[static_cast<size_t>(index)].get(); }

private:
    std::vector<std::unique_ptr<uint8_t[]>> slots_;
    int64_t slotLength_ = 0;
};

}  // namespace tavrin::device
