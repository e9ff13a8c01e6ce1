// The part of the driver port that is the same on every platform: choosing
// the backend and forwarding the calls. Included once by each platform's
// driver.cpp, which supplies CreateSystemDriverBackend.
#pragma once

#include <atomic>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/driver.h"
#include "platform/handle_table.h"
#include "platform/environment.h"
#include "platform/time.h"

namespace tavrin::platform {

std::shared_ptr<DriverBackend> CreateSystemDriverBackend();

namespace {

std::atomic<SimulatorFactory> registeredSimulator{nullptr};

struct ObserverEntry {
    std::string path;
    std::shared_ptr<DriverObserver> observer;
};
using Observers = std::vector<std::shared_ptr<DriverObserver>>;

struct PortState {
    std::mutex mutex;
    std::shared_ptr<DriverBackend> backend;
    // The path of every open handle, so that an observer that comes while a
    // handle is open (a stream already running) still sees its requests.
    std::mutex observersMutex;
    HandleTable<std::string> handlePaths;
    std::vector<ObserverEntry> observers;
    std::atomic<size_t> observerCount{0};
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

namespace {

bool Watched() { return Port().observerCount.load(std::memory_order_acquire) != 0; }

// With observersMutex held.
Observers ObserversOf(const std::string& path) {
    Observers found;
    for (const ObserverEntry& entry : Port().observers) {
        if (entry.path == path) {
            found.push_back(entry.observer);
        }
    }
    return found;
}

Observers ObserversOfHandle(DeviceHandle handle) {
    PortState& port = Port();
    std::lock_guard lock(port.observersMutex);
    const std::string* path = port.handlePaths.Find(handle);
    return path != nullptr ? ObserversOf(*path) : Observers{};
}

int ObservedIoControl(const std::shared_ptr<DriverBackend>& backend, const Observers& observers, DriverRequest& request,
                      void* output, uint32_t* bytesReturned) {
    uint8_t before[kKeptOutputBytes];
    if (output != nullptr && request.outputLength <= kKeptOutputBytes) {
        std::memcpy(before, output, request.outputLength);
        request.outputBefore = before;
        request.outputBeforeLength = request.outputLength;
    }
    uint32_t moved = 0;
    request.startNs = MonotonicNanoseconds();
    request.result = backend->IoControl(request.handle, request.code, request.input, request.inputLength, output,
                                        request.outputLength, &moved);
    request.endNs = MonotonicNanoseconds();
    request.bytesReturned = moved;
    request.output = output;
    if (bytesReturned != nullptr) {
        *bytesReturned = moved;
    }
    for (const auto& observer : observers) {
        observer->Requested(request);
    }
    return request.result;
}

}  // namespace

void AttachDriverObserver(const std::string& path, std::shared_ptr<DriverObserver> observer) {
    PortState& port = Port();
    std::lock_guard lock(port.observersMutex);
    port.observers.push_back({path, std::move(observer)});
    port.observerCount.store(port.observers.size(), std::memory_order_release);
}

void DetachDriverObserver(const DriverObserver* observer) {
    PortState& port = Port();
    std::lock_guard lock(port.observersMutex);
    std::erase_if(port.observers, [&](const ObserverEntry& entry) { return entry.observer.get() == observer; });
    port.observerCount.store(port.observers.size(), std::memory_order_release);
}

DeviceHandle DriverOpen(const char* path) {
    const std::shared_ptr<DriverBackend> backend = CurrentDriverBackend();
    const bool watched = Watched();
    const uint64_t startNs = watched ? MonotonicNanoseconds() : 0;
    const DeviceHandle handle = backend->Open(path);
    const uint64_t endNs = watched ? MonotonicNanoseconds() : 0;
    if (path == nullptr) {
        return handle;
    }
    Observers observers;
    {
        PortState& port = Port();
        std::lock_guard lock(port.observersMutex);
        if (handle != kInvalidDeviceHandle && handle != kNullDeviceHandle) {
            port.handlePaths.Put(handle).assign(path);  // keeps the memory of an earlier path
        }
        if (watched) {
            observers = ObserversOf(path);
        }
    }
    for (const auto& observer : observers) {
        observer->Opened(path, handle, startNs, endNs);
    }
    return handle;
}

int DriverIoControl(DeviceHandle handle, uint32_t code, const void* input, uint32_t inputLength, void* output,
                    uint32_t outputLength, uint32_t* bytesReturned) {
    const std::shared_ptr<DriverBackend> backend = CurrentDriverBackend();
    if (Watched()) {
        const Observers observers = ObserversOfHandle(handle);
        if (!observers.empty()) {
            DriverRequest request;
            request.handle = handle;
            request.code = code;
            request.input = input;
            request.inputLength = inputLength;
            request.outputLength = outputLength;
            return ObservedIoControl(backend, observers, request, output, bytesReturned);
        }
    }
    return backend->IoControl(handle, code, input, inputLength, output, outputLength, bytesReturned);
}

void DriverMarkPath(const char* path, DriverMark mark) {
    if (path != nullptr) {
        CurrentDriverBackend()->Mark(path, mark);
    }
}

int DriverClose(DeviceHandle handle) {
    const std::shared_ptr<DriverBackend> backend = CurrentDriverBackend();
    const bool watched = Watched();
    const uint64_t startNs = watched ? MonotonicNanoseconds() : 0;
    const int result = backend->Close(handle);
    const uint64_t endNs = watched ? MonotonicNanoseconds() : 0;
    Observers observers;
    {
        PortState& port = Port();
        std::lock_guard lock(port.observersMutex);
        if (const std::string* path = port.handlePaths.Find(handle)) {
            if (watched) {
                observers = ObserversOf(*path);
            }
            port.handlePaths.Erase(handle);
        }
    }
    for (const auto& observer : observers) {
        observer->Closed(handle, result, startNs, endNs);
    }
    return result;
}

bool DriverWaitsForReader() { return CurrentDriverBackend()->WaitsForReader(); }

void DriverSettle(uint32_t milliseconds) {
    if (CurrentDriverBackend()->NeedsSettleTime()) {
        Sleep(milliseconds);
    }
}

}  // namespace tavrin::platform
