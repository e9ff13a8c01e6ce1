// The acquisition thread: the streaming loop (continuous transfer through the
// device's frame ring) and the trigger loop (one grab per external trigger).
#include <algorithm>
#include <atomic>
#include <mutex>

#include "camera/CTavrin.h"
#include "device/tavrin_860vx_rux_sdk.h"
#include "imaging/kernels/respace.h"
#include "platform/time.h"

namespace tavrin {
namespace {

enum WaitFrameResult { kFrameError = 1, kFrameReady = 3 };

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

void CTavrin::NotifyFrame(uintptr_t wParam, intptr_t lParam) {
    platform::WindowHandle window = target_.window.load(std::memory_order_relaxed);
    if (window != nullptr) {
        platform::PostWindowMessage(window, kMessageFrame, wParam, lParam);
    }
}

// The device copies the frame of its own geometry; a capture window changed
// since the preparation must not make it write past the raw image.
bool CTavrin::FrameFitsRawImage(const CDibImage& raw) const {
    return !raw.IsEmpty() && device_->Width() == raw.Width() && device_->Height() == raw.Height() &&
           (device_->SixteenBit() != 0 ? 2 : 1) == raw.BytesPerPixel();
}

bool CTavrin::TakeStreamedFrame(CDibImage& raw) {
    if (!FrameFitsRawImage(raw) || device_->ReadFrame(raw.Bits()) != 0) {
        return false;
    }
    SpreadRows(raw);
    return true;
}

bool CTavrin::TakeGrabbedFrame(CDibImage& raw) {
    if (!FrameFitsRawImage(raw) || device_->CopyGrabbedFrame(raw.Bits()) != 0) {
        return false;
    }
    SpreadRows(raw);
    return true;
}

void CTavrin::FillFrameInfo(const CDibImage& raw, int32_t frameRate) {
    Publish(frameInfo_.size, static_cast<int32_t>(sizeof(TavrinFrameInfo)));
    Publish(frameInfo_.width, raw.Width());
    Publish(frameInfo_.height, raw.Height());
    Publish(frameInfo_.bitsPerPixel, OutputBitsOf(preparedMode_));
    Publish(frameInfo_.frameRate, frameRate);
    Publish(frameInfo_.reserved, 0);
    std::atomic_ref<BYTE*>(frameInfo_.buffer).store(target_.buffer.load(std::memory_order_relaxed),
                                                    std::memory_order_relaxed);
}

// Frames per second times ten, recomputed at most once a second.
int32_t CTavrin::UpdateFrameRate() {
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

void CTavrin::StreamingLoop() {
    frameCount_ = 0;
    rateWindowStart_ = platform::MultimediaTime();
    while (runFlag_.load(std::memory_order_acquire) != kStop) {
        TellOpenDialogs();  // about the previous frame, outside the frame lock
        // A negative wait time (the registry may hold one) means no wait.
        platform::Sleep(static_cast<uint32_t>(std::max(0, format_.waitTime.load(std::memory_order_relaxed))));
        if (runFlag_.load(std::memory_order_acquire) != kRun) {
            continue;
        }
        const int waited = device_->WaitFrame();
        if (waited == kFrameError) {
            runFlag_.store(kStop, std::memory_order_release);
            NotifyFrame(0, kErrTransfer);
            Report(kErrTransfer);
            break;
        }
        if (waited != kFrameReady) {
            continue;
        }
        std::unique_lock frame(frameLock_);
        CDibImage& raw = *imageSet_.Raw(preparedMode_);
        if (!TakeStreamedFrame(raw)) {
            NotifyFrame(0, kErrFrame);
            Report(kErrFrame);
            continue;
        }
        FillFrameInfo(raw, UpdateFrameRate());
        ProcessFrame(raw);
        newFrame_.store(1, std::memory_order_release);
        imageValid_.store(1, std::memory_order_release);
        previewWindow_.Draw(imageSet_, preparedMode_);
        uint8_t* buffer = target_.buffer.load(std::memory_order_relaxed);
        const int32_t size = target_.size.load(std::memory_order_relaxed);
        if (buffer != nullptr && size != 0 && !CopyOut(*imageSet_.Output(preparedMode_), buffer, size, target_.rowOrder.load())) {
            continue;  // the copy-out has reported
        }
        frame.unlock();
        NotifyFrame(reinterpret_cast<uintptr_t>(&frameInfo_), 0);
    }
}

void CTavrin::TriggerLoop() {
    while (runFlag_.load(std::memory_order_acquire) != kStop) {
        TellOpenDialogs();  // about the previous frame, outside the frame lock
        if (runFlag_.load(std::memory_order_acquire) != kRun) {
            platform::Sleep(10);
            continue;
        }
        const uint32_t grabStart = platform::TickCount();
        const int grabbed = device_->GrabFrame();
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
        std::lock_guard frame(frameLock_);
        CDibImage& raw = *imageSet_.Raw(preparedMode_);
        if (!TakeGrabbedFrame(raw)) {
            continue;
        }
        FillFrameInfo(raw, 0);
        ProcessFrame(raw);
        imageValid_.store(1, std::memory_order_release);
        uint8_t* buffer = target_.buffer.load(std::memory_order_relaxed);
        const int32_t size = target_.size.load(std::memory_order_relaxed);
        if (buffer != nullptr && size != 0 && !CopyOut(*imageSet_.Output(preparedMode_), buffer, size, target_.rowOrder.load())) {
            continue;
        }
        NotifyFrame(reinterpret_cast<uintptr_t>(&frameInfo_), 0);
        previewWindow_.Draw(imageSet_, preparedMode_);
    }
}

}  // namespace tavrin
