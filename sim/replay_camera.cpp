// The replayed camera's handles and its requests other than frame reads.
#include "sim/replay_camera.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "session/driver_requests.h"
#include "sim/request_text.h"

namespace tavrin::sim {

namespace {

// How far from the oldest unused recorded exchange a request is looked for:
// threads that talk to the camera at once may come in another order than
// they did when recorded, and a program may skip an exchange.
constexpr size_t kExchangeWindow = 16;
// An unused exchange this many places behind the one just used is given up.
constexpr size_t kExchangeSlack = 4;

constexpr uint8_t kFrameRequestCommand = 0x02;

bool SameBytes(std::span<const uint8_t> a, std::span<const uint8_t> b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

bool Matches(const RecordedRequest& recorded, uint32_t code, std::span<const uint8_t> input, uint32_t outputLength,
             std::span<const uint8_t> sent) {
    const session::RequestRecord& r = recorded.record;
    return r.fields.code == code && r.fields.outputLength == outputLength && SameBytes(r.input, input) &&
           (recorded.pipe == session::kPipeReply || SameBytes(r.sent, sent));
}

std::string Describe(const RecordedRequest& recorded) {
    const session::RequestRecord& r = recorded.record;
    return DescribeRequest(r.fields.code, r.input, r.fields.outputLength, r.sent);
}

}  // namespace

ReplayCamera::ReplayCamera(std::unique_ptr<RecordedSession> session, const ReplaySettings& settings,
                           SimCamera& camera, CameraAnswer answer)
    : session_(std::move(session)),
      settings_(settings),
      camera_(camera),
      answer_(std::move(answer)),
      armed_(!settings.strict),
      exchangeUsed_(session_->exchanges.size(), false) {
    // The simulated camera behind answers serial ROM reads the recording
    // lacks with what the recorded camera's ROM held.
    for (const session::RomBytes& run : session_->header.rom) {
        for (size_t i = 0; i < run.bytes.size() && run.address + i <= 0xFFFF; ++i) {
            camera_.SetSromByte(static_cast<int>(run.address + i), run.bytes[i]);
        }
    }
}

ReplayCamera::~ReplayCamera() {
    std::lock_guard lock(mutex_);
    closing_ = true;
    wake_.notify_all();
}

void ReplayCamera::Restart() {
    armed_ = true;
    std::fill(exchangeUsed_.begin(), exchangeUsed_.end(), false);
    oldestUnused_ = 0;
    commandRequests_ = 0;
    nextFrame_ = 0;
    servedFrames_ = 0;
    lastServed_.reset();
    if (away_) {
        camera_.SetPresent(true);
    }
    away_ = false;
    awayForGood_ = false;
    nextAbsence_ = 0;
    opensSinceBoundary_ = 0;
    // Exchanges under way belong to the time before; a stream keeps on with
    // the recording's first frame.
    for (auto& [id, handle] : handles_) {
        if (handle.role != Role::kStream) {
            handle.role = Role::kCamera;
        }
    }
}

void ReplayCamera::Mark(platform::DriverMark mark) {
    std::lock_guard lock(mutex_);
    switch (mark) {
    case platform::DriverMark::kRecordingPreparing:
        armedBeforePreparing_ = armed_;
        armed_ = false;
        break;
    case platform::DriverMark::kRecordingAbandoned:
        armed_ = armedBeforePreparing_;
        break;
    default:
        Restart();
        break;
    }
}

bool ReplayCamera::Open(platform::DeviceHandle id) {
    std::lock_guard lock(mutex_);
    if (armed_) {
        BeforeOpen();
    }
    if (away_) {
        ++failedOpensInSpell_;
        return false;
    }
    const std::optional<uint32_t> generation = camera_.Open();  // its own faults and plugging still count
    if (!generation) {
        return false;
    }
    ++opensSinceBoundary_;
    Handle handle;
    handle.generation = generation;
    handle.spell = spells_;
    handle.role = armed_ ? Role::kUnbound : Role::kCamera;
    handles_[id] = handle;
    return true;
}

bool ReplayCamera::Owns(platform::DeviceHandle id) const {
    std::lock_guard lock(mutex_);
    return handles_.contains(id);
}

int ReplayCamera::Close(platform::DeviceHandle id) {
    std::lock_guard lock(mutex_);
    return handles_.erase(id) == 1 ? 1 : 0;
}

std::string ReplayCamera::Report() const {
    std::lock_guard lock(mutex_);
    return report_;
}

int ReplayCamera::IoControl(platform::DeviceHandle id, uint32_t code, const void* input, uint32_t inputLength,
                            void* output, uint32_t outputLength, uint32_t& moved) {
    moved = 0;
    Lock lock(mutex_);
    const auto found = handles_.find(id);
    // A handle from before the camera went away reaches nothing any more.
    if (found == handles_.end() || away_ || found->second.spell != spells_) {
        return 0;
    }
    Incoming request{code, session::kNoPipe, {}, {}, outputLength};
    if (input != nullptr) {
        request.input = {static_cast<const uint8_t*>(input), inputLength};
    }
    request.pipe = session::PipeOf(code, request.input);
    if (output != nullptr && outputLength <= platform::kKeptOutputBytes && request.pipe != session::kPipeReply) {
        request.sent = {static_cast<const uint8_t*>(output), outputLength};
    }
    if (const auto wait = session::DriverWaitOf(code, request.input)) {
        driverWaitMs_ = *wait;
    }
    Handle& handle = found->second;
    const bool frameRequest = request.pipe == session::kPipeCommand && request.sent.size() == 64 &&
                              request.sent[0] == kFrameRequestCommand;
    if (handle.role == Role::kUnbound && (frameRequest || request.pipe == session::kPipeFrame)) {
        handle.role = Role::kStream;
    }
    switch (handle.role) {
    case Role::kStream:
        if (request.pipe == session::kPipeFrame) {
            return ServeFrame(lock, id, request, output, moved);
        }
        return AnswerAsCamera(lock, handle.generation, request, output, moved);
    case Role::kCamera: return AnswerAsCamera(lock, handle.generation, request, output, moved);
    case Role::kRefused: return 0;
    default: return ServeCommand(lock, id, request, output, moved);
    }
}

// A request on the command channel: the next of its handle's recorded
// exchange, or the first of a recorded exchange near its place.
int ReplayCamera::ServeCommand(Lock& lock, platform::DeviceHandle id, const Incoming& request, void* output,
                               uint32_t& moved) {
    Handle& handle = handles_[id];
    ++commandRequests_;
    if (handle.role == Role::kUnbound) {
        if (const std::optional<size_t> exchange = FindExchange(request)) {
            UseExchange(*exchange);
            handle.role = Role::kCommand;
            handle.exchange = *exchange;
            handle.next = 0;
        }
    }
    if (handle.role == Role::kCommand) {
        const std::vector<size_t>& requests = session_->exchanges[handle.exchange].requests;
        if (handle.next < requests.size()) {
            const RecordedRequest& recorded = session_->requests[requests[handle.next]];
            if (Matches(recorded, request.code, request.input, request.outputLength, request.sent)) {
                ++handle.next;
                return ServeRecorded(lock, handle, recorded, request, output, moved);
            }
        }
    }
    if (settings_.strict) {
        const std::string recorded = RecordedHere(handle);
        handle.role = Role::kRefused;
        return Refuse(request, recorded, moved);
    }
    handle.role = Role::kCamera;
    return AnswerAsCamera(lock, handle.generation, request, output, moved);
}

// The recorded answer. Commands also go to the simulated camera, so that
// it holds the recorded camera's settings when it has to answer.
int ReplayCamera::ServeRecorded(Lock& lock, Handle& handle, const RecordedRequest& recorded,
                                const Incoming& request, void* output, uint32_t& moved) {
    const session::RequestRecord& r = recorded.record;
    const std::optional<uint32_t> generation = handle.generation;
    if (recorded.pipe != session::kPipeReply && recorded.pipe != session::kPipeFrame) {
        uint32_t ignored = 0;
        AnswerAsCamera(lock, generation, request, output, ignored);
    }
    if (output != nullptr && !r.received.empty()) {
        std::memcpy(output, r.received.data(), std::min<size_t>(r.received.size(), request.outputLength));
    }
    moved = std::min(r.fields.bytesReturned, request.outputLength);
    return r.fields.result;
}

int ReplayCamera::AnswerAsCamera(Lock& lock, std::optional<uint32_t> generation, const Incoming& request,
                                 void* output, uint32_t& moved) {
    moved = 0;
    if (!generation) {
        return 0;
    }
    // The simulated camera may wait for a frame: never under the lock.
    lock.unlock();
    const int result = answer_(*generation, request.code, request.input.data(),
                               static_cast<uint32_t>(request.input.size()), output, request.outputLength, moved);
    lock.lock();
    return result;
}

std::optional<size_t> ReplayCamera::FindExchange(const Incoming& request) const {
    size_t looked = 0;
    for (size_t e = oldestUnused_; e < session_->exchanges.size() && looked < kExchangeWindow; ++e) {
        if (exchangeUsed_[e]) {
            continue;
        }
        ++looked;
        const RecordedRequest& first = session_->requests[session_->exchanges[e].requests.front()];
        if (Matches(first, request.code, request.input, request.outputLength, request.sent)) {
            return e;
        }
    }
    return std::nullopt;
}

void ReplayCamera::UseExchange(size_t exchange) {
    exchangeUsed_[exchange] = true;
    size_t behind = 0;
    for (size_t e = exchange; e > oldestUnused_; --e) {
        if (!exchangeUsed_[e - 1] && ++behind > kExchangeSlack) {
            exchangeUsed_[e - 1] = true;  // the program skipped it
        }
    }
    while (oldestUnused_ < exchangeUsed_.size() && exchangeUsed_[oldestUnused_]) {
        ++oldestUnused_;
    }
}

// What the recording holds where a request differed.
std::string ReplayCamera::RecordedHere(const Handle& handle) const {
    if (handle.role == Role::kCommand) {
        const std::vector<size_t>& requests = session_->exchanges[handle.exchange].requests;
        if (handle.next < requests.size()) {
            const RecordedRequest& recorded = session_->requests[requests[handle.next]];
            return Describe(recorded) + " (chunk " + std::to_string(recorded.chunk) + ")";
        }
        return "no further request on this handle (chunk " +
               std::to_string(session_->requests[requests.back()].chunk) + " was its last)";
    }
    if (oldestUnused_ < session_->exchanges.size()) {
        const RecordedRequest& recorded = session_->requests[session_->exchanges[oldestUnused_].requests.front()];
        return Describe(recorded) + " (chunk " + std::to_string(recorded.chunk) + ")";
    }
    return "no further request: the recording's requests are all used";
}

int ReplayCamera::Refuse(const Incoming& request, const std::string& recorded, uint32_t& moved) {
    moved = 0;
    if (report_.empty()) {
        report_ = "strict replay of " + settings_.path + ": request " + std::to_string(commandRequests_) +
                  " differs from the recording\n  sent:     " +
                  DescribeRequest(request.code, request.input, request.outputLength, request.sent) +
                  "\n  recorded: " + recorded;
        std::fprintf(stderr, "%s\n", report_.c_str());
    }
    return 0;
}

}  // namespace tavrin::sim
