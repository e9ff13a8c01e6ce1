// Recording the stream to an AVI file: Record starts streaming and a
// recording thread; every frame the stream delivers is queued as a 24-bit
// recording frame (recording_queue.h), and the thread appends them in order.
#include <mutex>

#include "camera/acquisition_engine.h"
#include "platform/codepage.h"
#include "platform/time.h"

namespace tavrin {
namespace {

constexpr uint32_t kProvisionalRate = 30;
constexpr uint64_t kNanosecondsPerMs = 1000000;

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
    int32_t width = 0;
    int32_t height = 0;
    {
        std::lock_guard frame(frameLock_);
        const CDibImage& output = *imageSet_.Output(preparedMode_);
        width = output.Width();
        height = output.Height();
        recorder_.SetWidth(width);
        recorder_.SetHeight(height);
        recorder_.SetBitsPerPixel(output.BitCount());
        recorder_.SetRate(kProvisionalRate);
        recorder_.SetFrameCount(0);
    }
    // The stream runs meanwhile and finds the queue closed until it opens.
    if (!recordingQueue_.Allocate(width, height)) {
        Close();
        context_.Report(kErrBuffer);
        return 0;
    }
    if (!recorder_.Open(fileName)) {
        Close();
        context_.Report(kErrFile);
        return 0;
    }
    recordDuration_ = milliseconds;
    recordingQueue_.Open();
    recordedFrames_.store(0, std::memory_order_relaxed);
    recordingWriting_.store(1, std::memory_order_release);
    recording_.store(1, std::memory_order_release);
    recordingThread_ = platform::Thread::Start([this] { RecordingLoop(); }, platform::ThreadPriority::Normal);
    if (!recordingThread_) {
        recording_.store(0, std::memory_order_release);
        recordingWriting_.store(0, std::memory_order_release);
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
    recordingQueue_.Close();
    if (recordingThread_) {
        recordingThread_->WaitFinished(platform::kInfinite);
        recordingThread_.reset();
    }
}

// Called by the acquisition thread for each frame it delivers, under the
// frame lock.
void AcquisitionEngine::QueueRecordingFrame(const CDibImage& output, uint64_t captureTimeNs) {
    if (recording_.load(std::memory_order_acquire) != 0) {
        recordingQueue_.Push(output, captureTimeNs);
    }
}

// Appends the queued frames in order until the requested duration has passed
// (measured on the frames' capture times from the first frame) or the
// recording is stopped and its queue drained.
void AcquisitionEngine::RecordingLoop() {
    uint64_t start = 0;
    uint64_t end = 0;
    uint64_t last = 0;
    uint32_t frames = 0;
    int32_t status = AviRecorder::kOk;
    const CDibImage* frame = nullptr;
    uint64_t captured = 0;
    while (status == AviRecorder::kOk && recordingQueue_.WaitFront(frame, captured)) {
        const uint64_t now = captured / kNanosecondsPerMs;
        last = now;
        if (frames == 0) {
            start = now;
            // A negative duration, taken as unsigned, records for weeks.
            end = now + static_cast<uint32_t>(recordDuration_);
        }
        status = recorder_.AddFrame(frame->Bits());
        recordingQueue_.Pop();
        if (status != AviRecorder::kOk) {
            break;
        }
        recorder_.SetFrameCount(++frames);
        recordedFrames_.store(static_cast<int32_t>(frames), std::memory_order_relaxed);
        if (now > end) {
            break;  // the requested duration has passed
        }
    }
    recording_.store(0, std::memory_order_release);
    recordingQueue_.Close();
    // However the recording ends (its time is up, the stream stops, the disk
    // is full or the file reached its size limit) the file is finished, so
    // it stays a valid AVI with every frame written so far.
    const uint64_t elapsed = last - start;
    recorder_.SetRate(frames > 0 && elapsed > 0 ? static_cast<uint32_t>(uint64_t{frames} * 100000u / elapsed) : 0);
    const int32_t closed = recorder_.Close();
    if ((status != AviRecorder::kOk && status != AviRecorder::kSizeLimit) || closed != AviRecorder::kOk) {
        context_.Report(kErrFile);
    }
    // Last: a caller that sees 0 finds the file whole and any failure queued.
    recordingWriting_.store(0, std::memory_order_release);
}

int AcquisitionEngine::RecordingState(int* writing, int* frames) const {
    if (writing == nullptr) {
        context_.Report(kErrParameter);
        return 0;
    }
    *writing = recordingWriting_.load(std::memory_order_acquire);
    if (frames != nullptr) {
        *frames = recordedFrames_.load(std::memory_order_relaxed);
    }
    return 1;
}

}  // namespace tavrin
