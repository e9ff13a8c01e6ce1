// One simulated camera as its driver presents it: registers, serial ROM,
// reply pipe, frame pipe with the sensor's timing, trigger input, faults and
// the log of requests. Every member is safe to call from any thread.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "TavrinSim.h"
#include "sim/io_log.h"
#include "sim/scene.h"
#include "sim/sim_config.h"

namespace tavrin::sim {

using Clock = std::chrono::steady_clock;

class SimCamera {
public:
    SimCamera(int slot, const SimConfig& config);
    SimCamera(const SimCamera&) = delete;
    SimCamera& operator=(const SimCamera&) = delete;

    // The generation names one plugged-in period; handles of an earlier one
    // no longer reach the camera.
    std::optional<uint32_t> Open();
    void SetPresent(bool present);

    // Requests through the port; generation is the handle's. Each returns the
    // driver's result (1/0) and the bytes moved.
    int Command(uint32_t generation, const uint8_t* block, uint32_t length, uint32_t& moved);
    int Reply(uint32_t generation, uint8_t* block, uint32_t length, uint32_t& moved);
    int Frame(uint32_t generation, bool largeCode, uint8_t* data, uint32_t length, uint32_t& moved);
    int SetParameter(uint32_t generation, const uint8_t* record, uint32_t length);
    void Log(const TavrinSimRecord& record);

    // The control API.
    void FireTrigger();
    void SetPattern(int pattern, int level);
    void LoadFrame(std::shared_ptr<const LoadedFrame> frame);
    void InjectFault(int fault, int count);
    void ClearLog();
    size_t CopyLog(TavrinSimRecord* records, size_t capacity) const;
    int ControlRegister(int reg) const;
    int SensorRegister(int reg) const;
    void SetSromByte(int address, int value);
    int FrameCount() const;
    // The CPU time frame transfers spent making frame bytes and copying them
    // into the reader's buffer, in nanoseconds.
    uint64_t FillNanoseconds() const { return fillNanoseconds_.load(std::memory_order_relaxed); }

private:
    using Lock = std::unique_lock<std::mutex>;
    struct PendingTail {
        std::shared_ptr<const std::vector<uint8_t>> frame;
        size_t offset = 0;
    };

    void PowerUp();
    bool Usable(uint32_t generation) const { return present_ && generation == generation_; }
    bool TakeFault(int fault);
    void WriteControl(uint8_t reg, uint8_t value);
    void QueueReplies(uint8_t command, uint8_t value);
    uint32_t TransferSamples() const;
    bool SixteenBit() const { return (control_[14] & 1) != 0; }
    bool TriggerMode() const { return (control_[11] & 1) != 0; }
    Clock::duration FramePeriod() const;
    std::optional<Clock::time_point> WaitLimit(Clock::time_point from) const;
    bool WaitUntil(Lock& lock, uint32_t generation, std::optional<Clock::time_point> deadline);
    std::optional<Clock::time_point> FrameReadyTime(Lock& lock, uint32_t generation, Clock::time_point start);
    std::shared_ptr<const std::vector<uint8_t>> RenderedFrame();

    const SimConfig config_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool present_;
    uint32_t generation_ = 1;
    std::array<uint8_t, 256> control_{};
    std::vector<uint16_t> sensor_;
    std::vector<uint8_t> srom_;
    uint8_t bitDepthCommand_ = 0;
    uint32_t driverWaitMs_ = 3000;
    std::deque<std::array<uint8_t, 64>> replies_;
    std::optional<Clock::time_point> requestTime_;
    std::optional<Clock::time_point> lastFrameEnd_;
    std::deque<Clock::time_point> triggers_;
    PendingTail tail_;
    std::array<int, 6> faults_{};
    int frameCount_ = 0;
    std::atomic<uint64_t> fillNanoseconds_{0};
    ContentSettings content_;
    ContentSettings renderedFor_;
    size_t renderedSamples_ = 0;
    bool renderedSixteenBit_ = false;
    std::shared_ptr<const std::vector<uint8_t>> rendered_;
    IoLog log_;
};

}  // namespace tavrin::sim
