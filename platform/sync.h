// Locks and events with Win32 meaning: a critical section is recursive, an
// event is manual- or auto-reset and a wait on it may time out.
#pragma once

#include <cstdint>
#include <memory>

namespace tavrin::platform {

inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;

class CriticalSection {
public:
    CriticalSection();
    ~CriticalSection();
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    // The owning thread may enter again; each Enter needs its Leave.
    void Enter();
    void Leave();

    // BasicLockable, so that std::lock_guard and std::scoped_lock work.
    void lock() { Enter(); }
    void unlock() { Leave(); }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

enum class WaitResult { Signalled, Timeout, Failed };

class Event {
public:
    enum class ResetMode { Manual, Auto };

    // Returns null when the system cannot create the event.
    static std::unique_ptr<Event> Create(ResetMode mode, bool initiallySignalled);
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    // Waits until the event is signalled or the time-out (ms, or kInfinite)
    // passes. An auto-reset event is reset by the wait that it releases.
    WaitResult Wait(uint32_t timeoutMs);

private:
    struct Impl;
    explicit Event(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace tavrin::platform
