// The frame pipe: when a frame is ready, what it holds, and how a read of
// the wrong length or a fault shows to the reader.
#include <algorithm>
#include <cstring>

#include "platform/time.h"
#include "sim/sim_camera.h"

namespace tavrin::sim {

namespace {

// The sensor reads one line in 3080 clocks of 36 MHz.
constexpr auto kLineTime = std::chrono::nanoseconds(3080LL * 1000000000LL / 36000000LL);
constexpr uint32_t kLargeFrameBytes = 3072000;
// More than the camera could ever hold in its frame memory.
constexpr size_t kLargestFrameBytes = size_t{64} << 20;

}  // namespace

uint32_t SimCamera::TransferSamples() const {
    return control_[0] | control_[1] << 8 | control_[2] << 16 | static_cast<uint32_t>(control_[3]) << 24;
}

Clock::duration SimCamera::FramePeriod() const {
    if (config_.intervalMs >= 0) {
        return std::chrono::milliseconds(config_.intervalMs);
    }
    // Exposure longer than the readout stretches the frame.
    const uint64_t lines = std::max<uint64_t>(1, (uint64_t{TransferSamples()} + kSensorWidth - 1) / kSensorWidth);
    return kLineTime * static_cast<int64_t>(std::max<uint64_t>(lines, sensor_[154]));
}

std::optional<Clock::time_point> SimCamera::WaitLimit(Clock::time_point from) const {
    if (driverWaitMs_ == 0) {
        return std::nullopt;  // the driver waits without a limit
    }
    return from + std::chrono::milliseconds(driverWaitMs_);
}

// Waits until the deadline (or without one until woken for good); false when
// the camera went away meanwhile.
bool SimCamera::WaitUntil(Lock& lock, uint32_t generation, std::optional<Clock::time_point> deadline) {
    auto gone = [&] { return !Usable(generation); };
    if (deadline) {
        changed_.wait_until(lock, *deadline, gone);
    } else {
        changed_.wait(lock, gone);
    }
    return Usable(generation);
}

// When the next frame is complete, or nothing when the driver gives up first
// (after waiting its wait) or the camera goes away.
std::optional<Clock::time_point> SimCamera::FrameReadyTime(Lock& lock, uint32_t generation, Clock::time_point start) {
    const std::optional<Clock::time_point> limit = WaitLimit(start);
    Clock::time_point begin = requestTime_.value_or(start);
    if (TriggerMode()) {
        auto triggered = [&] { return !triggers_.empty() || !Usable(generation); };
        if (limit) {
            changed_.wait_until(lock, *limit, triggered);
        } else {
            changed_.wait(lock, triggered);
        }
        if (triggers_.empty() || !Usable(generation)) {
            return std::nullopt;
        }
        begin = triggers_.front();
        triggers_.pop_front();
    }
    if (lastFrameEnd_ && *lastFrameEnd_ > begin) {
        begin = *lastFrameEnd_;
    }
    const Clock::time_point ready = begin + FramePeriod();
    if (limit && ready > *limit) {
        WaitUntil(lock, generation, limit);
        return std::nullopt;
    }
    return ready;
}

std::shared_ptr<const std::vector<uint8_t>> SimCamera::RenderedFrame() {
    ContentSettings now = content_;
    now.exposureLines = sensor_[154];
    now.gain = sensor_[4];
    const size_t samples = TransferSamples();
    if (!rendered_ || !(now == renderedFor_) || samples != renderedSamples_ || SixteenBit() != renderedSixteenBit_) {
        std::vector<uint16_t> values(samples);
        RenderSamples(now, values.data(), values.size());
        rendered_ = std::make_shared<const std::vector<uint8_t>>(PackSamples(values, SixteenBit()));
        renderedFor_ = now;
        renderedSamples_ = samples;
        renderedSixteenBit_ = SixteenBit();
    }
    return rendered_;
}

int SimCamera::Frame(uint32_t generation, bool largeCode, uint8_t* data, uint32_t length, uint32_t& moved) {
    moved = 0;
    Lock lock(mutex_);
    const Clock::time_point start = Clock::now();
    const size_t frameBytes = size_t{TransferSamples()} * (SixteenBit() ? 2 : 1);
    if (!Usable(generation) || data == nullptr || (!largeCode && length >= kLargeFrameBytes) ||
        frameBytes > kLargestFrameBytes || TakeFault(TAVRINSIM_FAULT_FRAME_FAILS)) {
        return 0;
    }
    if (TakeFault(TAVRINSIM_FAULT_FRAME_STALLS)) {
        WaitUntil(lock, generation, WaitLimit(start));
        return 0;
    }
    std::shared_ptr<const std::vector<uint8_t>> frame;
    size_t offset = 0;
    size_t available = 0;
    uint64_t fillStart = 0;  // the thread's CPU time when the waiting was over
    if (tail_.frame) {
        fillStart = platform::ThreadCpuNanoseconds();
        // The rest of a frame that the last read had no room for.
        frame = std::move(tail_.frame);
        offset = tail_.offset;
        available = frame->size() - offset;
        tail_ = {};
    } else {
        const std::optional<Clock::time_point> ready = FrameReadyTime(lock, generation, start);
        if (!ready || !WaitUntil(lock, generation, *ready)) {
            return 0;
        }
        requestTime_.reset();
        lastFrameEnd_ = *ready;
        fillStart = platform::ThreadCpuNanoseconds();
        frame = RenderedFrame();
        available = frame->size();
        if (TakeFault(TAVRINSIM_FAULT_FRAME_SHORT)) {
            available /= 2;
        } else if (length < available) {
            tail_ = {frame, length};
        }
        if (length > 0 && available > 0) {
            ++frameCount_;
        }
    }
    const size_t copied = std::min<size_t>(length, available);
    lock.unlock();
    std::memcpy(data, frame->data() + offset, copied);
    moved = static_cast<uint32_t>(copied);
    fillNanoseconds_.fetch_add(platform::ThreadCpuNanoseconds() - fillStart, std::memory_order_relaxed);
    return 1;
}

}  // namespace tavrin::sim
