// The simulated driver: a driver backend that accepts the camera's device
// paths, I/O control codes, pipe records and command blocks, and hands each
// request to the simulated camera of its slot.
#pragma once

#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "platform/driver.h"
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

    // The camera of a slot 0 to 31, or null.
    SimCamera* Camera(int slot);

    // The slot a device path names, or nothing for any other path.
    static std::optional<int> SlotOfPath(const char* path);

private:
    struct OpenHandle {
        int slot;
        uint32_t generation;
    };

    std::optional<OpenHandle> Find(platform::DeviceHandle handle);
    int PipeRequest(SimCamera& camera, uint32_t generation, uint32_t code, uint32_t pipe, void* output,
                    uint32_t outputLength, uint32_t& moved, TavrinSimRecord& record);

    bool needsSettleTime_;
    std::array<std::unique_ptr<SimCamera>, kSlotCount> cameras_;
    std::mutex handlesMutex_;
    std::unordered_map<platform::DeviceHandle, OpenHandle> handles_;
};

}  // namespace tavrin::sim
