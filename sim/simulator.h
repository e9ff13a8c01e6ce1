// The simulated driver: a driver backend that accepts the camera's device
// paths, I/O control codes, pipe records and command blocks, and hands each
// request to the simulated camera of its slot.
#pragma once

#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/driver.h"
#include "platform/handle_table.h"
#include "sim/replay_camera.h"
#include "sim/sim_camera.h"
#include "sim/sim_config.h"

namespace tavrin::sim {

class Simulator final : public platform::DriverBackend {
public:
    explicit Simulator(const SimConfig& config);

    platform::DeviceHandle Open(const char* path) override;
    int IoControl(platform::DeviceHandle handle, uint32_t code, const void* input, uint32_t inputLength, void* output,
                  uint32_t outputLength, uint32_t* bytesReturned) override;
    int Close(platform::DeviceHandle handle) override;
    bool NeedsSettleTime() const override { return needsSettleTime_; }
    bool WaitsForReader() const override { return waitsForReader_; }
    void Mark(const char* path, platform::DriverMark mark) override;

    // The camera of a slot 0 to 31, or null.
    SimCamera* Camera(int slot);

    // With a replay in slot 0: why it could not start, or the strict
    // replay's report of the first request that differed; else empty.
    std::string ReplayReport() const;

    // The slot a device path names, or nothing for any other path.
    static std::optional<int> SlotOfPath(const char* path);

private:
    struct OpenHandle {
        int slot;
        uint32_t generation;
    };

    std::optional<OpenHandle> Find(platform::DeviceHandle handle);
    void StartReplay(const ReplaySettings& settings);
    // The simulated camera's answer; logged when log is set.
    int Answer(SimCamera& camera, uint32_t generation, uint32_t code, const void* input, uint32_t inputLength,
               void* output, uint32_t outputLength, uint32_t& moved, bool log);
    int PipeRequest(SimCamera& camera, uint32_t generation, uint32_t code, uint32_t pipe, void* output,
                    uint32_t outputLength, uint32_t& moved, TavrinSimRecord& record, bool log);

    static TavrinSimRecord ReplayedRecord(uint32_t code, const void* input, uint32_t inputLength, const void* output,
                                          uint32_t outputLength, uint32_t moved);

    bool needsSettleTime_;
    bool waitsForReader_;  // a replay with pace=fast
    std::array<std::unique_ptr<SimCamera>, kSlotCount> cameras_;
    std::unique_ptr<ReplayCamera> replay_;
    std::string replayError_;
    std::mutex handlesMutex_;
    platform::HandleTable<OpenHandle> handles_;
};

}  // namespace tavrin::sim
