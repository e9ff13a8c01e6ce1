#include "camera/CTavrin.h"

#include "platform/codepage.h"
#include "platform/module.h"

namespace tavrin {

CTavrin::CTavrin() = default;

// Resources go in reverse order of creation: acquisition stops and the
// device closes before the objects they use are destroyed.
CTavrin::~CTavrin() {
    Close();
    if (HasDevice()) {
        ReleaseOwner(DeviceIndex());
    }
}

int CTavrin::Initialize(platform::WindowHandle notifyWindow) {
    owners_ = OwnerTable::Open();
    if (!owners_) {
        Report(kErrBuffer);  // no window stored yet: queued, not posted
        return 0;
    }
    notifyWindow_.store(notifyWindow, std::memory_order_relaxed);
    if (!IsCaptureWindowValid(capture_, SubSample())) {
        Report(kErrCaptureWindow);
        ResetCaptureWindow(capture_);
    }
    return 1;
}

int CTavrin::SelectDevice(int) {
    if (!RequireDevice()) {
        return 0;
    }
    return 0;
}

int CTavrin::Close() { return 1; }

int CTavrin::LoadConfigFile(const char* fileName) {
    return ::tavrin::LoadConfigFile(fileName, settingsLock_, configList_);
}

int CTavrin::LoadConfigFileW(const char16_t* fileName) {
    const auto ansiName = platform::Utf16ToAnsi(fileName);
    if (!ansiName) {
        Report(kErrFile);
        return 0;
    }
    return LoadConfigFile(ansiName->c_str());
}

void CTavrin::Report(int32_t code) {
    errors_.Push(code);
    platform::WindowHandle window = notifyWindow_.load(std::memory_order_relaxed);
    if (window != nullptr) {
        platform::PostWindowMessage(window, kMessageError, 0, code);
    }
}

void CTavrin::Notify(int32_t code) {
    platform::PostWindowMessage(notifyWindow_.load(std::memory_order_relaxed), kMessageError, 0, code);
}

bool CTavrin::RequireDevice() {
    if (!HasDevice()) {
        Report(kErrNotReady);
        return false;
    }
    return true;
}

int CTavrin::RegisterOwner(int index) {
    if (owners_) {
        owners_->Register(index, reinterpret_cast<uint64_t>(notifyWindow_.load(std::memory_order_relaxed)));
    }
    return 1;
}

int CTavrin::ReleaseOwner(int index) {
    if (owners_) {
        owners_->Release(index, reinterpret_cast<uint64_t>(notifyWindow_.load(std::memory_order_relaxed)));
    }
    return 1;
}

bool CTavrin::InUse(int index) const { return owners_ && owners_->InUse(index); }

int CTavrin::Unsupported() {
    Notify(kErrUnsupported);
    return 0;
}

int CTavrin::UnsupportedFilter() {
    Report(kErrUnsupported);
    return -1;
}

int CTavrin::UnsupportedQuery(int* value) {
    if (value != nullptr) {
        *value = 0;
    }
    return 0;
}

}  // namespace tavrin
