// Starting and stopping acquisition: the operations behind Tavrin_StartPreview,
// Tavrin_StopPreview, Tavrin_Preview, Tavrin_CallBackPreview, Tavrin_Capture
// and Tavrin_Trigger.
#include <mutex>

#include "camera/CTavrin.h"
#include "device/tavrin_860vx_rux_sdk.h"

namespace tavrin {
namespace {

constexpr uint32_t kTriggerDriverWait = 3000;  // a missing trigger gives up after 3 s

}  // namespace

void CTavrin::FrameTarget::Set(platform::WindowHandle w, uint8_t* b, int32_t s, int32_t order) {
    window.store(w, std::memory_order_relaxed);
    buffer.store(b, std::memory_order_relaxed);
    size.store(s, std::memory_order_relaxed);
    rowOrder.store(order, std::memory_order_relaxed);
}

// The state guard's answer as the operation's result: true to go on;
// otherwise the operation returns `result` (1 when it already runs, 0 after
// reporting "not ready").
bool CTavrin::PassStateGuard(StartOperation operation, int& result) {
    switch (Admit(operation, State())) {
    case Admission::Proceed:
        return true;
    case Admission::AlreadyRunning:
        result = 1;
        return false;
    case Admission::Refused:
        break;
    }
    Report(kErrNotReady);
    result = 0;
    return false;
}

bool CTavrin::StartAcquisitionThread(void (CTavrin::*loop)()) {
    runFlag_.store(kRun, std::memory_order_release);
    acquisitionThread_ = platform::Thread::Start([this, loop] { (this->*loop)(); }, platform::ThreadPriority::Normal);
    return acquisitionThread_ != nullptr;
}

int CTavrin::StartPreview() {
    if (!RequireDevice()) {
        return 0;
    }
    std::lock_guard control(controlLock_);
    if (int result = 0; !PassStateGuard(StartOperation::StartPreview, result)) {
        return result;
    }
    if (!Prepare(true)) {
        Report(kErrNotReady);
        return 0;
    }
    // The preparation claimed the camera; a start that fails gives it back.
    if (!StartAcquisitionThread(&CTavrin::StreamingLoop)) {
        StopPreview();
        ReleaseOwner(device_->GetDeviceIndex());
        Report(kErrThread);
        return 0;
    }
    device_->SetTriggerMode(0);
    if (device_->StartTransfer() != 0) {
        StopPreview();
        ReleaseOwner(device_->GetDeviceIndex());
        Report(kErrDeviceIo);
        return 0;
    }
    state_.store(AcquisitionState::Streaming, std::memory_order_release);
    return 1;
}

int CTavrin::StopPreview() {
    if (!RequireDevice()) {
        return 0;
    }
    std::lock_guard control(controlLock_);
    runFlag_.store(kStop, std::memory_order_release);
    if (State() != AcquisitionState::Idle) {
        state_.store(AcquisitionState::Idle, std::memory_order_release);
        device_->SetTriggerMode(0);
        device_->StopTransfer();
        ReleaseOwner(device_->GetDeviceIndex());
    }
    if (acquisitionThread_) {
        acquisitionThread_->WaitFinished(platform::kInfinite);
        acquisitionThread_.reset();
    }
    StopRecordingThread();
    return 1;
}

bool CTavrin::OpenPreviewIfConfigured() {
    PreviewRequest request;
    request.parent = preview_.parent.load(std::memory_order_relaxed);
    request.x = preview_.x.load(std::memory_order_relaxed);
    request.y = preview_.y.load(std::memory_order_relaxed);
    request.width = preview_.width.load(std::memory_order_relaxed);
    request.height = preview_.height.load(std::memory_order_relaxed);
    request.clientWidth = Width() / SubsamplingDivisor(SubSample());
    request.clientHeight = Height() / SubsamplingDivisor(SubSample());
    request.ownerTag = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(this));
    if (!PreviewWindow::IsConfigured(request)) {
        return true;
    }
    if (!previewWindow_.Open(request)) {
        Report(kErrWindow);
        return false;
    }
    return true;
}

int CTavrin::Preview() { return CallBackPreview(nullptr, nullptr, 0, 0); }

int CTavrin::CallBackPreview(platform::WindowHandle window, uint8_t* buffer, int size, int rowOrder) {
    // The window is opened and the stream started as one step, so a Close on
    // another thread never destroys a window that a new stream draws into.
    std::lock_guard control(controlLock_);
    {
        // Under the frame lock: a running stream then sees the window, buffer
        // and size together (never an old buffer with a new size), and the
        // caller's writes to its buffer come before the library's.
        std::lock_guard frame(frameLock_);
        target_.Set(window, buffer, size, rowOrder);
    }
    if (!OpenPreviewIfConfigured()) {
        return 0;
    }
    if (!StartPreview()) {
        Close();
        Report(kErrFrame);
        return 0;
    }
    return 1;
}

int CTavrin::Capture() {
    if (!RequireDevice()) {
        return 0;
    }
    std::lock_guard control(controlLock_);
    if (int result = 0; !PassStateGuard(StartOperation::Capture, result)) {
        return result;
    }
    if (!Prepare()) {
        Report(kErrNotReady);
        return 0;
    }
    state_.store(AcquisitionState::Capture, std::memory_order_release);
    return 1;
}

int CTavrin::Trigger(platform::WindowHandle window, uint8_t* buffer, int size, int rowOrder) {
    if (!RequireDevice()) {
        return 0;
    }
    std::lock_guard control(controlLock_);
    // A running trigger loop is refused too: never two loops on one image set.
    if (int result = 0; !PassStateGuard(StartOperation::Trigger, result)) {
        return result;
    }
    {
        std::lock_guard frame(frameLock_);  // as in CallBackPreview
        target_.Set(window, buffer, size, rowOrder);
    }
    if (!OpenPreviewIfConfigured()) {
        return 0;
    }
    if (!Prepare()) {
        Close();
        Report(kErrNotReady);
        return 0;
    }
    state_.store(AcquisitionState::Trigger, std::memory_order_release);
    device_->SetDriverWait(kTriggerDriverWait);
    device_->SetTriggerMode(1);
    if (!StartAcquisitionThread(&CTavrin::TriggerLoop)) {
        Close();
        Report(kErrThread);
        return 0;
    }
    return 1;
}

}  // namespace tavrin
