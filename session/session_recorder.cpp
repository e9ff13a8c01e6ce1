#include "session/session_recorder.h"

#include <algorithm>

#include "platform/time.h"
#include "session/driver_requests.h"

namespace tavrin::session {

namespace {

RequestFields FieldsOf(const platform::DriverRequest& request) {
    RequestFields fields;
    fields.time = {request.startNs, request.endNs};
    fields.handle = request.handle;
    fields.code = request.code;
    fields.result = request.result;
    fields.outputLength = request.outputLength;
    fields.bytesReturned = request.bytesReturned;
    return fields;
}

std::span<const uint8_t> InputOf(const platform::DriverRequest& request) {
    if (request.input == nullptr) {
        return {};
    }
    return {static_cast<const uint8_t*>(request.input), request.inputLength};
}

// What the driver placed in the output buffer, at most limit bytes of it.
std::span<const uint8_t> ReceivedOf(const platform::DriverRequest& request, size_t limit) {
    if (request.output == nullptr) {
        return {};
    }
    const size_t count = std::min<size_t>({request.bytesReturned, request.outputLength, limit});
    return {static_cast<const uint8_t*>(request.output), count};
}

std::string EndTextOf(EndReason reason) {
    switch (reason) {
    case EndReason::kStopped: return "stopped";
    case EndReason::kReleased: return "the camera handle was released";
    case EndReason::kDiskFull: return "the disk is full";
    case EndReason::kWriteFailed: return "writing failed";
    }
    return "ended";
}

}  // namespace

SessionRecorder::SessionRecorder(const RecorderOptions& options, EndHandler onEnd)
    : present_(options.presentAtStart), driverWaitMs_(kDefaultDriverWaitMs), onEnd_(std::move(onEnd)) {}

SessionRecorder::~SessionRecorder() = default;

std::shared_ptr<SessionRecorder> SessionRecorder::Start(const std::string& path, const HeaderRecord& header,
                                                        const RecorderOptions& options, EndHandler onEnd,
                                                        std::string& error) {
    auto recorder = std::make_shared<SessionRecorder>(options, std::move(onEnd));
    SessionWriter& writer = recorder->writer_;
    if (!writer.Open(path, options.compressFrames) || !writer.WriteHeader(header)) {
        error = writer.ErrorText();
        writer.Close();
        return nullptr;
    }
    recorder->running_ = true;
    // A replayed session starts over here, where the recorded one began.
    platform::DriverMarkPath(header.devicePath.c_str(), platform::DriverMark::kRecordingStarted);
    platform::AttachDriverObserver(header.devicePath, recorder);
    return recorder;
}

bool SessionRecorder::Stop(EndReason reason) {
    std::lock_guard handlerLock(handlerMutex_);
    std::lock_guard lock(mutex_);
    endReported_ = true;  // the owner asks: it learns the reason from here on
    if (!running_) {
        return !failed_;
    }
    running_ = false;
    platform::DetachDriverObserver(this);
    const bool ended = writer_.WriteEnd({platform::MonotonicNanoseconds(), reason, EndTextOf(reason)});
    const bool closed = writer_.Close();
    endReason_ = reason;
    endText_ = EndTextOf(reason);
    if (!ended || !closed) {
        failed_ = true;
        endText_ = "the end of the file could not be written: " + writer_.ErrorText();
    }
    return !failed_;
}

bool SessionRecorder::Running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

std::string SessionRecorder::EndText() const {
    std::lock_guard lock(mutex_);
    return endText_;
}

RecorderCounts SessionRecorder::Counts() const {
    std::lock_guard lock(mutex_);
    RecorderCounts counts = counts_;
    counts.bytes = writer_.BytesWritten();
    return counts;
}

void SessionRecorder::EndAfterFailure() {
    running_ = false;
    failed_ = true;
    endReason_ = writer_.Error() == WriteError::kDiskFull ? EndReason::kDiskFull : EndReason::kWriteFailed;
    endText_ = EndTextOf(endReason_) + " (" + writer_.ErrorText() + ") after " +
               std::to_string(writer_.BytesWritten()) + " bytes";
    writer_.Close();
    platform::DetachDriverObserver(this);
}

void SessionRecorder::CallEndHandler() {
    std::lock_guard handlerLock(handlerMutex_);
    EndReason reason;
    std::string text;
    {
        std::lock_guard lock(mutex_);
        if (endReported_ || !failed_) {
            return;
        }
        endReported_ = true;
        reason = endReason_;
        text = endText_;
    }
    if (onEnd_) {
        onEnd_(reason, text);
    }
}

void SessionRecorder::NotePresence(bool opened, uint64_t timeNs) {
    if (present_ && *present_ != opened) {
        writer_.WriteDevice({timeNs, opened ? DeviceEvent::kArrival : DeviceEvent::kRemoval,
                             opened ? DeviceEvidence::kOpenSucceeded : DeviceEvidence::kOpenFailed});
    }
    present_ = opened;
}

void SessionRecorder::Opened(const char* path, platform::DeviceHandle handle, uint64_t startNs, uint64_t endNs) {
    bool ended = false;
    {
        std::lock_guard lock(mutex_);
        if (!running_) {
            return;
        }
        const OpenRecord record{{startNs, endNs}, handle, path};
        writer_.WriteOpen(record);
        if (!record.Opened()) {
            writer_.WriteFailure({{startNs, endNs}, FailureKind::kOpenFailed, 0, kNoPipe, 0, 0});
            ++counts_.failures;
        }
        NotePresence(record.Opened(), endNs);
        if (writer_.Error() != WriteError::kNone) {
            EndAfterFailure();
            ended = true;
        }
    }
    if (ended) {
        CallEndHandler();
    }
}

void SessionRecorder::Requested(const platform::DriverRequest& request) {
    bool ended = false;
    {
        std::lock_guard lock(mutex_);
        if (!running_) {
            return;
        }
        const uint32_t pipe = PipeOf(request.code, InputOf(request));
        if (pipe == kPipeFrame) {
            WriteFrame(request);
        } else {
            WriteRequest(request, pipe);
        }
        WriteFailureOf(request, pipe);
        if (writer_.Error() != WriteError::kNone) {
            EndAfterFailure();
            ended = true;
        }
    }
    if (ended) {
        CallEndHandler();
    }
}

void SessionRecorder::Closed(platform::DeviceHandle handle, int result, uint64_t startNs, uint64_t endNs) {
    bool ended = false;
    {
        std::lock_guard lock(mutex_);
        if (!running_) {
            return;
        }
        if (!writer_.WriteClose({{startNs, endNs}, handle, result})) {
            EndAfterFailure();
            ended = true;
        }
    }
    if (ended) {
        CallEndHandler();
    }
}

void SessionRecorder::WriteRequest(const platform::DriverRequest& request, uint32_t pipe) {
    const std::span<const uint8_t> input = InputOf(request);
    if (const std::optional<uint32_t> wait = DriverWaitOf(request.code, input); wait && request.result == 1) {
        driverWaitMs_ = *wait;
    }
    // A reply read's buffer only receives; what it held before means nothing.
    std::span<const uint8_t> sent;
    if (pipe != kPipeReply && request.outputBefore != nullptr) {
        sent = {request.outputBefore, request.outputBeforeLength};
    }
    writer_.WriteRequest(FieldsOf(request), input, sent, ReceivedOf(request, platform::kKeptOutputBytes));
    ++counts_.requests;
}

void SessionRecorder::WriteFrame(const platform::DriverRequest& request) {
    const std::span<const uint8_t> data =
        request.result == 1 ? ReceivedOf(request, request.outputLength) : std::span<const uint8_t>{};
    writer_.WriteFrame(FieldsOf(request), InputOf(request), data);
    ++counts_.frames;
}

void SessionRecorder::WriteFailureOf(const platform::DriverRequest& request, uint32_t pipe) {
    FailureRecord failure{{request.startNs, request.endNs}, FailureKind::kRequestFailed, request.code,
                          pipe, request.outputLength, request.bytesReturned};
    if (request.result == 1) {
        if (pipe != kPipeFrame || request.bytesReturned >= request.outputLength) {
            return;
        }
        failure.kind = FailureKind::kShortTransfer;
    } else if (pipe == kPipeFrame && driverWaitMs_ != 0 &&
               request.endNs - request.startNs >= uint64_t{driverWaitMs_} * 1000000u * 9 / 10) {
        // A read that gave up after (about) the driver's wait timed out.
        failure.kind = FailureKind::kTimedOut;
    }
    writer_.WriteFailure(failure);
    ++counts_.failures;
}

}  // namespace tavrin::session
