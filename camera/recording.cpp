// Recording the stream to an AVI file: Record starts streaming and a
// recording thread that appends every new output image as a 24-bit frame.
#include <mutex>

#include "camera/acquisition_engine.h"
#include "imaging/kernels/depth.h"
#include "imaging/kernels/flip.h"
#include "platform/codepage.h"
#include "platform/time.h"

namespace tavrin {
namespace {

constexpr uint32_t kProvisionalRate = 30;
constexpr uint32_t kPollMs = 10;

}  // namespace

int AcquisitionEngine::Record(const char* fileName, int milliseconds, int showPreview) {
    if (fileName == nullptr || *fileName == '\0') {
        context_.Report(kErrParameter);
        return 0;
    }
    std::lock_guard control(controlLock_);
    // A recording in progress keeps its file; a finished one is collected.
    if (recording_.load(std::memory_order_acquire) != 0) {
        context_.Report(kErrNotReady);
        return 0;
    }
    StopRecordingThread();
    SetFrameTarget(nullptr, nullptr, 0, 0);  // the running stream stops using the caller's buffer
    if (showPreview != 0 && !OpenPreviewIfConfigured()) {
        return 0;
    }
    if (!StartPreview()) {
        Close();
        context_.Report(kErrFile);
        return 0;
    }
    {
        std::lock_guard frame(frameLock_);
        const CDibImage& output = *imageSet_.Output(preparedMode_);
        recorder_.SetWidth(output.Width());
        recorder_.SetHeight(output.Height());
        recorder_.SetBitsPerPixel(output.BitCount());
        recorder_.SetRate(kProvisionalRate);
        recorder_.SetFrameCount(0);
    }
    if (!recorder_.Open(fileName)) {
        Close();
        context_.Report(kErrFile);
        return 0;
    }
    recordDuration_ = milliseconds;
    newFrame_.store(0, std::memory_order_relaxed);
    recording_.store(1, std::memory_order_release);
    recordingThread_ = platform::Thread::Start([this] { RecordingLoop(); }, platform::ThreadPriority::Normal);
    if (!recordingThread_) {
        recording_.store(0, std::memory_order_release);
        recorder_.Close();
        Close();
        context_.Report(kErrThread);
        return 0;
    }
    return 1;
}

int AcquisitionEngine::RecordW(const char16_t* fileName, int milliseconds, int showPreview) {
    const auto ansiName = platform::Utf16ToAnsi(fileName);
    if (!ansiName) {
        context_.Report(kErrFile);
        return 0;
    }
    return Record(ansiName->c_str(), milliseconds, showPreview);
}

void AcquisitionEngine::StopRecordingThread() {
    recording_.store(0, std::memory_order_release);
    if (recordingThread_) {
        recordingThread_->WaitFinished(platform::kInfinite);
        recordingThread_.reset();
    }
}

// Turns the output image into the next AVI frame (24 bits, bottom line
// first) and appends it. The conversion runs under the frame lock; the
// file write does not, so streaming never waits for the disk.
int AcquisitionEngine::RecordingStep(const CDibImage& output, CDibImage& frame, CDibImage& scratch, CDibImage& gray) {
    const CDibImage* written = &frame;
    {
        std::lock_guard lock(frameLock_);
        switch (output.BitCount()) {
        case 8:
            scratch.DrawTo(output, nullptr, 0, 0);
            frame.Convert(Rgb24Flip, scratch);
            break;
        case 16:
            gray.Convert(Gray16To8Flip, output);
            frame.DrawTo(gray, nullptr, 0, 0);
            break;
        case 24:
        case 32:
            frame.Convert(Rgb24Flip, output);
            break;
        default:  // 48 and 64 bits
            scratch.Convert(Rgb48To24Flip, output);
            written = &scratch;
            break;
        }
    }
    return recorder_.AddFrame(written->Bits());
}

void AcquisitionEngine::RecordingLoop() {
    CDibImage frame;
    CDibImage scratch;
    CDibImage gray;
    const CDibImage* output = nullptr;
    {
        std::lock_guard lock(frameLock_);
        output = imageSet_.Output(preparedMode_);
        const int32_t width = output->Width();
        const int32_t height = output->Height();
        if (!frame.Create(width, height, 24) || !scratch.Create(width, height, 24) || !gray.Create(width, height, 8)) {
            output = nullptr;
        }
    }
    uint32_t start = 0;
    uint32_t end = 0;
    uint32_t last = 0;
    uint32_t frames = 0;
    int32_t status = output != nullptr ? AviRecorder::kOk : AviRecorder::kOutOfMemory;
    while (status == AviRecorder::kOk && recording_.load(std::memory_order_acquire) != 0) {
        platform::Sleep(kPollMs);
        if (newFrame_.exchange(0, std::memory_order_acq_rel) == 0) {
            continue;
        }
        const uint32_t now = platform::MultimediaTime();
        last = now;
        if (frames == 0) {
            start = now;
            end = now + static_cast<uint32_t>(recordDuration_);
        }
        status = RecordingStep(*output, frame, scratch, gray);
        if (status != AviRecorder::kOk) {
            break;
        }
        recorder_.SetFrameCount(++frames);
        if (static_cast<int32_t>(end - now) < 0) {
            break;  // the requested duration has passed
        }
    }
    // However the recording ends (its time is up, the stream stops, the disk
    // is full or the file reached its size limit) the file is finished, so
    // it stays a valid AVI with every frame written so far.
    const uint32_t elapsed = last - start;
    recorder_.SetRate(frames > 0 && elapsed > 0 ? static_cast<uint32_t>(uint64_t{frames} * 100000u / elapsed) : 0);
    const int32_t closed = recorder_.Close();
    if ((status != AviRecorder::kOk && status != AviRecorder::kSizeLimit) || closed != AviRecorder::kOk) {
        context_.Report(kErrFile);
    }
    recording_.store(0, std::memory_order_release);
}

}  // namespace tavrin
