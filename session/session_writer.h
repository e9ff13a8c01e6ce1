// SessionWriter: appends chunks to a session file. Each chunk goes to the
// system in whole, in one write, before the call returns, so a process
// killed at any moment leaves every earlier chunk intact. A frame's bytes go
// from the caller's buffer to the system; nothing copies them on the way.
// Not thread-safe: the recorder serializes its calls.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/append_file.h"
#include "session/frame_codec.h"
#include "session/session_format.h"

namespace tavrin::session {

// Why writing stopped.
enum class WriteError { kNone, kCannotCreate, kDiskFull, kWriteFailed };

class SessionWriter {
public:
    SessionWriter() = default;
    ~SessionWriter();
    SessionWriter(const SessionWriter&) = delete;
    SessionWriter& operator=(const SessionWriter&) = delete;

    // Creates (or truncates) the file and writes its file header. With
    // compressFrames, frame data goes through zstd when this build has it
    // (FrameCompressionAvailable); otherwise frames are stored as they are
    // and the file says so.
    bool Open(const std::string& path, bool compressFrames);
    bool IsOpen() const { return file_ != nullptr; }
    bool CompressesFrames() const { return compressor_ != nullptr; }

    bool WriteHeader(const HeaderRecord& record);
    bool WriteOpen(const OpenRecord& record);
    bool WriteClose(const CloseRecord& record);
    bool WriteRequest(const RequestFields& fields, std::span<const uint8_t> input, std::span<const uint8_t> sent,
                      std::span<const uint8_t> received);
    bool WriteFrame(const RequestFields& fields, std::span<const uint8_t> input, std::span<const uint8_t> data);
    bool WriteDevice(const DeviceRecord& record);
    bool WriteFailure(const FailureRecord& record);
    bool WriteEnd(const EndRecord& record);

    // Closes the file; false when its last bytes could not be written.
    bool Close();

    WriteError Error() const { return error_; }
    // The system's words for the error, e.g. "No space left on device".
    const std::string& ErrorText() const { return errorText_; }
    uint64_t BytesWritten() const { return bytesWritten_; }
    uint64_t FrameBytes() const { return frameBytes_; }

private:
    bool WriteChunk(ChunkType type, std::span<const uint8_t> fields, std::span<const uint8_t> data);
    bool Put(std::span<const std::span<const uint8_t>> pieces);

    std::unique_ptr<platform::AppendFile> file_;
    std::unique_ptr<FrameCompressor> compressor_;
    std::vector<uint8_t> payload_;  // reused chunk after chunk
    WriteError error_ = WriteError::kNone;
    std::string errorText_;
    uint64_t bytesWritten_ = 0;
    uint64_t frameBytes_ = 0;
};

}  // namespace tavrin::session
