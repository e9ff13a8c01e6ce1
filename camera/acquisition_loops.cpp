// The acquisition thread: the streaming loop (continuous transfer through the
// device's frame ring) and the trigger loop (one grab per external trigger),
// which share what happens to a frame once it is taken.
#include <algorithm>
#include <atomic>
#include <mutex>

#include "camera/acquisition_engine.h"
#include "camera/dialog_launchers.h"
#include "device/tavrin_860vx_rux_sdk.h"
#include "imaging/kernels/respace.h"
#include "platform/time.h"

namespace tavrin {
namespace {

constexpr uint32_t kFailedGrabPauseMs = 10;

// The caller reads the frame record whenever its message arrives, while the
// next frame may be filling it: each field is written whole.
void Publish(int32_t& field, int32_t value) { std::atomic_ref<int32_t>(field).store(value, std::memory_order_relaxed); }

// The device writes packed rows; rows padded to the stride are spread out
// from the bottom up, in place.
void SpreadRows(CDibImage& raw) {
    if (raw.Stride() != raw.Width() * raw.BytesPerPixel()) {
        raw.Convert(raw.BytesPerPixel() == 2 ? Respace16 : Respace8, raw);
    }
}

}  // namespace

void AcquisitionEngine::NotifyFrame(uintptr_t wParam, intptr_t lParam) {
    platform::WindowHandle window = target_.window.load(std::memory_order_relaxed);
    if (window != nullptr) {
        platform::PostWindowMessage(window, kMessageFrame, wParam, lParam);
    }
}

// The device copies the frame of its own geometry; a capture window changed
// since the preparation must not make it write past the raw image.
bool AcquisitionEngine::FrameFitsRawImage(const CDibImage& raw) const {
    const device::CTavrin860VXRUXSdk& device = *context_.device;
    return !raw.IsEmpty() && device.Width() == raw.Width() && device.Height() == raw.Height() &&
           (device.SixteenBit() != 0 ? 2 : 1) == raw.BytesPerPixel();
}

// The chain can read the frame in its slot when it only reads the raw
// frame: a colour mode (the monochrome modes process the raw image in place
// and it is their output) without mirroring (which works in place). A colour
// mode chosen since the preparation may show the raw image as its output
// (GetImage, SaveImage), so such frames are still copied.
bool AcquisitionEngine::ReadsFromSlot(FrameMirrors mirrors) const {
    return IsColorMode(preparedMode_) && !mirrors.horizontal && !mirrors.vertical &&
           context_.format.colorMode.load(std::memory_order_relaxed) == preparedMode_;
}

CDibImage* AcquisitionEngine::TakeStreamedFrame(CDibImage& raw, FrameMirrors mirrors) {
    if (!FrameFitsRawImage(raw)) {
        return nullptr;
    }
    if (ReadsFromSlot(mirrors)) {
        const device::CQDXSdkLib::HeldFrame held = context_.device->HoldFrame();
        if (held.bits == nullptr) {
            return nullptr;
        }
        // The slot's rows are packed, which the kernels take as they come.
        if (slotView_.Borrow(held.bits, raw.Width(), raw.Height(), raw.BitCount(), held.stride) != 0) {
            return &slotView_;
        }
        context_.device->ReleaseFrame();
        return nullptr;
    }
    if (context_.device->ReadFrame(raw.Bits()) != 0) {
        return nullptr;
    }
    SpreadRows(raw);
    return &raw;
}

// Hands a held slot back to the transfer thread once nothing reads it.
void AcquisitionEngine::ReleaseStreamedFrame(const CDibImage& frame) {
    if (&frame == &slotView_) {
        slotView_.Release();
        context_.device->ReleaseFrame();
    }
}

bool AcquisitionEngine::TakeGrabbedFrame(CDibImage& raw) {
    if (!FrameFitsRawImage(raw) || context_.device->CopyGrabbedFrame(raw.Bits()) != 0) {
        return false;
    }
    SpreadRows(raw);
    return true;
}

void AcquisitionEngine::FillFrameInfo(const CDibImage& raw, int32_t frameRate) {
    Publish(frameInfo_.size, static_cast<int32_t>(sizeof(FrameInfo)));
    Publish(frameInfo_.width, raw.Width());
    Publish(frameInfo_.height, raw.Height());
    Publish(frameInfo_.bitsPerPixel, OutputBitsOf(preparedMode_));
    Publish(frameInfo_.frameRate, frameRate);
    Publish(frameInfo_.reserved, 0);
    std::atomic_ref<uint8_t*>(frameInfo_.buffer)
        .store(target_.buffer.load(std::memory_order_relaxed), std::memory_order_relaxed);
}

// Frames per second times ten, recomputed at most once a second.
int32_t AcquisitionEngine::UpdateFrameRate() {
    ++frameCount_;
    const uint32_t now = platform::MultimediaTime();
    const uint32_t elapsed = now - rateWindowStart_;
    if (elapsed > 1000) {
        frameRate_ = static_cast<int32_t>(uint64_t{frameCount_} * 10000u / elapsed);
        frameCount_ = 0;
        rateWindowStart_ = now;
    }
    return frameRate_;
}

// The frame's processing, preview and copy-out happen under the frame lock;
// programming automatic exposure's choice (two command exchanges with their
// pauses) and the message come after it is released. The recorder is told
// of every frame; it only runs while streaming.
void AcquisitionEngine::DeliverFrame(std::unique_lock<platform::CriticalSection>& frame, CDibImage& raw,
                                     FrameMirrors mirrors, int32_t frameRate) {
    FillFrameInfo(raw, frameRate);
    // With automatic white balance on or a gray pass asked for, the chain
    // may write gains that an open image dialog should show.
    const FilterRecord& filter = context_.filter;
    const bool imagePass = filter.Get(kBayerGainAuto) != 0 || filter.Get(kGrayAutoBalance) != 0;
    const AnalogChange change = ProcessFrame(raw, mirrors);
    ReleaseStreamedFrame(raw);
    newFrame_.store(1, std::memory_order_release);
    imageValid_.store(1, std::memory_order_release);
    previewWindow_.Draw(imageSet_, preparedMode_);
    uint8_t* buffer = target_.buffer.load(std::memory_order_relaxed);
    const int32_t size = target_.size.load(std::memory_order_relaxed);
    const bool copied =
        buffer == nullptr || size == 0 ||
        CopyOut(*imageSet_.Output(preparedMode_), buffer, size, target_.rowOrder.load(std::memory_order_relaxed));
    frame.unlock();
    analog_.Apply(change);
    TellOpenDialogs(context_, change, imagePass, [this] { return runFlag_.load(std::memory_order_acquire) != kRun; });
    if (copied) {  // otherwise the copy-out has reported
        NotifyFrame(reinterpret_cast<uintptr_t>(&frameInfo_), 0);
    }
}

// The wait time before each frame wait; a stop ends it at once. False when
// the loop is to end.
bool AcquisitionEngine::WaitBeforeFrame() {
    // A negative wait time (the registry may hold one) means no wait.
    const int32_t waitTime = std::max(0, context_.format.waitTime.load(std::memory_order_relaxed));
    stopSignal_->Wait(static_cast<uint32_t>(waitTime));
    return runFlag_.load(std::memory_order_acquire) != kStop;
}

void AcquisitionEngine::StreamingLoop() {
    frameCount_ = 0;
    rateWindowStart_ = platform::MultimediaTime();
    while (WaitBeforeFrame()) {
        if (runFlag_.load(std::memory_order_acquire) != kRun) {
            continue;
        }
        const device::WaitResult waited = context_.device->WaitFrame();
        if (waited == device::WaitResult::Failed || waited == device::WaitResult::TimedOut) {
            runFlag_.store(kStop, std::memory_order_release);
            NotifyFrame(0, kErrTransfer);
            context_.Report(kErrTransfer);
            break;
        }
        if (waited != device::WaitResult::Frame) {
            continue;
        }
        const FrameMirrors mirrors = CurrentMirrors();
        std::unique_lock frame(frameLock_);
        CDibImage* taken = TakeStreamedFrame(*imageSet_.Raw(preparedMode_), mirrors);
        if (taken == nullptr) {
            frame.unlock();
            NotifyFrame(0, kErrFrame);
            context_.Report(kErrFrame);
            continue;
        }
        DeliverFrame(frame, *taken, mirrors, UpdateFrameRate());
    }
}

void AcquisitionEngine::TriggerLoop() {
    while (runFlag_.load(std::memory_order_acquire) != kStop) {
        if (runFlag_.load(std::memory_order_acquire) != kRun) {
            platform::Sleep(10);
            continue;
        }
        const uint32_t grabStart = platform::TickCount();
        const int grabbed = context_.device->GrabFrame();
        if (runFlag_.load(std::memory_order_acquire) == kStop) {
            break;
        }
        if (grabbed != 0) {
            // No trigger within the driver wait: wait again. A grab that
            // failed at once (transfers failing, the camera unplugged) would
            // otherwise be retried in a busy loop.
            if (platform::TickCount() - grabStart < kFailedGrabPauseMs) {
                platform::Sleep(kFailedGrabPauseMs);
            }
            continue;
        }
        const FrameMirrors mirrors = CurrentMirrors();
        std::unique_lock frame(frameLock_);
        CDibImage& raw = *imageSet_.Raw(preparedMode_);
        if (!TakeGrabbedFrame(raw)) {
            continue;
        }
        DeliverFrame(frame, raw, mirrors, 0);
    }
}

}  // namespace tavrin
