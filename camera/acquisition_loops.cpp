// The acquisition thread: the streaming loop (continuous transfer) and the
// trigger loop (one frame per external trigger), both reading the newest
// whole frame from the device's frame stream, which share what happens to a
// frame once it is taken.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>

#include "camera/acquisition_engine.h"
#include "camera/dialog_launchers.h"
#include "device/tavrin_860vx_rux_sdk.h"
#include "imaging/kernels/respace.h"
#include "platform/time.h"

namespace tavrin {
namespace {

// A paused loop looks at its run flag this often; a running trigger loop
// waits this long for a frame before it looks again.
constexpr uint32_t kPausedPollMs = 10;
constexpr uint32_t kTriggerPollMs = 100;

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

CDibImage* AcquisitionEngine::TakeStreamedFrame(CDibImage& raw, FrameMirrors mirrors, device::FrameLease& lease) {
    if (!FrameFitsRawImage(raw)) {
        return nullptr;
    }
    if (ReadsFromSlot(mirrors)) {
        const device::CQDXSdkLib::HeldFrame held = context_.device->FrameView(lease);
        // The slot's rows are packed, which the kernels take as they come.
        if (held.bits != nullptr &&
            slotView_.Borrow(held.bits, raw.Width(), raw.Height(), raw.BitCount(), held.stride) != 0) {
            return &slotView_;
        }
        return nullptr;
    }
    const int copied = context_.device->ReadFrame(raw.Bits(), lease);
    lease.Release();  // copied: the transfer thread may have the slot back at once
    if (copied != 0) {
        return nullptr;
    }
    SpreadRows(raw);
    return &raw;
}

// Hands a held slot back to the transfer thread once nothing reads it.
void AcquisitionEngine::ReleaseStreamedFrame(const CDibImage& frame, device::FrameLease& lease) {
    if (&frame == &slotView_) {
        slotView_.Release();
    }
    lease.Release();
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

FrameMeta AcquisitionEngine::MetaOf(uint64_t frameNumber, uint64_t captureTimeNs, int32_t status) const {
    return FrameMeta{static_cast<int32_t>(sizeof(FrameMeta)),
                     status,
                     frameNumber,
                     captureTimeNs,
                     0,
                     analog_.ExposureLines(),
                     analog_.Gain()};
}

// Every frame the camera sent is either given to the caller or counted as
// dropped: at each frame, dropped + given = its number.
FrameMeta AcquisitionEngine::PublishMeta(FrameMeta meta, bool given) {
    if (given) {
        ++framesGiven_;
    }
    meta.droppedFrames = meta.frameNumber >= framesGiven_ ? meta.frameNumber - framesGiven_ : 0;
    std::lock_guard lock(metaLock_);
    currentMeta_ = meta;
    hasMeta_ = true;
    return meta;
}

// The size a caller's frame record says it has: its first field.
int32_t AcquisitionEngine::RecordSize(const void* record) {
    int32_t size = 0;
    if (record != nullptr) {
        std::memcpy(&size, record, sizeof size);
    }
    return size;
}

// A caller built against an older, shorter record gets its part; size says
// how much was filled. The record holds at least 8 bytes.
void AcquisitionEngine::CopyMetaOut(FrameMeta meta, void* record) {
    meta.size = std::min(RecordSize(record), static_cast<int32_t>(sizeof meta));
    std::memcpy(record, &meta, static_cast<size_t>(meta.size));
}

int AcquisitionEngine::GetFrameMeta(void* record) {
    if (RecordSize(record) < 8) {
        context_.Report(kErrParameter);
        return 0;
    }
    FrameMeta meta{};
    {
        std::lock_guard lock(metaLock_);
        if (!hasMeta_) {
            context_.Report(kErrNotReady);
            return 0;
        }
        meta = currentMeta_;
    }
    CopyMetaOut(meta, record);
    return 1;
}

// The frame's processing, preview, copy-out and recording frame happen under
// the frame lock; programming automatic exposure's choice (two command
// exchanges with their pauses) and the message come after it is released.
void AcquisitionEngine::DeliverFrame(std::unique_lock<platform::CriticalSection>& frame, CDibImage& raw,
                                     FrameMirrors mirrors, int32_t frameRate, const FrameMeta& meta) {
    FillFrameInfo(raw, frameRate);
    // With automatic white balance on or a gray pass asked for, the chain
    // may write gains that an open image dialog should show.
    const FilterRecord& filter = context_.filter;
    const bool imagePass = filter.Get(kBayerGainAuto) != 0 || filter.Get(kGrayAutoBalance) != 0;
    uint8_t* buffer = target_.buffer.load(std::memory_order_relaxed);
    const int32_t size = target_.size.load(std::memory_order_relaxed);
    const int32_t rowOrder = target_.rowOrder.load(std::memory_order_relaxed);
    // The chain writes the caller's buffer itself where it can; otherwise
    // the output image is copied there.
    CDibImage* direct = CallerOutput(*imageSet_.Output(preparedMode_), buffer, size, rowOrder);
    const ImageSet images = direct != nullptr ? imageSet_.WithOutput(preparedMode_, direct) : imageSet_;
    const AnalogChange change = ProcessFrame(raw, mirrors, images);
    outputInCaller_ = direct != nullptr;
    imageValid_.store(1, std::memory_order_release);
    previewWindow_.Draw(images, preparedMode_);
    const CDibImage& output = *images.Output(preparedMode_);
    const bool copied = direct != nullptr || buffer == nullptr || size == 0 || CopyOut(output, buffer, size, rowOrder);
    QueueRecordingFrame(output, meta.captureTimeNs);
    const FrameMeta published = PublishMeta(meta, copied);
    if (copied && buffer != nullptr && size != 0) {
        targetFrame_ = published;  // until ExchangeFrameBuffer hands the buffer back
    }
    frame.unlock();
    analog_.Apply(change);
    TellOpenDialogs(context_, change, imagePass, [this] { return runFlag_.load(std::memory_order_acquire) != kRun; });
    if (copied) {  // otherwise the copy-out has reported
        NotifyFrame(reinterpret_cast<uintptr_t>(&frameInfo_), 0);
    }
}

// Takes the leased frame under the frame lock and delivers it.
void AcquisitionEngine::DeliverLeasedFrame(device::FrameLease& lease, int32_t frameRate) {
    const FrameMirrors mirrors = CurrentMirrors();
    const FrameMeta meta = MetaOf(lease.Record().number, lease.Record().captureTimeNs, lease.Record().status);
    std::unique_lock frame(frameLock_);
    CDibImage* taken = TakeStreamedFrame(*imageSet_.Raw(preparedMode_), mirrors, lease);
    if (taken == nullptr) {
        // The current image stays the last one delivered, with its record;
        // this frame counts as dropped at the next one.
        lease.Release();
        frame.unlock();
        NotifyFrame(0, kErrFrame);
        context_.Report(kErrFrame);
        return;
    }
    DeliverFrame(frame, *taken, mirrors, frameRate, meta);
    ReleaseStreamedFrame(*taken, lease);
}

// The wait time paces the stream: the frame taken after one is delivered is
// the newest one at least the wait time later (a negative wait time, which
// the registry may hold, counts as none). Waiting for the frame with that
// hold-off, rather than sleeping and then waiting, takes the same frame but
// wakes the thread once per frame instead of twice.
uint64_t AcquisitionEngine::NextFrameNotBefore() const {
    const int32_t waitTime = std::max(0, context_.format.waitTime.load(std::memory_order_relaxed));
    return platform::MonotonicNanoseconds() + uint64_t{static_cast<uint32_t>(waitTime)} * 1000000u;
}

void AcquisitionEngine::StreamingLoop() {
    frameCount_ = 0;
    rateWindowStart_ = platform::MultimediaTime();
    uint64_t notBefore = NextFrameNotBefore();
    while (runFlag_.load(std::memory_order_acquire) != kStop) {
        if (runFlag_.load(std::memory_order_acquire) != kRun) {
            stopSignal_->Wait(kPausedPollMs);
            continue;
        }
        // The frame wait's own limit begins when the wait time has passed.
        const uint64_t holdOffMs = (notBefore - std::min(notBefore, platform::MonotonicNanoseconds())) / 1000000u;
        device::FrameWait waited = context_.device->WaitFrame(
            device::FrameStream::kFrameWaitMs + static_cast<uint32_t>(std::min<uint64_t>(holdOffMs, INT32_MAX)),
            notBefore);
        if (waited.result == device::WaitResult::Failed || waited.result == device::WaitResult::TimedOut) {
            runFlag_.store(kStop, std::memory_order_release);
            NotifyFrame(0, kErrTransfer);
            context_.Report(kErrTransfer);
            break;
        }
        if (waited.result == device::WaitResult::Frame) {
            DeliverLeasedFrame(waited.lease, UpdateFrameRate());
            notBefore = NextFrameNotBefore();
        } else {
            stopSignal_->Wait(kPausedPollMs);  // the stream is ending with the loop
        }
    }
}

// The device's stream reads one triggered frame after another; a trigger
// that never comes is no error, the wait just begins again. The loop looks
// at the run flag between waits, so a pause or stop takes effect at once.
void AcquisitionEngine::TriggerLoop() {
    while (runFlag_.load(std::memory_order_acquire) != kStop) {
        if (runFlag_.load(std::memory_order_acquire) != kRun) {
            stopSignal_->Wait(kPausedPollMs);
            continue;
        }
        device::FrameWait waited = context_.device->WaitFrame(kTriggerPollMs);
        if (waited.result == device::WaitResult::Frame && runFlag_.load(std::memory_order_acquire) == kRun) {
            DeliverLeasedFrame(waited.lease, 0);
        } else if (waited.result == device::WaitResult::Stopped || waited.result == device::WaitResult::Failed) {
            stopSignal_->Wait(kPausedPollMs);  // the stream is ending with the loop
        }
    }
}

}  // namespace tavrin
