// Single frames and the current image: SnapShot, GetImage, SaveImage and the
// copy of the output image into the caller's buffer.
#include <cstring>
#include <mutex>

#include "camera/acquisition_engine.h"
#include "device/tavrin_860vx_rux_sdk.h"
#include "imaging/kernels/copy_out.h"
#include "output/save_image.h"
#include "platform/codepage.h"
#include "platform/time.h"

namespace tavrin {
namespace {

constexpr int32_t kSignificantBits = model::kSignificantBits;

}  // namespace

// Row order 0 gives the bottom line first, as a bottom-up bitmap expects;
// any other value keeps memory order (top line first). Rows keep their padding.
bool AcquisitionEngine::CopyOut(const CDibImage& output, uint8_t* buffer, int32_t size, int32_t rowOrder) {
    if (!CopyRowsOut(output.Bits(), output.Height(), output.Stride(), buffer, size, rowOrder)) {
        NotifyFrame(0, kErrBuffer);
        context_.Report(kErrBuffer);
        return false;
    }
    return true;
}

// A caller's buffer with rows in memory order (top line first) and room
// for the whole output image takes a 24- or 48-bit colour frame straight
// from the chain (the 32- and 64-bit modes leave their fourth sample as the
// output image was made, so they are copied):
// its steps write there, and no copy follows. The output image then holds an
// older frame until something other than the frame's own delivery reads it
// (GetImage, SaveImage, a new buffer, a stop, a new preparation): that first
// copies the frame back from the caller's buffer (TakeBackCallerOutput).
CDibImage* AcquisitionEngine::CallerOutput(const CDibImage& output, uint8_t* buffer, int32_t size, int32_t rowOrder) {
    if (buffer == nullptr || rowOrder == kBottomRowFirst ||
        (preparedMode_ != MODE_RGB24 && preparedMode_ != MODE_RGB48) || output.IsEmpty() ||
        int64_t{size} < int64_t{output.Height()} * output.Stride() ||
        callerView_.Borrow(buffer, output.Width(), output.Height(), output.BitCount(), output.Stride()) == 0) {
        return nullptr;
    }
    // The padding at the rows' ends holds zeros, as the copied rows had.
    const size_t used = static_cast<size_t>(output.Width()) * static_cast<size_t>(output.BytesPerPixel());
    if (used < static_cast<size_t>(output.Stride())) {
        for (int32_t y = 0; y < output.Height(); ++y) {
            std::memset(callerView_.Bits() + static_cast<ptrdiff_t>(y) * output.Stride() + used, 0,
                        static_cast<size_t>(output.Stride()) - used);
        }
    }
    return &callerView_;
}

void AcquisitionEngine::TakeBackCallerOutput() {
    if (!outputInCaller_) {
        return;
    }
    outputInCaller_ = false;
    CDibImage* output = imageSet_.Output(preparedMode_);
    if (output != nullptr && !output->IsEmpty() && output->Height() == callerView_.Height() &&
        output->Stride() == callerView_.Stride()) {
        std::memcpy(output->Bits(), callerView_.Bits(),
                    static_cast<size_t>(output->Height()) * static_cast<size_t>(output->Stride()));
    }
    callerView_.Release();
}

// The caller lends the SDK buffers: the one holding the newest frame comes
// back in exchange for the next. The frame's output image may live in the
// buffer handed back (the chain wrote it there), so the SDK goes on reading
// it, never writing, until a newer frame or a stop takes it back; the caller
// keeps it until then, which TavrinEx.h says. No frame since the last
// exchange: `next` itself comes back, and the lent buffer stays lent.
int AcquisitionEngine::ExchangeFrameBuffer(uint8_t* next, int size, uint8_t** given, void* record) {
    if (!context_.RequireDevice()) {
        return 0;
    }
    if (next == nullptr || size <= 0 || given == nullptr || (record != nullptr && RecordSize(record) < 8)) {
        context_.Report(kErrParameter);
        return 0;
    }
    std::lock_guard frame(frameLock_);
    const AcquisitionState state = State();
    if (state != AcquisitionState::Streaming && state != AcquisitionState::Trigger) {
        context_.Report(kErrNotReady);
        return 0;
    }
    uint8_t* lent = target_.buffer.load(std::memory_order_relaxed);
    if (lent == next || (lent != nullptr && size < target_.size.load(std::memory_order_relaxed))) {
        context_.Report(kErrParameter);
        return 0;
    }
    if (lent != nullptr && !targetFrame_) {
        *given = next;
        return 1;
    }
    if (record != nullptr && targetFrame_) {
        CopyMetaOut(*targetFrame_, record);
    }
    *given = lent;  // null when the SDK had no buffer of the caller's
    target_.buffer.store(next, std::memory_order_relaxed);
    target_.size.store(size, std::memory_order_relaxed);
    targetFrame_.reset();
    return 1;
}

// The output image of the colour mode as it is stored now (null for a mode
// outside 0..5), for the calls that read the last processed picture.
const CDibImage* AcquisitionEngine::CurrentOutput() const {
    return imageSet_.Output(context_.format.colorMode.load(std::memory_order_relaxed));
}

int AcquisitionEngine::SnapShot(uint8_t* buffer, int size, int rowOrder) {
    if (!context_.RequireDevice()) {
        return 0;
    }
    std::lock_guard control(controlLock_);
    if (int result = 0; !PassStateGuard(StartOperation::SnapShot, result)) {
        return result;
    }
    if (State() == AcquisitionState::Idle && !Prepare()) {
        context_.Report(kErrNotReady);
        return 0;
    }
    // Outside the capture state a snapshot leaves the device closed again.
    const bool keepOpen = State() == AcquisitionState::Capture;
    const FrameMirrors mirrors = CurrentMirrors();
    std::unique_lock frame(frameLock_);
    CDibImage& raw = *imageSet_.Raw(preparedMode_);
    bool taken = context_.device->GrabFrame() == 0;
    if (taken && !TakeGrabbedFrame(raw)) {
        NotifyFrame(0, kErrFrame);
        taken = false;
    }
    if (!taken) {
        if (!keepOpen) {
            context_.device->CloseGrab();
        }
        context_.Report(kErrFrame);
        return 0;
    }
    const FrameMeta meta = MetaOf(++snapshotNumber_, platform::MonotonicNanoseconds(), 0);
    const AnalogChange change = ProcessFrame(raw, mirrors, imageSet_);
    outputInCaller_ = false;  // the output image holds this frame
    imageValid_.store(1, std::memory_order_release);
    const bool copied =
        buffer == nullptr || size == 0 || CopyOut(*imageSet_.Output(preparedMode_), buffer, size, rowOrder);
    PublishMeta(meta, copied);
    frame.unlock();
    analog_.Apply(change);
    if (!keepOpen) {
        context_.device->CloseGrab();
    }
    if (!copied) {
        context_.Report(kErrBuffer);
        return 0;
    }
    return 1;
}

int AcquisitionEngine::GetImage(uint8_t* buffer, int size, int rowOrder) {
    if (!context_.RequireDevice()) {
        return 0;
    }
    std::lock_guard frame(frameLock_);
    TakeBackCallerOutput();
    const CDibImage* output = CurrentOutput();
    if (output == nullptr) {
        context_.Report(kErrNotReady);
        return 0;
    }
    if (output->IsEmpty() || buffer == nullptr) {
        context_.Report(kErrBuffer);
        return 0;
    }
    if (!CopyOut(*output, buffer, size, rowOrder)) {
        context_.Report(kErrBuffer);
        return 0;
    }
    return 1;
}

// The file holds the image of the moment of the call: it is copied under the
// frame lock and written after, so a slow or stalled file (a FIFO without a
// reader, a network drive) never holds up frame delivery.
int AcquisitionEngine::SaveOutput(const char* fileName, int format) {
    CDibImage copy;
    {
        std::lock_guard frame(frameLock_);
        TakeBackCallerOutput();
        const CDibImage* output = CurrentOutput();
        if (output == nullptr) {
            context_.Report(kErrNotReady);
            return 0;
        }
        if (output->IsEmpty()) {
            return 0;  // nothing to save, as the writers answer for an empty image
        }
        if (copy.CopyFrom(*output) == 0) {
            context_.Report(kErrBuffer);
            return 0;
        }
    }
    return ::tavrin::SaveImage(fileName, copy, format, kSignificantBits);
}

int AcquisitionEngine::SaveImage(const char* fileName, int format) {
    if (!context_.RequireDevice()) {
        return 0;
    }
    if (imageValid_.load(std::memory_order_acquire) == 0) {
        context_.Report(kErrNotReady);
        return 0;
    }
    if (fileName == nullptr || *fileName == '\0') {
        context_.Report(kErrParameter);
        return 0;
    }
    return SaveOutput(fileName, format);
}

int AcquisitionEngine::SaveImageW(const char16_t* fileName, int format) {
    if (!context_.RequireDevice()) {
        return 0;
    }
    const auto ansiName = platform::Utf16ToAnsi(fileName);
    if (!ansiName) {
        context_.Report(kErrNotReady);
        return 0;
    }
    if (ansiName->empty()) {
        context_.Report(kErrParameter);
        return 0;
    }
    return SaveOutput(ansiName->c_str(), format);
}

}  // namespace tavrin
