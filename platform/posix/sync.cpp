#include "platform/sync.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tavrin::platform {

// Win32 critical sections may be entered again by their owner.
struct CriticalSection::Impl {
    std::recursive_mutex mutex;
};

CriticalSection::CriticalSection() : impl_(std::make_unique<Impl>()) {}
CriticalSection::~CriticalSection() = default;
void CriticalSection::Enter() { impl_->mutex.lock(); }
void CriticalSection::Leave() { impl_->mutex.unlock(); }

struct Event::Impl {
    std::mutex mutex;
    std::condition_variable changed;
    bool signalled = false;
    bool autoReset = false;
};

std::unique_ptr<Event> Event::Create(ResetMode mode, bool initiallySignalled) {
    auto impl = std::make_unique<Impl>();
    impl->signalled = initiallySignalled;
    impl->autoReset = mode == ResetMode::Auto;
    return std::unique_ptr<Event>(new Event(std::move(impl)));
}

Event::Event(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Event::~Event() = default;

void Event::Set() {
    std::lock_guard lock(impl_->mutex);
    impl_->signalled = true;
    // An auto-reset event releases one waiter; a manual one releases all.
    if (impl_->autoReset) {
        impl_->changed.notify_one();
    } else {
        impl_->changed.notify_all();
    }
}

void Event::Reset() {
    std::lock_guard lock(impl_->mutex);
    impl_->signalled = false;
}

WaitResult Event::Wait(uint32_t timeoutMs) {
    std::unique_lock lock(impl_->mutex);
    auto isSignalled = [this] { return impl_->signalled; };
    if (timeoutMs == kInfinite) {
        impl_->changed.wait(lock, isSignalled);
    } else if (!impl_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), isSignalled)) {
        return WaitResult::Timeout;
    }
    if (impl_->autoReset) {
        impl_->signalled = false;
    }
    return WaitResult::Signalled;
}

}  // namespace tavrin::platform
