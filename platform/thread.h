// Threads with a priority and a finished event that a stopper can wait on.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/sync.h"

namespace tavrin::platform {

enum class ThreadPriority { Normal, Highest, TimeCritical };

class Thread {
public:
    // Starts body on a new thread. Returns null when the thread or its
    // finished event cannot be created; nothing runs then.
    static std::unique_ptr<Thread> Start(std::function<void()> body, ThreadPriority priority);

    // Waits for the body to return; the destructor waits without a limit.
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Waits until the body has returned (ms, or kInfinite).
    WaitResult WaitFinished(uint32_t timeoutMs);
    bool Finished();
    // The priority the system actually granted (best effort on POSIX, where
    // it is known once the body has begun).
    ThreadPriority GrantedPriority() const;

private:
    struct Impl;
    explicit Thread(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace tavrin::platform
