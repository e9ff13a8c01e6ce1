#include "session/session_reader.h"

#include <algorithm>
#include <cstring>

#include "session/byte_codec.h"

namespace tavrin::session {

const char* DescribeStatus(ReadStatus status) {
    switch (status) {
    case ReadStatus::kOk: return "ok";
    case ReadStatus::kEnd: return "complete";
    case ReadStatus::kTorn: return "ends inside a chunk";
    case ReadStatus::kCorrupt: return "a chunk is damaged";
    case ReadStatus::kNotSession: return "not a session file";
    case ReadStatus::kNewerVersion: return "written by a newer format version";
    case ReadStatus::kCompressionUnsupported: return "compressed frames, and this build has no zstd";
    }
    return "unknown";
}

ReadStatus SessionReader::Begin() {
    std::array<uint8_t, kFileHeaderSize> header{};
    position_ = 0;
    if (file_.Size() < header.size() || !file_.ReadAt(0, header.data(), header.size())) {
        return status_ = ReadStatus::kNotSession;
    }
    ByteReader r(header);
    const std::span<const uint8_t> magic = r.Bytes(kMagic.size());
    const uint16_t major = r.U16();
    minorVersion_ = r.U16();
    fileFlags_ = r.U32();
    const uint32_t crc = r.U32();
    if (!std::equal(magic.begin(), magic.end(), kMagic.begin()) ||
        crc != Crc32(0, std::span(header).first(kFileHeaderSize - 4))) {
        return status_ = ReadStatus::kNotSession;
    }
    if (major != kMajorVersion) {
        return status_ = ReadStatus::kNewerVersion;
    }
    if (FramesCompressed() && !FrameCompressionAvailable()) {
        return status_ = ReadStatus::kCompressionUnsupported;
    }
    position_ = kFileHeaderSize;
    return status_ = ReadStatus::kOk;
}

bool SessionReader::Next(Chunk& chunk) {
    if (status_ != ReadStatus::kOk) {
        return false;
    }
    const uint64_t size = file_.Size();
    if (position_ == size) {
        return Stop(ReadStatus::kEnd);
    }
    std::array<uint8_t, kChunkHeaderSize> header{};
    if (size - position_ < header.size() || !file_.ReadAt(position_, header.data(), header.size())) {
        return Stop(ReadStatus::kTorn);
    }
    ByteReader r(header);
    chunk.type = r.U16();
    chunk.flags = r.U16();
    const uint32_t length = r.U32();
    const uint32_t crc = r.U32();
    if (length > kMaxPayloadLength) {
        return Stop(ReadStatus::kCorrupt);
    }
    // Checked before the buffer grows, so a damaged length never makes the
    // reader ask for more memory than the file holds.
    if (size - position_ - header.size() < length) {
        return Stop(ReadStatus::kTorn);
    }
    payload_.resize(length);
    if (length > 0 && !file_.ReadAt(position_ + header.size(), payload_.data(), length)) {
        return Stop(ReadStatus::kTorn);
    }
    if (Crc32(Crc32(0, std::span(header).first(8)), payload_) != crc) {
        return Stop(ReadStatus::kCorrupt);
    }
    chunk.offset = position_;
    chunk.payloadOffset = position_ + header.size();
    chunk.payload = payload_;
    position_ += header.size() + length;
    return true;
}

bool FrameDataReader::Read(const platform::ReadOnlyFile& file, const FrameRecord& frame, uint8_t* out,
                           size_t capacity) {
    if (frame.dataLength > capacity || (out == nullptr && frame.dataLength > 0) ||
        frame.dataOffset > file.Size() || file.Size() - frame.dataOffset < frame.storedLength) {
        return false;
    }
    if (frame.compression == Compression::kNone) {
        return frame.storedLength == frame.dataLength &&
               (frame.dataLength == 0 || file.ReadAt(frame.dataOffset, out, frame.dataLength));
    }
    if (frame.compression != Compression::kZstd || !FrameCompressionAvailable()) {
        return false;
    }
    stored_.resize(frame.storedLength);
    return file.ReadAt(frame.dataOffset, stored_.data(), stored_.size()) &&
           decompressor_.Decompress(stored_, out, frame.dataLength);
}

bool MemoryFile::ReadAt(uint64_t offset, void* out, size_t count) const {
    if (offset > bytes_.size() || bytes_.size() - offset < count) {
        return false;
    }
    if (count > 0) {
        std::memcpy(out, bytes_.data() + offset, count);
    }
    return true;
}

}  // namespace tavrin::session
