// Test helper: a fresh simulated camera setup for the length of one test.
// Sets TAVRIN_SIM (or removes it) and makes the driver port choose anew.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "TavrinSim.h"
#include "platform/driver.h"
#include "platform/environment.h"

namespace tavrin::testing {

class SimSession {
public:
    // setting null: TAVRIN_SIM unset, the system's driver.
    explicit SimSession(const char* setting) {
        platform::SetEnvironment("TAVRIN_SIM", setting);
        platform::ResetDriverPort();
    }
    ~SimSession() {
        platform::ResetDriverPort();
        platform::SetEnvironment("TAVRIN_SIM", nullptr);
    }
    SimSession(const SimSession&) = delete;
    SimSession& operator=(const SimSession&) = delete;
};

inline std::vector<TavrinSimRecord> SimLog(int slot) {
    std::vector<TavrinSimRecord> records(8192);
    records.resize(static_cast<size_t>(TavrinSim_GetLog(slot, records.data(), static_cast<int>(records.size()))));
    return records;
}

// Polls until the condition holds or the time runs out.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace tavrin::testing
