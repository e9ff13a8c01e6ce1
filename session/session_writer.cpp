#include "session/session_writer.h"

#include <cstring>

#include "session/byte_codec.h"

namespace tavrin::session {

namespace {

std::array<uint8_t, kFileHeaderSize> FileHeader(uint32_t flags) {
    std::vector<uint8_t> bytes;
    ByteWriter w(bytes);
    w.Bytes(kMagic);
    w.U16(kMajorVersion);
    w.U16(kMinorVersion);
    w.U32(flags);
    w.U32(Crc32(0, bytes));
    std::array<uint8_t, kFileHeaderSize> header{};
    std::memcpy(header.data(), bytes.data(), header.size());
    return header;
}

}  // namespace

SessionWriter::~SessionWriter() { Close(); }

bool SessionWriter::Open(const std::string& path, bool compressFrames) {
    Close();
    error_ = WriteError::kNone;
    errorText_.clear();
    bytesWritten_ = 0;
    frameBytes_ = 0;
    file_ = platform::CreateAppendFile(path.c_str(), errorText_);
    if (file_ == nullptr) {
        error_ = WriteError::kCannotCreate;
        return false;
    }
    compressor_.reset();
    if (compressFrames && FrameCompressionAvailable()) {
        compressor_ = std::make_unique<FrameCompressor>();
    }
    const auto header = FileHeader(compressor_ ? kFileFramesCompressed : 0);
    const std::span<const uint8_t> pieces[] = {header};
    return Put(pieces);
}

bool SessionWriter::Put(std::span<const std::span<const uint8_t>> pieces) {
    if (!file_->Append(pieces)) {
        if (error_ == WriteError::kNone) {
            error_ = file_->LastError() == platform::AppendFile::Error::kDiskFull ? WriteError::kDiskFull
                                                                                 : WriteError::kWriteFailed;
            errorText_ = file_->ErrorText();
        }
        return false;
    }
    for (const std::span<const uint8_t> piece : pieces) {
        bytesWritten_ += piece.size();
    }
    return true;
}

// type, flags, payload length, then the CRC-32 of those eight bytes and the
// payload, then the payload: the fields and (frames) the data.
bool SessionWriter::WriteChunk(ChunkType type, std::span<const uint8_t> fields, std::span<const uint8_t> data) {
    if (file_ == nullptr || error_ != WriteError::kNone) {
        return false;
    }
    std::array<uint8_t, kChunkHeaderSize> header{};
    const uint32_t length = static_cast<uint32_t>(fields.size() + data.size());
    const uint16_t kind = static_cast<uint16_t>(type);
    const uint8_t head[8] = {static_cast<uint8_t>(kind),          static_cast<uint8_t>(kind >> 8), 0, 0,
                             static_cast<uint8_t>(length),        static_cast<uint8_t>(length >> 8),
                             static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 24)};
    const uint32_t crc = Crc32(Crc32(Crc32(0, head), fields), data);
    std::memcpy(header.data(), head, sizeof head);
    for (int i = 0; i < 4; ++i) {
        header[8 + static_cast<size_t>(i)] = static_cast<uint8_t>(crc >> (8 * i));
    }
    const std::span<const uint8_t> pieces[] = {header, fields, data};
    return Put(pieces);
}

bool SessionWriter::WriteHeader(const HeaderRecord& record) {
    EncodeHeader(record, payload_);
    return WriteChunk(ChunkType::kHeader, payload_, {});
}

bool SessionWriter::WriteOpen(const OpenRecord& record) {
    EncodeOpen(record, payload_);
    return WriteChunk(ChunkType::kOpen, payload_, {});
}

bool SessionWriter::WriteClose(const CloseRecord& record) {
    EncodeClose(record, payload_);
    return WriteChunk(ChunkType::kClose, payload_, {});
}

bool SessionWriter::WriteRequest(const RequestFields& fields, std::span<const uint8_t> input,
                                 std::span<const uint8_t> sent, std::span<const uint8_t> received) {
    EncodeRequest(fields, input, sent, received, payload_);
    return WriteChunk(ChunkType::kRequest, payload_, {});
}

bool SessionWriter::WriteFrame(const RequestFields& fields, std::span<const uint8_t> input,
                               std::span<const uint8_t> data) {
    std::span<const uint8_t> stored = data;
    Compression compression = Compression::kNone;
    if (compressor_ && !data.empty()) {
        const std::span<const uint8_t> packed = compressor_->Compress(data);
        if (!packed.empty()) {
            stored = packed;
            compression = Compression::kZstd;
        }
    }
    EncodeFrameFields(fields, input, compression, static_cast<uint32_t>(data.size()), payload_);
    if (!WriteChunk(ChunkType::kFrame, payload_, stored)) {
        return false;
    }
    frameBytes_ += data.size();
    return true;
}

bool SessionWriter::WriteDevice(const DeviceRecord& record) {
    EncodeDevice(record, payload_);
    return WriteChunk(ChunkType::kDevice, payload_, {});
}

bool SessionWriter::WriteFailure(const FailureRecord& record) {
    EncodeFailure(record, payload_);
    return WriteChunk(ChunkType::kFailure, payload_, {});
}

bool SessionWriter::WriteEnd(const EndRecord& record) {
    EncodeEnd(record, payload_);
    return WriteChunk(ChunkType::kEnd, payload_, {});
}

bool SessionWriter::Close() {
    if (file_ == nullptr) {
        return error_ == WriteError::kNone;
    }
    if (!file_->Close() && error_ == WriteError::kNone) {
        error_ = WriteError::kWriteFailed;
        errorText_ = file_->ErrorText();
    }
    file_.reset();
    return error_ == WriteError::kNone;
}

}  // namespace tavrin::session
