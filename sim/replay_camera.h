// ReplayCamera: the camera of a recorded session, answering requests as
// the recording says. Frames come bit for bit in their recorded order, at
// their recorded pace or as fast as they are read; requests other than
// frame reads are found among the recorded exchanges near their place and
// answered with the recorded reply and result; the camera goes away and
// comes back where it did. What the recording does not hold is answered by
// the simulated camera behind it, which also follows every command, so it
// is ready to take over. In strict mode a request that differs from the
// recording fails instead, and the first one is reported.
//
// The replay starts over at the recording's beginning when the program
// finishes initializing a camera on the path and again when it starts a
// session recording, the point where the recorded one began. In strict
// mode requests before the first of these points go to the simulated
// camera unchecked, as do always the reads a starting recording makes for
// its header (they were not recorded either).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/driver.h"
#include "sim/recorded_session.h"
#include "sim/sim_camera.h"
#include "sim/sim_config.h"

namespace tavrin::sim {

class ReplayCamera {
public:
    // Answers a request as the simulated camera would, on a handle of its
    // generation.
    using CameraAnswer = std::function<int(uint32_t generation, uint32_t code, const void* input, uint32_t inputLength,
                                           void* output, uint32_t outputLength, uint32_t& moved)>;

    ReplayCamera(std::unique_ptr<RecordedSession> session, const ReplaySettings& settings, SimCamera& camera,
                 CameraAnswer answer);
    ~ReplayCamera();
    ReplayCamera(const ReplayCamera&) = delete;
    ReplayCamera& operator=(const ReplayCamera&) = delete;

    // An open of the path under the given handle value: false when the
    // camera is away now.
    bool Open(platform::DeviceHandle handle);
    bool Owns(platform::DeviceHandle handle) const;
    int IoControl(platform::DeviceHandle handle, uint32_t code, const void* input, uint32_t inputLength, void* output,
                  uint32_t outputLength, uint32_t& moved);
    int Close(platform::DeviceHandle handle);
    void Mark(platform::DriverMark mark);

    // The strict replay's report of the first request that differed; empty
    // while none did.
    std::string Report() const;

private:
    using Clock = std::chrono::steady_clock;
    enum class Role { kUnbound, kCommand, kStream, kCamera, kRefused };
    struct Handle {
        std::optional<uint32_t> generation;  // the simulated camera's
        uint64_t spell = 0;                  // spells away begun before it opened
        Role role = Role::kUnbound;
        size_t exchange = 0;
        size_t next = 0;  // the exchange's next request
    };
    // One request as it came, for matching and words.
    struct Incoming {
        uint32_t code;
        uint32_t pipe;
        std::span<const uint8_t> input;
        std::span<const uint8_t> sent;
        uint32_t outputLength;
    };
    using Lock = std::unique_lock<std::mutex>;

    void Restart();
    int ServeCommand(Lock& lock, platform::DeviceHandle id, const Incoming& request, void* output, uint32_t& moved);
    int ServeRecorded(Lock& lock, Handle& handle, const RecordedRequest& recorded, const Incoming& request,
                      void* output, uint32_t& moved);
    int ServeFrame(Lock& lock, platform::DeviceHandle id, const Incoming& request, void* output, uint32_t& moved);
    int ServeEnd(Lock& lock);
    int AnswerAsCamera(Lock& lock, std::optional<uint32_t> generation, const Incoming& request, void* output,
                       uint32_t& moved);
    std::optional<size_t> FindExchange(const Incoming& request) const;
    void UseExchange(size_t exchange);
    Clock::time_point FrameReadyTime(size_t index, Clock::time_point start) const;
    int Refuse(const Incoming& request, const std::string& recorded, uint32_t& moved);
    std::string RecordedHere(const Handle& handle) const;

    // The camera's presence.
    void BeforeOpen();
    bool ArrivalDue(Clock::time_point now) const;
    void GoAway(bool forGood);
    void Arrive();
    void AfterFrame();

    const std::unique_ptr<RecordedSession> session_;
    const ReplaySettings settings_;
    SimCamera& camera_;
    const CameraAnswer answer_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool closing_ = false;
    bool armed_;
    bool armedBeforePreparing_ = false;
    std::unordered_map<platform::DeviceHandle, Handle> handles_;
    std::vector<bool> exchangeUsed_;
    size_t oldestUnused_ = 0;
    uint64_t commandRequests_ = 0;
    size_t nextFrame_ = 0;
    uint64_t servedFrames_ = 0;
    struct Served {
        size_t index;
        Clock::time_point ready;
    };
    std::optional<Served> lastServed_;
    bool away_ = false;
    bool awayForGood_ = false;
    size_t nextAbsence_ = 0;
    uint64_t spells_ = 0;
    Clock::time_point spellStart_{};
    uint32_t failedOpensInSpell_ = 0;
    uint64_t opensSinceBoundary_ = 0;
    uint32_t driverWaitMs_ = 3000;
    std::string report_;

    std::mutex frameReaderMutex_;  // the transfer thread's; held only while frame bytes are read
    session::FrameDataReader frameReader_;
};

}  // namespace tavrin::sim
