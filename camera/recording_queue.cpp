#include "camera/recording_queue.h"

#include <algorithm>
#include <new>

#include "imaging/recording_frame.h"

namespace tavrin {

namespace {

constexpr int64_t kQueueBytes = int64_t{32} << 20;
constexpr int64_t kFewestSlots = 8;
constexpr int64_t kMostSlots = 256;

}  // namespace

bool RecordingQueue::Allocate(int32_t width, int32_t height) {
    const int64_t frameBytes = std::max<int64_t>(1, int64_t{width} * height * 3);
    const int64_t count = std::clamp(kQueueBytes / frameBytes, kFewestSlots, kMostSlots);
    std::lock_guard lock(mutex_);
    front_ = 0;
    count_ = 0;
    missed_ = 0;
    slots_.clear();
    try {
        slots_.resize(static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (Slot& slot : slots_) {
        if (!slot.frame.Create(width, height, 24)) {
            slots_.clear();
            return false;
        }
    }
    return true;
}

bool RecordingQueue::Push(const CDibImage& output, uint64_t captureTimeNs) {
    int back = 0;
    {
        std::lock_guard lock(mutex_);
        if (closed_ || count_ == static_cast<int>(slots_.size())) {
            missed_ += closed_ ? 0 : 1;
            return false;
        }
        back = (front_ + count_) % static_cast<int>(slots_.size());
    }
    // Only this thread fills slots, and the writer reads none beyond the
    // count, so the conversion needs no lock.
    Slot& slot = slots_[static_cast<size_t>(back)];
    if (!ConvertToRecordingFrame(output, slot.frame)) {
        return false;
    }
    slot.captureTimeNs = captureTimeNs;
    {
        std::lock_guard lock(mutex_);
        ++count_;
    }
    filled_.notify_one();
    return true;
}

bool RecordingQueue::WaitFront(const CDibImage*& frame, uint64_t& captureTimeNs) {
    std::unique_lock lock(mutex_);
    filled_.wait(lock, [this] { return count_ > 0 || closed_; });
    if (count_ == 0) {
        return false;
    }
    const Slot& slot = slots_[static_cast<size_t>(front_)];
    frame = &slot.frame;
    captureTimeNs = slot.captureTimeNs;
    return true;
}

void RecordingQueue::Pop() {
    std::lock_guard lock(mutex_);
    if (count_ > 0) {
        front_ = (front_ + 1) % static_cast<int>(slots_.size());
        --count_;
    }
}

void RecordingQueue::Close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    filled_.notify_all();
}

void RecordingQueue::Open() {
    std::lock_guard lock(mutex_);
    closed_ = false;
}

uint64_t RecordingQueue::Missed() const {
    std::lock_guard lock(mutex_);
    return missed_;
}

}  // namespace tavrin
