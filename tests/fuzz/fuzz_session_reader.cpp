// Session files: any bytes read as a session give whole chunks up to the
// first damaged one, decode without reading past a payload, and never ask
// for more memory than the file holds; the replay's reading of a session
// (its exchanges, frames and absences) takes any bytes too.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "session/session_reader.h"
#include "sim/recorded_session.h"

namespace {

using namespace tavrin::session;

void DecodeChunk(const Chunk& chunk, const tavrin::platform::ReadOnlyFile& file, FrameDataReader& frames) {
    switch (static_cast<ChunkType>(chunk.type)) {
    case ChunkType::kHeader: DecodeHeader(chunk.payload); break;
    case ChunkType::kOpen: DecodeOpen(chunk.payload); break;
    case ChunkType::kClose: DecodeClose(chunk.payload); break;
    case ChunkType::kRequest: DecodeRequest(chunk.payload); break;
    case ChunkType::kDevice: DecodeDevice(chunk.payload); break;
    case ChunkType::kFailure: DecodeFailure(chunk.payload); break;
    case ChunkType::kEnd: DecodeEnd(chunk.payload); break;
    case ChunkType::kFrame:
        if (const auto frame = DecodeFrame(chunk.payload, chunk.payloadOffset)) {
            // The stored bytes lie inside the chunk just read.
            if (frame->dataOffset + frame->storedLength > chunk.payloadOffset + chunk.payload.size()) {
                std::abort();
            }
            std::vector<uint8_t> data(frame->dataLength < (1u << 20) ? frame->dataLength : 0);
            frames.Read(file, *frame, data.data(), data.size());
        }
        break;
    default: break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const MemoryFile file({data, size});
    SessionReader reader(file);
    if (reader.Begin() != ReadStatus::kOk) {
        return 0;
    }
    FrameDataReader frames;
    Chunk chunk;
    uint64_t end = kFileHeaderSize;
    while (reader.Next(chunk)) {
        if (chunk.offset != end || chunk.payloadOffset + chunk.payload.size() > size) {
            std::abort();
        }
        end = chunk.payloadOffset + chunk.payload.size();
        DecodeChunk(chunk, file, frames);
    }
    if (reader.GoodEnd() != end || reader.Status() == ReadStatus::kOk) {
        std::abort();
    }
    std::string error;
    const auto session = tavrin::sim::RecordedSession::Load(std::make_unique<MemoryFile>(file), error);
    if (session) {
        for (const auto& exchange : session->exchanges) {
            if (exchange.requests.empty() || exchange.requests.back() >= session->requests.size()) {
                std::abort();
            }
        }
    }
    return 0;
}
