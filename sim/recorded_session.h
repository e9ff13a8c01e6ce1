// A session file read for replay: the header, the requests other than frame
// reads grouped into the exchanges (one per device handle) they were made
// in, the frame reads in order with where their bytes lie, and the spells
// when the camera was away. Reading stops at the first torn or damaged
// chunk; everything before it replays.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/read_file.h"
#include "session/session_format.h"
#include "session/session_reader.h"

namespace tavrin::sim {

// One request other than a frame read.
struct RecordedRequest {
    session::RequestRecord record;
    uint32_t pipe = 0;  // session::kNoPipe when the request has none
    size_t chunk = 0;   // its place in the file, counting chunks from 0
};

struct RecordedFrame {
    session::FrameRecord record;
    size_t chunk = 0;
};

// The requests made on one device handle between its open and its close.
// A stream exchange carries frame reads; its own requests (the frame
// requests) replay with the frames.
struct RecordedExchange {
    uint64_t handle = 0;
    bool stream = false;
    std::vector<size_t> requests;  // indexes into RecordedSession::requests
};

// A spell when the camera was away. It began after framesBefore frame
// reads (or, when no frame was read since the last spell, after
// opensBefore opens since then) and saw failedOpens failed opens.
struct RecordedAbsence {
    uint64_t framesBefore = 0;
    bool countsOpens = false;
    uint64_t opensBefore = 0;
    uint64_t removalNs = 0;
    std::optional<uint64_t> arrivalNs;  // none: the recording ended meanwhile
    uint32_t failedOpens = 0;
};

struct RecordedSession {
    session::HeaderRecord header;
    std::vector<RecordedRequest> requests;
    std::vector<RecordedFrame> frames;
    std::vector<RecordedExchange> exchanges;  // command exchanges, by their first request
    std::vector<RecordedAbsence> absences;
    session::ReadStatus endStatus = session::ReadStatus::kEnd;
    std::unique_ptr<platform::ReadOnlyFile> file;  // frame data is read from here when replayed

    // Reads the file; null with error in words when it is no session file
    // this build can read.
    static std::unique_ptr<RecordedSession> Load(std::unique_ptr<platform::ReadOnlyFile> file, std::string& error);
    static std::unique_ptr<RecordedSession> Load(const std::string& path, std::string& error);
};

}  // namespace tavrin::sim
