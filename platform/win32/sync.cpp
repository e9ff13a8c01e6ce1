#include "platform/sync.h"

#include <windows.h>

#include "platform/win32/wait_result.h"

namespace tavrin::platform {

struct CriticalSection::Impl {
    CRITICAL_SECTION section;
};

CriticalSection::CriticalSection() : impl_(std::make_unique<Impl>()) { InitializeCriticalSection(&impl_->section); }
CriticalSection::~CriticalSection() { DeleteCriticalSection(&impl_->section); }
void CriticalSection::Enter() { EnterCriticalSection(&impl_->section); }
void CriticalSection::Leave() { LeaveCriticalSection(&impl_->section); }

struct Event::Impl {
    HANDLE handle = nullptr;
};

std::unique_ptr<Event> Event::Create(ResetMode mode, bool initiallySignalled) {
    HANDLE handle = CreateEventA(nullptr, mode == ResetMode::Manual, initiallySignalled, nullptr);
    if (handle == nullptr) {
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->handle = handle;
    return std::unique_ptr<Event>(new Event(std::move(impl)));
}

Event::Event(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Event::~Event() { CloseHandle(impl_->handle); }
void Event::Set() { SetEvent(impl_->handle); }
void Event::Reset() { ResetEvent(impl_->handle); }

WaitResult Event::Wait(uint32_t timeoutMs) { return WaitOnHandle(impl_->handle, timeoutMs); }

}  // namespace tavrin::platform
