// Starting and stopping acquisition: the operations behind Tavrin_StartPreview,
// Tavrin_StopPreview, Tavrin_Preview, Tavrin_CallBackPreview, Tavrin_Capture,
// Tavrin_Trigger and Tavrin_Close.
#include <mutex>

#include "camera/acquisition_engine.h"
#include "device/tavrin_860vx_rux_sdk.h"

namespace tavrin {
namespace {

constexpr uint32_t kTriggerDriverWait = 3000;  // a missing trigger gives up after 3 s

}  // namespace

AcquisitionEngine::AcquisitionEngine(CameraContext& context, AnalogControl& analog)
    : context_(context), analog_(analog), imageSet_{&images_[0], &images_[1], &images_[2], &images_[3],
                                                    &images_[4], &images_[5], &images_[6], &images_[7]} {}

AcquisitionEngine::~AcquisitionEngine() = default;

void AcquisitionEngine::FrameTarget::Set(platform::WindowHandle w, uint8_t* b, int32_t s, int32_t order) {
    window.store(w, std::memory_order_relaxed);
    buffer.store(b, std::memory_order_relaxed);
    size.store(s, std::memory_order_relaxed);
    rowOrder.store(order, std::memory_order_relaxed);
}

// Under the frame lock: a running stream then sees the window, buffer and
// size together (never an old buffer with a new size), and the caller's
// writes to its buffer come before the library's.
void AcquisitionEngine::SetFrameTarget(platform::WindowHandle window, uint8_t* buffer, int32_t size, int32_t rowOrder) {
    std::lock_guard frame(frameLock_);
    TakeBackCallerOutput();  // the old buffer may go once the new one is set
    target_.Set(window, buffer, size, rowOrder);
    targetFrame_.reset();
}

// The state guard's answer as the operation's result: true to go on;
// otherwise the operation returns `result` (1 when it already runs, 0 after
// reporting "not ready").
bool AcquisitionEngine::PassStateGuard(StartOperation operation, int& result) {
    switch (Admit(operation, State())) {
    case Admission::Proceed:
        return true;
    case Admission::AlreadyRunning:
        result = 1;
        return false;
    case Admission::Refused:
        break;
    }
    context_.Report(kErrNotReady);
    result = 0;
    return false;
}

bool AcquisitionEngine::StartAcquisitionThread(void (AcquisitionEngine::*loop)()) {
    if (!stopSignal_) {
        stopSignal_ = platform::Event::Create(platform::Event::ResetMode::Manual, false);
        if (!stopSignal_) {
            return false;
        }
    }
    stopSignal_->Reset();
    runFlag_.store(kRun, std::memory_order_release);
    acquisitionThread_ = platform::Thread::Start([this, loop] { (this->*loop)(); }, platform::ThreadPriority::Normal);
    return acquisitionThread_ != nullptr;
}

void AcquisitionEngine::StopAcquisitionThread() {
    runFlag_.store(kStop, std::memory_order_release);
    if (stopSignal_) {
        stopSignal_->Set();
    }
    if (acquisitionThread_) {
        acquisitionThread_->WaitFinished(platform::kInfinite);
        acquisitionThread_.reset();
    }
}

int AcquisitionEngine::StartPreview() {
    if (!context_.RequireDevice()) {
        return 0;
    }
    std::lock_guard control(controlLock_);
    if (int result = 0; !PassStateGuard(StartOperation::StartPreview, result)) {
        return result;
    }
    if (!Prepare(true)) {
        context_.Report(kErrNotReady);
        return 0;
    }
    // The preparation claimed the camera; a start that fails gives it back.
    device::CTavrin860VXRUXSdk& device = *context_.device;
    if (!StartAcquisitionThread(&AcquisitionEngine::StreamingLoop)) {
        StopPreview();
        ReleaseOwner(device.GetDeviceIndex());
        context_.Report(kErrThread);
        return 0;
    }
    device.SetTriggerMode(0);
    if (device.StartTransfer() != 0) {
        StopPreview();
        ReleaseOwner(device.GetDeviceIndex());
        context_.Report(kErrDeviceIo);
        return 0;
    }
    state_.store(AcquisitionState::Streaming, std::memory_order_release);
    return 1;
}

int AcquisitionEngine::StopPreview() {
    if (!context_.RequireDevice()) {
        return 0;
    }
    std::lock_guard control(controlLock_);
    runFlag_.store(kStop, std::memory_order_release);
    if (State() != AcquisitionState::Idle) {
        state_.store(AcquisitionState::Idle, std::memory_order_release);
        device::CTavrin860VXRUXSdk& device = *context_.device;
        device.SetTriggerMode(0);
        device.StopTransfer();
        ReleaseOwner(device.GetDeviceIndex());
    }
    StopAcquisitionThread();
    StopRecordingThread();
    {
        std::lock_guard frame(frameLock_);
        TakeBackCallerOutput();  // the caller may free its buffer once stopped
    }
    return 1;
}

int AcquisitionEngine::Close() {
    // One step for other threads' starts: the stream is stopped and the
    // window goes before another start can open either again.
    std::lock_guard control(controlLock_);
    StopPreview();
    previewWindow_.Close();
    imageValid_.store(0, std::memory_order_release);
    if (context_.HasDevice()) {
        context_.device->CloseGrab();
    }
    return 1;
}

bool AcquisitionEngine::OpenPreviewIfConfigured() {
    const PreviewPlacement& placement = context_.preview;
    PreviewRequest request;
    request.parent = placement.parent.load(std::memory_order_relaxed);
    request.x = placement.x.load(std::memory_order_relaxed);
    request.y = placement.y.load(std::memory_order_relaxed);
    request.width = placement.width.load(std::memory_order_relaxed);
    request.height = placement.height.load(std::memory_order_relaxed);
    request.clientWidth = context_.Width() / SubsamplingDivisor(context_.SubSample());
    request.clientHeight = context_.Height() / SubsamplingDivisor(context_.SubSample());
    request.ownerTag = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(this));
    if (!PreviewWindow::IsConfigured(request)) {
        return true;
    }
    if (!previewWindow_.Open(request)) {
        context_.Report(kErrWindow);
        return false;
    }
    return true;
}

