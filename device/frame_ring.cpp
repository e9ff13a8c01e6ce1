#include "device/frame_ring.h"

#include <new>
#include <utility>

namespace tavrin::device {

FrameLease& FrameLease::operator=(FrameLease&& other) noexcept {
    if (this != &other) {
        Release();
        ring_ = std::exchange(other.ring_, nullptr);
        slot_ = std::exchange(other.slot_, -1);
        bits_ = std::exchange(other.bits_, nullptr);
        record_ = other.record_;
    }
    return *this;
}

void FrameLease::Release() {
    if (ring_ != nullptr) {
        ring_->GiveBack(slot_);
        ring_ = nullptr;
        slot_ = -1;
        bits_ = nullptr;
    }
}

bool FrameRing::Allocate(int slotCount, int64_t slotLength) {
    Release();
    if (slotCount <= 0 || slotLength <= 0) {
        return false;
    }
    std::lock_guard lock(mutex_);
    try {
        slots_.resize(static_cast<size_t>(slotCount));
        for (Slot& slot : slots_) {
            // Value-initialised, so every slot starts zeroed.
            slot.bits.reset(new uint8_t[static_cast<size_t>(slotLength)]());
        }
    } catch (const std::bad_alloc&) {
        slots_.clear();
        slots_.shrink_to_fit();
        return false;
    }
    slotLength_ = slotLength;
    return true;
}

void FrameRing::Release() {
    std::lock_guard lock(mutex_);
    slots_.clear();
    slots_.shrink_to_fit();
    ready_ = -1;
    slotLength_ = 0;
}

void FrameRing::ForgetReady() {
    std::lock_guard lock(mutex_);
    if (ready_ >= 0) {
        slots_[static_cast<size_t>(ready_)].state = SlotState::Free;
        ready_ = -1;
    }
}

int FrameRing::BeginWrite() {
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i].state == SlotState::Free) {
            slots_[i].state = SlotState::Writing;
            return static_cast<int>(i);
        }
    }
    // No free slot: the frame nobody took yet makes room for a newer one.
    const int taken = ready_;
    if (taken >= 0) {
        slots_[static_cast<size_t>(taken)].state = SlotState::Writing;
        ready_ = -1;
    }
    return taken;
}

void FrameRing::Publish(int slot, const FrameRecord& record) {
    std::lock_guard lock(mutex_);
    if (ready_ >= 0) {
        slots_[static_cast<size_t>(ready_)].state = SlotState::Free;
    }
    Slot& published = slots_[static_cast<size_t>(slot)];
    published.state = SlotState::Ready;
    published.record = record;
    ready_ = slot;
}

void FrameRing::Abandon(int slot) {
    std::lock_guard lock(mutex_);
    slots_[static_cast<size_t>(slot)].state = SlotState::Free;
}

FrameLease FrameRing::TakeReady() {
    std::lock_guard lock(mutex_);
    if (ready_ < 0) {
        return {};
    }
    Slot& slot = slots_[static_cast<size_t>(ready_)];
    slot.state = SlotState::Held;
    FrameLease lease(this, ready_, slot.bits.get(), slot.record);
    ready_ = -1;
    return lease;
}

void FrameRing::GiveBack(int slot) {
    std::lock_guard lock(mutex_);
    if (slot >= 0 && static_cast<size_t>(slot) < slots_.size()) {
        slots_[static_cast<size_t>(slot)].state = SlotState::Free;
    }
}

int FrameRing::HeldCount() const {
    std::lock_guard lock(mutex_);
    int held = 0;
    for (const Slot& slot : slots_) {
        held += slot.state == SlotState::Held ? 1 : 0;
    }
    return held;
}

bool FrameRing::HasReady() const {
    std::lock_guard lock(mutex_);
    return ready_ >= 0;
}

}  // namespace tavrin::device
