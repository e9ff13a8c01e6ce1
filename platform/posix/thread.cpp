#include "platform/thread.h"

#include <pthread.h>
#include <sched.h>

#include <system_error>
#include <thread>

namespace tavrin::platform {

struct Thread::Impl {
    std::thread thread;
    std::unique_ptr<Event> finished;
    ThreadPriority granted = ThreadPriority::Normal;
};

namespace {

// Raising a thread above normal needs real-time scheduling, which ordinary
// users seldom may use; the thread then runs at normal priority.
ThreadPriority ApplyPriority(pthread_t thread, ThreadPriority wanted) {
    if (wanted == ThreadPriority::Normal) {
        return ThreadPriority::Normal;
    }
    sched_param param{};
    const int top = sched_get_priority_max(SCHED_RR);
    param.sched_priority = wanted == ThreadPriority::TimeCritical ? top : top - 1;
    if (pthread_setschedparam(thread, SCHED_RR, &param) != 0) {
        return ThreadPriority::Normal;
    }
    return wanted;
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
        impl->thread = std::thread([body = std::move(body), finished] {
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
    impl->granted = ApplyPriority(impl->thread.native_handle(), priority);
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

ThreadPriority Thread::GrantedPriority() const { return impl_->granted; }

}  // namespace tavrin::platform
