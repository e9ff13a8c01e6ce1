#include "platform/sync.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <ctime>
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

// An event is one word that the kernel's futex waits on. A mutex and a
// condition variable would do too, but a waiter woken while the setter still
// holds the mutex blocks on it at once: two thread switches for each frame
// handed from the transfer thread to its reader instead of one.
namespace {

long Futex(std::atomic<uint32_t>& word, int op, uint32_t value, const timespec* timeout) {
    static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t));
    return syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), op | FUTEX_PRIVATE_FLAG, value, timeout, nullptr, 0);
}

timespec MonotonicNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now;
}

// What is left until the deadline; false once it has passed.
bool Remaining(const timespec& deadline, timespec& left) {
    const timespec now = MonotonicNow();
    int64_t ns = (deadline.tv_sec - now.tv_sec) * 1000000000LL + (deadline.tv_nsec - now.tv_nsec);
    if (ns <= 0) {
        return false;
    }
    left = timespec{static_cast<time_t>(ns / 1000000000LL), static_cast<long>(ns % 1000000000LL)};
    return true;
}

}  // namespace

struct Event::Impl {
    std::atomic<uint32_t> signalled{0};
    std::atomic<uint32_t> waiters{0};
    bool autoReset = false;

    // Takes the signal when there is one: an auto-reset event is reset by
    // the wait that it releases, a manual one stays set.
    bool Take() {
        if (!autoReset) {
            return signalled.load() != 0;
        }
        uint32_t expected = 1;
        return signalled.compare_exchange_strong(expected, 0);
    }
};

std::unique_ptr<Event> Event::Create(ResetMode mode, bool initiallySignalled) {
    auto impl = std::make_unique<Impl>();
    impl->signalled.store(initiallySignalled ? 1 : 0);
    impl->autoReset = mode == ResetMode::Auto;
    return std::unique_ptr<Event>(new Event(std::move(impl)));
}

Event::Event(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Event::~Event() = default;

// Setting a set event changes nothing, as on Win32. The setter wakes only
// when someone waits: the waiter counts itself before it looks at the word,
// the setter sets the word before it looks at the count (both sequentially
// consistent), so one of them always sees the other.
void Event::Set() {
    Impl& impl = *impl_;
    if (impl.signalled.exchange(1) == 0 && impl.waiters.load() != 0) {
        // An auto-reset event releases one waiter; a manual one releases all.
        Futex(impl.signalled, FUTEX_WAKE, impl.autoReset ? 1 : INT_MAX, nullptr);
    }
}

void Event::Reset() { impl_->signalled.store(0); }

WaitResult Event::Wait(uint32_t timeoutMs) {
    Impl& impl = *impl_;
    if (impl.Take()) {
        return WaitResult::Signalled;
    }
    if (timeoutMs == 0) {
        return WaitResult::Timeout;
    }
    timespec deadline = MonotonicNow();
    if (timeoutMs != kInfinite) {
        deadline.tv_sec += static_cast<time_t>(timeoutMs / 1000);
        deadline.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
        if (deadline.tv_nsec >= 1000000000L) {
            ++deadline.tv_sec;
            deadline.tv_nsec -= 1000000000L;
        }
    }
    impl.waiters.fetch_add(1);
    WaitResult result = WaitResult::Signalled;
    while (!impl.Take()) {
        timespec left{};
        if (timeoutMs != kInfinite && !Remaining(deadline, left)) {
            result = WaitResult::Timeout;
            break;
        }
        // Sleeps only while the word is still 0; a wake, a signal or a
        // spurious return all lead back to the check above.
        if (Futex(impl.signalled, FUTEX_WAIT, 0, timeoutMs == kInfinite ? nullptr : &left) != 0 && errno != EAGAIN &&
            errno != EINTR && errno != ETIMEDOUT) {
            result = WaitResult::Failed;
            break;
        }
    }
    impl.waiters.fetch_sub(1);
    return result;
}

}  // namespace tavrin::platform
