// SessionReader: walks the chunks of a session file from the start. It
// stops at the end of the file or at the first chunk that is cut short or
// fails its checksum, and says which; nothing past that point is trusted.
// Any input is safe: lengths are checked against the file before anything
// is allocated or read.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/read_file.h"
#include "session/frame_codec.h"
#include "session/session_format.h"

namespace tavrin::session {

enum class ReadStatus {
    kOk,
    kEnd,                     // every chunk was whole
    kTorn,                    // the file ends inside a chunk (a recorder stopped mid-write)
    kCorrupt,                 // a chunk's length or checksum is wrong
    kNotSession,              // no session file header
    kNewerVersion,            // a major version this reader does not know
    kCompressionUnsupported,  // compressed frames, and this build has no zstd
};

const char* DescribeStatus(ReadStatus status);

struct Chunk {
    uint16_t type = 0;  // a ChunkType, or a later one to skip
    uint16_t flags = 0;
    uint64_t offset = 0;         // where the chunk header starts
    uint64_t payloadOffset = 0;  // where its payload starts
    std::span<const uint8_t> payload;  // valid until the next call of Next
};

class SessionReader {
public:
    explicit SessionReader(const platform::ReadOnlyFile& file) : file_(file) {}

    // Reads the file header: kOk, or why the file cannot be read.
    ReadStatus Begin();
    // The next whole chunk; false at the end or at damage (Status says).
    bool Next(Chunk& chunk);
    ReadStatus Status() const { return status_; }
    // Where the last whole chunk ends: the part of the file that is good.
    uint64_t GoodEnd() const { return position_; }
    uint16_t MinorVersion() const { return minorVersion_; }
    bool FramesCompressed() const { return (fileFlags_ & kFileFramesCompressed) != 0; }

private:
    bool Stop(ReadStatus status) {
        status_ = status;
        return false;
    }

    const platform::ReadOnlyFile& file_;
    ReadStatus status_ = ReadStatus::kNotSession;
    uint64_t position_ = 0;
    uint16_t minorVersion_ = 0;
    uint32_t fileFlags_ = 0;
    std::vector<uint8_t> payload_;
};

// Reads the data of a frame chunk as it was transferred, decompressing it
// when stored so; keeps its buffers from frame to frame.
class FrameDataReader {
public:
    // out takes capacity bytes, at least the frame's dataLength. False when
    // the bytes are not there, do not decode, or need zstd this build lacks.
    bool Read(const platform::ReadOnlyFile& file, const FrameRecord& frame, uint8_t* out, size_t capacity);

private:
    std::vector<uint8_t> stored_;
    FrameDecompressor decompressor_;
};

// A file held in memory, for readers of bytes that never were a file.
class MemoryFile final : public platform::ReadOnlyFile {
public:
    explicit MemoryFile(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint64_t Size() const override { return bytes_.size(); }
    bool ReadAt(uint64_t offset, void* out, size_t count) const override;

private:
    std::span<const uint8_t> bytes_;
};

}  // namespace tavrin::session
