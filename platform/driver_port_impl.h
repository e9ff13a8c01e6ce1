// The part of the driver port that is the same on every platform: choosing
// the backend and forwarding the calls. Included once by each platform's
// driver.cpp, which supplies CreateSystemDriverBackend.
#pragma once

#include <atomic>
#include <mutex>
#include <utility>

#include "platform/driver.h"
#include "platform/environment.h"
#include "platform/time.h"

namespace tavrin::platform {

std::shared_ptr<DriverBackend> CreateSystemDriverBackend();

namespace {

std::atomic<SimulatorFactory> registeredSimulator{nullptr};

struct PortState {
    std::mutex mutex;
    std::shared_ptr<DriverBackend> backend;
};

PortState& Port() {
    static PortState state;
    return state;
}

std::shared_ptr<DriverBackend> ChooseBackend() {
    const std::optional<std::string> setting = GetEnvironment("TAVRIN_SIM");
    const SimulatorFactory simulator = registeredSimulator.load(std::memory_order_acquire);
    if (setting && simulator != nullptr) {
        if (std::shared_ptr<DriverBackend> backend = simulator(*setting)) {
            return backend;
        }
    }
    return CreateSystemDriverBackend();
}

}  // namespace

void RegisterSimulator(SimulatorFactory factory) { registeredSimulator.store(factory, std::memory_order_release); }

std::shared_ptr<DriverBackend> CurrentDriverBackend() {
    PortState& port = Port();
    std::lock_guard lock(port.mutex);
    if (!port.backend) {
        port.backend = ChooseBackend();
    }
    return port.backend;
}

void ResetDriverPort() {
    PortState& port = Port();
    std::shared_ptr<DriverBackend> old;
    {
        std::lock_guard lock(port.mutex);
        old = std::exchange(port.backend, nullptr);
    }
    // The old backend goes here, outside the lock, once its last user is done.
}

DeviceHandle DriverOpen(const char* path) { return CurrentDriverBackend()->Open(path); }

int DriverIoControl(DeviceHandle handle, uint32_t code, const void* input, uint32_t inputLength, void* output,
                    uint32_t outputLength, uint32_t* bytesReturned) {
    return CurrentDriverBackend()->IoControl(handle, code, input, inputLength, output, outputLength, bytesReturned);
}

int DriverClose(DeviceHandle handle) { return CurrentDriverBackend()->Close(handle); }

void DriverSettle(uint32_t milliseconds) {
    if (CurrentDriverBackend()->NeedsSettleTime()) {
        Sleep(milliseconds);
    }
}

}  // namespace tavrin::platform
