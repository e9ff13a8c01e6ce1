#include "platform/thread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <system_error>
#include <thread>

namespace tavrin::platform {

struct Thread::Impl {
    std::thread thread;
    std::unique_ptr<Event> finished;
    std::atomic<ThreadPriority> granted{ThreadPriority::Normal};
};

namespace {

// A raised thread stays in the normal scheduling class with a lower nice
// value, as Win32's priorities above normal stay below its real-time class.
// Real-time scheduling would let a busy thread (a simulated camera renders
// its frames on the transfer thread) shut every normal thread of the
// machine out of its processor for up to 0.95 s of each second. Lowering
// the nice value needs the right to (CAP_SYS_NICE or RLIMIT_NICE); without
// it the thread runs at normal priority.
int NiceValue(ThreadPriority priority) {
    switch (priority) {
    case ThreadPriority::Highest:
        return -5;
    case ThreadPriority::TimeCritical:
        return -10;
    case ThreadPriority::Normal:
        break;
    }
    return 0;
}

// On Linux a nice value belongs to one thread: this sets the caller's.
ThreadPriority RaiseCallingThread(ThreadPriority wanted) {
    if (wanted == ThreadPriority::Normal) {
        return ThreadPriority::Normal;
    }
    const auto self = static_cast<id_t>(syscall(SYS_gettid));
    return setpriority(PRIO_PROCESS, self, NiceValue(wanted)) == 0 ? wanted : ThreadPriority::Normal;
}

}  // namespace

std::unique_ptr<Thread> Thread::Start(std::function<void()> body, ThreadPriority priority) {
    auto impl = std::make_unique<Impl>();
    impl->finished = Event::Create(Event::ResetMode::Manual, false);
    if (!impl->finished) {
        return nullptr;
    }
    Event* finished = impl->finished.get();
    try {
        impl->thread = std::thread([body = std::move(body), finished, priority, granted = &impl->granted] {
            granted->store(RaiseCallingThread(priority), std::memory_order_relaxed);
            try {
                body();
            } catch (...) {
                // A thread body must not end the process; it simply ends.
            }
            finished->Set();
        });
    } catch (const std::system_error&) {
        return nullptr;
    }
    return std::unique_ptr<Thread>(new Thread(std::move(impl)));
}

Thread::Thread(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Thread::~Thread() {
    if (impl_->thread.joinable()) {
        impl_->thread.join();
    }
}

WaitResult Thread::WaitFinished(uint32_t timeoutMs) {
    const WaitResult result = impl_->finished->Wait(timeoutMs);
    if (result == WaitResult::Signalled && impl_->thread.joinable()) {
        impl_->thread.join();
    }
    return result;
}

bool Thread::Finished() { return impl_->finished->Wait(0) == WaitResult::Signalled; }

ThreadPriority Thread::GrantedPriority() const { return impl_->granted.load(std::memory_order_relaxed); }

}  // namespace tavrin::platform
