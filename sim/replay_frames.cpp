// The replayed camera's frames and its comings and goings.
#include <algorithm>

#include "session/driver_requests.h"
#include "sim/replay_camera.h"
#include "sim/request_text.h"

namespace tavrin::sim {

namespace {

// See ArrivalDue.
constexpr std::chrono::seconds kSlowProgramMargin{1};

std::chrono::nanoseconds Span(uint64_t fromNs, uint64_t toNs) {
    return std::chrono::nanoseconds(toNs > fromNs ? static_cast<int64_t>(toNs - fromNs) : 0);
}

}  // namespace

// A frame read takes as long as it took when recorded, counted from its
// start; one that follows its predecessor in the same recorded run is also
// held to the recorded gap between the two, so that a long replay keeps the
// recorded rate instead of drifting by the replay's own overhead.
ReplayCamera::Clock::time_point ReplayCamera::FrameReadyTime(size_t index, Clock::time_point start) const {
    if (settings_.pace == ReplayPace::kFast) {
        return start;
    }
    const session::RequestFields& fields = session_->frames[index].record.fields;
    Clock::time_point ready = start + Span(fields.time.startNs, fields.time.endNs);
    if (lastServed_ && lastServed_->index + 1 == index) {
        const session::RequestFields& previous = session_->frames[index - 1].record.fields;
        if (previous.handle == fields.handle) {
            ready = std::min(ready, lastServed_->ready + Span(previous.time.endNs, fields.time.endNs));
        }
    }
    return std::max(ready, start);
}

int ReplayCamera::ServeFrame(Lock& lock, platform::DeviceHandle id, const Incoming& request, void* output,
                             uint32_t& moved) {
    const std::optional<uint32_t> generation = handles_[id].generation;
    if (!armed_) {
        return AnswerAsCamera(lock, generation, request, output, moved);
    }
    if (nextFrame_ >= session_->frames.size()) {
        if (settings_.end != ReplayEnd::kLoop || session_->frames.empty()) {
            return ServeEnd(lock);
        }
        nextFrame_ = 0;
        lastServed_.reset();
    }
    const RecordedFrame& frame = session_->frames[nextFrame_];
    const session::RequestFields& fields = frame.record.fields;
    if (fields.code != request.code || fields.outputLength != request.outputLength) {
        if (settings_.strict) {
            return Refuse(request,
                          DescribeRequest(fields.code, frame.record.input, fields.outputLength, {}) + " (chunk " +
                              std::to_string(frame.chunk) + ")",
                          moved);
        }
        return AnswerAsCamera(lock, generation, request, output, moved);
    }
    const size_t index = nextFrame_++;
    const Clock::time_point ready = FrameReadyTime(index, Clock::now());
    wake_.wait_until(lock, ready, [&] { return closing_; });
    lock.unlock();
    bool read = true;
    if (fields.result == 1 && frame.record.dataLength > 0) {
        std::lock_guard reading(frameReaderMutex_);
        read = frameReader_.Read(*session_->file, frame.record, static_cast<uint8_t*>(output), request.outputLength);
    }
    lock.lock();
    lastServed_ = Served{index, ready};
    ++servedFrames_;
    AfterFrame();
    moved = read ? std::min(fields.bytesReturned, request.outputLength) : 0;
    return read ? fields.result : 0;
}

// Past the last recorded frame: the camera stalls (the read gives up after
// the driver's wait) or is gone for good.
int ReplayCamera::ServeEnd(Lock& lock) {
    if (settings_.end == ReplayEnd::kUnplug) {
        GoAway(true);
        return 0;
    }
    if (driverWaitMs_ == 0) {
        wake_.wait(lock, [&] { return closing_ || away_; });
    } else {
        wake_.wait_for(lock, std::chrono::milliseconds(driverWaitMs_), [&] { return closing_ || away_; });
    }
    return 0;
}

// A spell away that follows a number of opens begins at the open after them.
void ReplayCamera::BeforeOpen() {
    if (away_) {
        if (!awayForGood_ && ArrivalDue(Clock::now())) {
            Arrive();
        }
        return;
    }
    if (nextAbsence_ < session_->absences.size()) {
        const RecordedAbsence& absence = session_->absences[nextAbsence_];
        if (absence.countsOpens && opensSinceBoundary_ >= absence.opensBefore) {
            GoAway(false);
        }
    }
}

// A spell away that follows a frame begins once that frame is served.
void ReplayCamera::AfterFrame() {
    if (away_ || nextAbsence_ >= session_->absences.size()) {
        return;
    }
    const RecordedAbsence& absence = session_->absences[nextAbsence_];
    if (!absence.countsOpens && servedFrames_ >= absence.framesBefore) {
        GoAway(false);
    }
}

// The camera comes back after as many failed opens as when recorded. At the
// recorded pace it also comes back after twice as long as it was away and
// a second more, for a program that opens it less often than the recorded
// one; the margin keeps the same program on a loaded machine, which makes
// its failed opens more slowly, from finding the camera back early.
bool ReplayCamera::ArrivalDue(Clock::time_point now) const {
    if (nextAbsence_ >= session_->absences.size()) {
        return true;
    }
    const RecordedAbsence& absence = session_->absences[nextAbsence_];
    if (!absence.arrivalNs) {
        return false;
    }
    if (failedOpensInSpell_ >= absence.failedOpens) {
        return true;
    }
    return settings_.pace == ReplayPace::kRecorded &&
           now - spellStart_ >= 2 * Span(absence.removalNs, *absence.arrivalNs) + kSlowProgramMargin;
}

void ReplayCamera::GoAway(bool forGood) {
    if (!away_) {
        away_ = true;
        ++spells_;
        spellStart_ = Clock::now();
        failedOpensInSpell_ = 0;
        camera_.SetPresent(false);
    }
    awayForGood_ = awayForGood_ || forGood;
    wake_.notify_all();
}

void ReplayCamera::Arrive() {
    away_ = false;
    ++nextAbsence_;
    opensSinceBoundary_ = 0;
    camera_.SetPresent(true);
}

}  // namespace tavrin::sim
