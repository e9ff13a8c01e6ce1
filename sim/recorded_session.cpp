#include "sim/recorded_session.h"

#include <unordered_map>

#include "session/driver_requests.h"

namespace tavrin::sim {

namespace {

using session::ChunkType;

// Builds the session chunk by chunk, in file order.
class SessionBuilder {
public:
    explicit SessionBuilder(RecordedSession& session) : session_(session) {}

    void Add(const session::Chunk& chunk, size_t index) {
        switch (static_cast<ChunkType>(chunk.type)) {
        case ChunkType::kHeader:
            if (auto header = session::DecodeHeader(chunk.payload)) {
                session_.header = std::move(*header);
            }
            break;
        case ChunkType::kOpen:
            if (const auto open = session::DecodeOpen(chunk.payload)) {
                AddOpen(*open);
            }
            break;
        case ChunkType::kClose:
            if (const auto close = session::DecodeClose(chunk.payload)) {
                open_.erase(close->handle);
            }
            break;
        case ChunkType::kRequest:
            if (auto request = session::DecodeRequest(chunk.payload)) {
                AddRequest(std::move(*request), index);
            }
            break;
        case ChunkType::kFrame:
            if (auto frame = session::DecodeFrame(chunk.payload, chunk.payloadOffset)) {
                AddFrame(std::move(*frame), index);
            }
            break;
        case ChunkType::kDevice:
            if (const auto device = session::DecodeDevice(chunk.payload)) {
                AddDevice(*device);
            }
            break;
        default:
            break;  // failures and the end say nothing the replay needs
        }
    }

    // Stream exchanges were marked as their frames came; only command
    // exchanges are matched request by request.
    void Finish() {
        std::vector<RecordedExchange> commands;
        for (RecordedExchange& exchange : exchanges_) {
            if (!exchange.stream && !exchange.requests.empty()) {
                commands.push_back(std::move(exchange));
            }
        }
        session_.exchanges = std::move(commands);
    }

private:
    void AddOpen(const session::OpenRecord& open) {
        ++opensSinceBoundary_;
        if (!open.Opened()) {
            if (away_) {
                ++session_.absences.back().failedOpens;
            }
            return;
        }
        open_[open.handle] = exchanges_.size();
        exchanges_.push_back({open.handle, false, {}});
    }

    // A handle the recording never saw opened was opened before it began.
    RecordedExchange& ExchangeOf(uint64_t handle) {
        const auto found = open_.find(handle);
        if (found != open_.end()) {
            return exchanges_[found->second];
        }
        open_[handle] = exchanges_.size();
        exchanges_.push_back({handle, false, {}});
        return exchanges_.back();
    }

    void AddRequest(session::RequestRecord record, size_t index) {
        const uint32_t pipe = session::PipeOf(record.fields.code, record.input);
        RecordedExchange& exchange = ExchangeOf(record.fields.handle);
        exchange.requests.push_back(session_.requests.size());
        session_.requests.push_back({std::move(record), pipe, index});
    }

    void AddFrame(session::FrameRecord record, size_t index) {
        ExchangeOf(record.fields.handle).stream = true;
        session_.frames.push_back({std::move(record), index});
    }

    void AddDevice(const session::DeviceRecord& device) {
        if (device.event == session::DeviceEvent::kRemoval && !away_) {
            RecordedAbsence absence;
            absence.framesBefore = session_.frames.size();
            absence.countsOpens = session_.frames.size() == framesAtBoundary_;
            // The failed open that showed the removal counts as the spell's
            // first, not as one before it.
            absence.opensBefore = opensSinceBoundary_ > 0 ? opensSinceBoundary_ - 1 : 0;
            absence.removalNs = device.timeNs;
            absence.failedOpens = 1;
            session_.absences.push_back(absence);
            away_ = true;
        } else if (device.event == session::DeviceEvent::kArrival && away_) {
            session_.absences.back().arrivalNs = device.timeNs;
            away_ = false;
            framesAtBoundary_ = session_.frames.size();
            opensSinceBoundary_ = 1;  // the open that showed the arrival
        }
    }

    RecordedSession& session_;
    std::vector<RecordedExchange> exchanges_;
    std::unordered_map<uint64_t, size_t> open_;  // handle -> its exchange
    bool away_ = false;
    uint64_t framesAtBoundary_ = 0;
    uint64_t opensSinceBoundary_ = 0;
};

}  // namespace

std::unique_ptr<RecordedSession> RecordedSession::Load(std::unique_ptr<platform::ReadOnlyFile> file,
                                                      std::string& error) {
    if (!file) {
        error = "the file does not open";
        return nullptr;
    }
    auto session = std::make_unique<RecordedSession>();
    session::SessionReader reader(*file);
    const session::ReadStatus status = reader.Begin();
    if (status != session::ReadStatus::kOk) {
        error = session::DescribeStatus(status);
        return nullptr;
    }
    SessionBuilder builder(*session);
    session::Chunk chunk;
    for (size_t index = 0; reader.Next(chunk); ++index) {
        builder.Add(chunk, index);
    }
    builder.Finish();
    session->endStatus = reader.Status();
    session->file = std::move(file);
    return session;
}

std::unique_ptr<RecordedSession> RecordedSession::Load(const std::string& path, std::string& error) {
    return Load(platform::OpenReadOnlyFile(path.c_str()), error);
}

}  // namespace tavrin::sim
