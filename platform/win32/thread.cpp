#include "platform/thread.h"

#include <windows.h>

#include "platform/win32/wait_result.h"

namespace tavrin::platform {

struct Thread::Impl {
    HANDLE handle = nullptr;
    ThreadPriority granted = ThreadPriority::Normal;
};

namespace {

DWORD WINAPI RunBody(LPVOID parameter) {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
    try {
        (*body)();
    } catch (...) {
        // A thread body must not end the process; it simply ends.
    }
    return 0;
}

int Win32Priority(ThreadPriority priority) {
    switch (priority) {
    case ThreadPriority::Highest:
        return THREAD_PRIORITY_HIGHEST;
    case ThreadPriority::TimeCritical:
        return THREAD_PRIORITY_TIME_CRITICAL;
    default:
        return THREAD_PRIORITY_NORMAL;
    }
}

}  // namespace

std::unique_ptr<Thread> Thread::Start(std::function<void()> body, ThreadPriority priority) {
    auto* parameter = new std::function<void()>(std::move(body));
    // Created suspended so that the priority holds from the first instruction.
    HANDLE handle = CreateThread(nullptr, 0, RunBody, parameter, CREATE_SUSPENDED, nullptr);
    if (handle == nullptr) {
        delete parameter;
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->handle = handle;
    impl->granted = SetThreadPriority(handle, Win32Priority(priority)) ? priority : ThreadPriority::Normal;
    ResumeThread(handle);
    return std::unique_ptr<Thread>(new Thread(std::move(impl)));
}

Thread::Thread(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Thread::~Thread() {
    WaitForSingleObject(impl_->handle, INFINITE);
    CloseHandle(impl_->handle);
}

// The thread handle itself is the finished event: it is signalled when the
// thread has ended.
WaitResult Thread::WaitFinished(uint32_t timeoutMs) { return WaitOnHandle(impl_->handle, timeoutMs); }

bool Thread::Finished() { return WaitFinished(0) == WaitResult::Signalled; }

ThreadPriority Thread::GrantedPriority() const { return impl_->granted; }

}  // namespace tavrin::platform