int AcquisitionEngine::Preview() { return CallBackPreview(nullptr, nullptr, 0, 0); }

int AcquisitionEngine::CallBackPreview(platform::WindowHandle window, uint8_t* buffer, int size, int rowOrder) {
    // The window is opened and the stream started as one step, so a Close on
    // another thread never destroys a window that a new stream draws into.
    std::lock_guard control(controlLock_);
    SetFrameTarget(window, buffer, size, rowOrder);
    if (!OpenPreviewIfConfigured()) {
        return 0;
    }
    if (!StartPreview()) {
        Close();
        context_.Report(kErrFrame);
        return 0;
    }
    return 1;
}

int AcquisitionEngine::Capture() {
    if (!context_.RequireDevice()) {
        return 0;
    }
    std::lock_guard control(controlLock_);
    if (int result = 0; !PassStateGuard(StartOperation::Capture, result)) {
        return result;
    }
    if (!Prepare()) {
        context_.Report(kErrNotReady);
        return 0;
    }
    state_.store(AcquisitionState::Capture, std::memory_order_release);
    return 1;
}

int AcquisitionEngine::Trigger(platform::WindowHandle window, uint8_t* buffer, int size, int rowOrder) {
    if (!context_.RequireDevice()) {
        return 0;
    }
    std::lock_guard control(controlLock_);
    // A running trigger loop is refused too: never two loops on one image set.
    if (int result = 0; !PassStateGuard(StartOperation::Trigger, result)) {
        return result;
    }
    SetFrameTarget(window, buffer, size, rowOrder);
    if (!OpenPreviewIfConfigured()) {
        return 0;
    }
    if (!Prepare()) {
        Close();
        context_.Report(kErrNotReady);
        return 0;
    }
    state_.store(AcquisitionState::Trigger, std::memory_order_release);
    context_.device->SetDriverWait(kTriggerDriverWait);
    context_.device->SetTriggerMode(1);
    if (!StartAcquisitionThread(&AcquisitionEngine::TriggerLoop)) {
        Close();
        context_.Report(kErrThread);
        return 0;
    }
    // Frames are read beside the acquisition thread, so a burst of triggers
    // during a long processing step leaves the newest frame ready for it.
    if (context_.device->StartTransfer(device::TransferMode::Triggered) != 0) {
        Close();
        context_.Report(kErrDeviceIo);
        return 0;
    }
    return 1;
}

int AcquisitionEngine::SoftwareTrigger() {
    if (!context_.RequireDevice()) {
        return 0;
    }
    if (State() != AcquisitionState::Trigger) {
        context_.Report(kErrNotReady);
        return 0;
    }
    if (!context_.device->FireSoftwareTrigger()) {
        context_.Report(kErrDeviceIo);
        return 0;
    }
    return 1;
}

bool AcquisitionEngine::ClaimOwner(int index) {
    return !context_.owners || context_.owners->Claim(index, reinterpret_cast<uint64_t>(context_.notifier.Window()));
}

void AcquisitionEngine::ReleaseOwner(int index) {
    if (context_.owners) {
        context_.owners->Release(index, reinterpret_cast<uint64_t>(context_.notifier.Window()));
    }
}

bool AcquisitionEngine::InUse(int index) const { return context_.owners && context_.owners->InUse(index); }

}  // namespace tavrin
