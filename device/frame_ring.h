// The frame ring: a fixed number of equally long, zero-initialised frame
// buffers that the transfer thread fills and the reader takes, allocated once
// per frame geometry; nothing is allocated per frame.
//
// Each slot is in one of four states, kept under one lock:
//  - free: the writer may take it;
//  - writing: the transfer thread is filling it;
//  - ready: it holds the newest whole frame, not yet taken (at most one slot);
//  - held: a reader holds it through a FrameLease.
// The writer takes a free slot, or else the ready one (that frame is dropped:
// a newer one is coming). Publishing a frame makes it the ready one and frees
// an older ready frame. The reader takes the ready frame, so the next frame
// delivered is always the newest whole one, and a held slot is never
// written, however long the reader holds it.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace tavrin::device {

// What the transfer thread knows of a frame when its transfer ends.
struct FrameRecord {
    uint64_t number = 0;         // 1 for the first frame of a run; counts every frame the camera sent
    uint64_t captureTimeNs = 0;  // host monotonic clock when the transfer completed
    int32_t status = 0;          // 0 for a whole frame, else the device status of the failed transfer
};

class FrameRing;

// A whole frame in its ring slot, held until the lease goes out of scope (or
// Release), so the transfer thread writes elsewhere meanwhile. Move-only.
class FrameLease {
public:
    FrameLease() = default;
    FrameLease(FrameLease&& other) noexcept { *this = std::move(other); }
    FrameLease& operator=(FrameLease&& other) noexcept;
    FrameLease(const FrameLease&) = delete;
    FrameLease& operator=(const FrameLease&) = delete;
    ~FrameLease() { Release(); }

    explicit operator bool() const { return ring_ != nullptr; }
    uint8_t* Bits() const { return bits_; }
    const FrameRecord& Record() const { return record_; }
    // Gives the slot back to the ring now.
    void Release();

private:
    friend class FrameRing;
    FrameLease(FrameRing* ring, int slot, uint8_t* bits, const FrameRecord& record)
        : ring_(ring), slot_(slot), bits_(bits), record_(record) {}

    FrameRing* ring_ = nullptr;
    int slot_ = -1;
    uint8_t* bits_ = nullptr;
    FrameRecord record_{};
};

class FrameRing {
public:
    FrameRing() = default;
    FrameRing(const FrameRing&) = delete;
    FrameRing& operator=(const FrameRing&) = delete;

    // Replaces the slots with slotCount zeroed slots of slotLength bytes.
    // False (and no slots) when the memory is not there. Never while a lease
    // is out or the writer fills a slot.
    bool Allocate(int slotCount, int64_t slotLength);
    void Release();

    int SlotCount() const { return static_cast<int>(slots_.size()); }
    int64_t SlotLength() const { return slotLength_; }

    // Forgets a ready frame left from an earlier run; held slots stay held.
    void ForgetReady();

    // The writer's side. BeginWrite returns a slot to fill (-1 when every
    // slot is held, which a reader with one lease on a ring of two or more
    // never causes); Publish makes it the ready frame, Abandon frees it.
    int BeginWrite();
    uint8_t* SlotBits(int slot) { return slots_[static_cast<size_t>(slot)].bits.get(); }
    void Publish(int slot, const FrameRecord& record);
    void Abandon(int slot);

    // The reader's side: the ready frame, held by the returned lease; an
    // empty lease when no frame is ready.
    FrameLease TakeReady();
    // Leases out at the moment (for tests), and whether a frame is ready.
    int HeldCount() const;
    bool HasReady() const;

private:
    friend class FrameLease;
    enum class SlotState { Free, Writing, Ready, Held };
    struct Slot {
        std::unique_ptr<uint8_t[]> bits;
        SlotState state = SlotState::Free;
        FrameRecord record{};
    };
    void GiveBack(int slot);

    mutable std::mutex mutex_;
    std::vector<Slot> slots_;
    int ready_ = -1;  // the slot in state Ready, or -1
    int64_t slotLength_ = 0;
};

}  // namespace tavrin::device
