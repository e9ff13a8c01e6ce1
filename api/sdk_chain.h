// The process-wide handle chain: maps the integer handles given to
// applications to their camera objects.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/messages.h"

namespace tavrin {

class CTavrin;

class CSdkChain final {
public:
    // The handle draws from the tick count and the runtime's unseeded
    // pseudo-random sequence; tests may give a sequence of their own.
    using HandleSource = std::function<uint32_t()>;
    explicit CSdkChain(HandleSource source = TickAndRandom);
    ~CSdkChain();
    CSdkChain(const CSdkChain&) = delete;
    CSdkChain& operator=(const CSdkChain&) = delete;

    // Makes and initializes a camera object for a new handle; 0 when the
    // object cannot be made. A failed initialization still yields a handle.
    int CreateHandle(platform::WindowHandle notifyWindow);

    // The camera behind the handle, held for the caller; null if unknown.
    std::shared_ptr<CTavrin> Lookup(int handle) const;

    // Unregisters the handle at once; the camera object goes with the last
    // reference. 1, or 0 for an unknown handle.
    int Release(int handle);

    int Count() const;

private:
    static uint32_t TickAndRandom();
    int DrawHandle() const;  // with lock_ held

    HandleSource source_;
    // Held only for the map operation itself, never while a camera object is
    // made, initialized, called or destroyed.
    mutable std::mutex lock_;
    // Shared with the exports in flight, so that a handle released while
    // another thread is still inside an export for it is destroyed only when
    // that call returns, never under it.
    std::unordered_map<int, std::shared_ptr<CTavrin>> cameras_;
};

// The one chain of the process.
CSdkChain& SdkChain();

}  // namespace tavrin
