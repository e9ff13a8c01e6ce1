// The TavrinSim_ functions, and the registration that lets the driver port
// choose the simulator when TAVRIN_SIM is set.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "TavrinSim.h"
#include "platform/driver.h"
#include "sim/simulator.h"

namespace tavrin::sim {

namespace {

std::shared_ptr<platform::DriverBackend> CreateSimulator(const std::string& setting) {
    return std::make_shared<Simulator>(ParseSimConfig(setting));
}

// Registers the simulator when the library is loaded.
struct Registration {
    Registration() { platform::RegisterSimulator(&CreateSimulator); }
} registration;

// The active simulator and one of its cameras. The backend reference keeps
// the simulator alive for the length of the call.
struct Target {
    std::shared_ptr<Simulator> simulator;
    SimCamera* camera = nullptr;
};

Target Find(int slot) {
    Target target;
    target.simulator = std::dynamic_pointer_cast<Simulator>(platform::CurrentDriverBackend());
    if (target.simulator) {
        target.camera = target.simulator->Camera(slot);
    }
    return target;
}

// Runs action on the slot's camera: 1 when done, 0 when the simulator is not
// active, the slot is unknown or an argument is out of range.
template <typename Action>
int WithCamera(int slot, bool argumentsValid, Action action) {
    const Target target = Find(slot);
    if (target.camera == nullptr || !argumentsValid) {
        return 0;
    }
    action(*target.camera);
    return 1;
}

}  // namespace

}  // namespace tavrin::sim

using tavrin::sim::SimCamera;
using tavrin::sim::WithCamera;

extern "C" {

TAVRIN_API int TavrinSim_IsActive(void) {
    return std::dynamic_pointer_cast<tavrin::sim::Simulator>(tavrin::platform::CurrentDriverBackend()) ? 1 : 0;
}

TAVRIN_API int TavrinSim_SetPresent(int slot, int present) {
    return WithCamera(slot, true, [&](SimCamera& camera) { camera.SetPresent(present != 0); });
}

TAVRIN_API int TavrinSim_FireTrigger(int slot) {
    return WithCamera(slot, true, [](SimCamera& camera) { camera.FireTrigger(); });
}

TAVRIN_API int TavrinSim_SetPattern(int slot, int pattern, int level) {
    const bool valid = pattern >= 0 && pattern <= 3 && level >= 0 && level <= 1023;
    return WithCamera(slot, valid, [&](SimCamera& camera) { camera.SetPattern(pattern, level); });
}

TAVRIN_API int TavrinSim_LoadFrame(int slot, const unsigned short* samples, int width, int height) {
    const bool valid = samples != nullptr && width > 0 && height > 0 && int64_t{width} * height <= (int64_t{1} << 26);
    return WithCamera(slot, valid, [&](SimCamera& camera) {
        auto frame = std::make_shared<tavrin::sim::LoadedFrame>();
        frame->width = width;
        frame->height = height;
        frame->samples.assign(samples, samples + static_cast<size_t>(width) * static_cast<size_t>(height));
        for (uint16_t& sample : frame->samples) {
            sample &= 0x3FF;
        }
        camera.LoadFrame(std::move(frame));
    });
}

TAVRIN_API int TavrinSim_InjectFault(int slot, int fault, int count) {
    const bool valid = fault >= TAVRINSIM_FAULT_FRAME_FAILS && fault <= TAVRINSIM_FAULT_OPEN_FAILS && count >= 0;
    return WithCamera(slot, valid, [&](SimCamera& camera) { camera.InjectFault(fault, count); });
}

TAVRIN_API int TavrinSim_ClearLog(int slot) {
    return WithCamera(slot, true, [](SimCamera& camera) { camera.ClearLog(); });
}

TAVRIN_API int TavrinSim_GetLog(int slot, TavrinSimRecord* records, int capacity) {
    int copied = 0;
    WithCamera(slot, records != nullptr && capacity > 0, [&](SimCamera& camera) {
        copied = static_cast<int>(camera.CopyLog(records, static_cast<size_t>(capacity)));
    });
    return copied;
}

TAVRIN_API int TavrinSim_GetControlRegister(int slot, int reg) {
    const tavrin::sim::Target target = tavrin::sim::Find(slot);
    if (!target.simulator) {
        return 0;
    }
    return target.camera != nullptr ? target.camera->ControlRegister(reg) : -1;
}

TAVRIN_API int TavrinSim_GetSensorRegister(int slot, int reg) {
    const tavrin::sim::Target target = tavrin::sim::Find(slot);
    if (!target.simulator) {
        return 0;
    }
    return target.camera != nullptr ? target.camera->SensorRegister(reg) : -1;
}

TAVRIN_API int TavrinSim_SetSromByte(int slot, int address, int value) {
    const bool valid = address >= 0 && address <= 0xFFFF && value >= 0 && value <= 255;
    return WithCamera(slot, valid, [&](SimCamera& camera) { camera.SetSromByte(address, value); });
}

TAVRIN_API int TavrinSim_GetFrameCount(int slot) {
    const tavrin::sim::Target target = tavrin::sim::Find(slot);
    if (!target.simulator) {
        return 0;
    }
    return target.camera != nullptr ? target.camera->FrameCount() : -1;
}

TAVRIN_API int TavrinSim_GetFillTime(int slot, unsigned long long* nanoseconds) {
    const tavrin::sim::Target target = tavrin::sim::Find(slot);
    if (!target.simulator || nanoseconds == nullptr) {
        return 0;
    }
    if (target.camera == nullptr) {
        return -1;
    }
    *nanoseconds = target.camera->FillNanoseconds();
    return 1;
}

TAVRIN_API int TavrinSim_GetReplayReport(char* text, int size) {
    const auto simulator = std::dynamic_pointer_cast<tavrin::sim::Simulator>(tavrin::platform::CurrentDriverBackend());
    if (!simulator || text == nullptr || size <= 0) {
        return 0;
    }
    const std::string report = simulator->ReplayReport();
    if (report.empty()) {
        return 0;
    }
    const size_t count = std::min(report.size(), static_cast<size_t>(size) - 1);
    std::memcpy(text, report.data(), count);
    text[count] = '\0';
    return 1;
}

}  // extern "C"
