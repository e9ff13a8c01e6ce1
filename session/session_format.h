// The session file: a camera's whole conversation with its driver, as a
// file header followed by self-checking chunks, appended one at a time. A
// recorder that dies mid-write leaves at most its last chunk torn, and
// readers stop at the first chunk whose length or checksum is wrong.
// docs/session-format.md describes every byte.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "session/crc32.h"

namespace tavrin::session {

inline constexpr std::array<uint8_t, 8> kMagic = {'T', 'V', 'R', 'N', 'S', 'E', 'S', 'S'};
// Readers refuse another major version; a newer minor version only adds
// chunk types and header fields, which readers skip.
inline constexpr uint16_t kMajorVersion = 1;
inline constexpr uint16_t kMinorVersion = 0;
inline constexpr size_t kFileHeaderSize = 20;
inline constexpr size_t kChunkHeaderSize = 12;
// Larger than any frame the camera can send (64 MiB) with its fields.
inline constexpr uint32_t kMaxPayloadLength = (64u << 20) + 65536u;

// Bits of the file header's flags.
inline constexpr uint32_t kFileFramesCompressed = 1;  // frame data may be zstd-compressed

enum class ChunkType : uint16_t {
    kHeader = 1,   // the camera, the SDK, the settings and the host
    kOpen = 2,     // a device path opened (or not)
    kClose = 3,    // a device handle closed
    kRequest = 4,  // an I/O control request other than a frame read
    kFrame = 5,    // a frame read on the frame pipe, with the bytes it brought
    kDevice = 6,   // the camera arrived or went away
    kFailure = 7,  // a request or open failed, timed out or came short
    kEnd = 8,      // the recording ended, and why
};

enum class Compression : uint8_t { kNone = 0, kZstd = 1 };
enum class DeviceEvent : uint8_t { kArrival = 1, kRemoval = 2 };
// How the recorder learnt of an arrival or removal.
enum class DeviceEvidence : uint8_t { kOpenFailed = 1, kOpenSucceeded = 2 };
enum class FailureKind : uint8_t { kRequestFailed = 1, kTimedOut = 2, kShortTransfer = 3, kOpenFailed = 4 };
enum class EndReason : uint8_t { kStopped = 1, kReleased = 2, kDiskFull = 3, kWriteFailed = 4 };

// Host monotonic clock (nanoseconds) when a call went to the driver and
// when it returned.
struct CallTime {
    uint64_t startNs = 0;
    uint64_t endNs = 0;
};

// The handle value of an open that failed (INVALID_HANDLE_VALUE).
inline constexpr uint64_t kInvalidHandle = ~uint64_t{0};

struct OpenRecord {
    CallTime time;
    uint64_t handle = kInvalidHandle;
    std::string path;
    bool Opened() const { return handle != kInvalidHandle && handle != 0; }
};

struct CloseRecord {
    CallTime time;
    uint64_t handle = 0;
    int32_t result = 0;
};

// The fields every I/O control request has.
struct RequestFields {
    CallTime time;
    uint64_t handle = 0;
    uint32_t code = 0;
    int32_t result = 0;          // 1 success, 0 failure, as the driver answered
    uint32_t outputLength = 0;   // the output buffer's size
    uint32_t bytesReturned = 0;  // bytes the driver placed in it
};

struct RequestRecord {
    RequestFields fields;
    std::vector<uint8_t> input;     // the input buffer
    std::vector<uint8_t> sent;      // the output buffer as it went to the driver, for data sent that way
    std::vector<uint8_t> received;  // what the driver placed in the output buffer
};

// A frame read. Its data stays in the file: dataOffset is where the stored
// bytes begin, counted from the start of the file.
struct FrameRecord {
    RequestFields fields;
    std::vector<uint8_t> input;
    Compression compression = Compression::kNone;
    uint32_t dataLength = 0;    // bytes as transferred (bytesReturned)
    uint32_t storedLength = 0;  // bytes in the file
    uint64_t dataOffset = 0;
};

struct DeviceRecord {
    uint64_t timeNs = 0;
    DeviceEvent event = DeviceEvent::kArrival;
    DeviceEvidence evidence = DeviceEvidence::kOpenSucceeded;
};

struct FailureRecord {
    CallTime time;
    FailureKind kind = FailureKind::kRequestFailed;
    uint32_t code = 0;  // the I/O control code; 0 for an open
    uint32_t pipe = 0;  // the pipe of a pipe request, else 0xFFFFFFFF
    uint32_t expected = 0;
    uint32_t moved = 0;
};

struct EndRecord {
    uint64_t timeNs = 0;
    EndReason reason = EndReason::kStopped;
    std::string text;
};

// A run of serial ROM bytes from an address on.
struct RomBytes {
    uint16_t address = 0;
    std::vector<uint8_t> bytes;
};

struct HeaderRecord {
    uint32_t sdkVersion = 0;
    int64_t startSystemNs = 0;     // UTC, since 1970
    uint64_t startMonotonicNs = 0; // the same instant on the host monotonic clock
    std::string devicePath;
    int32_t slot = -1;
    std::string modelName;
    uint32_t variant = 0;
    std::vector<RomBytes> rom;
    std::string settings;  // "name=value" lines
    std::string host;      // "key=value" lines
};

// Payload encoders: each appends to out (cleared first).
void EncodeHeader(const HeaderRecord& record, std::vector<uint8_t>& out);
void EncodeOpen(const OpenRecord& record, std::vector<uint8_t>& out);
void EncodeClose(const CloseRecord& record, std::vector<uint8_t>& out);
void EncodeRequest(const RequestFields& fields, std::span<const uint8_t> input, std::span<const uint8_t> sent,
                   std::span<const uint8_t> received, std::vector<uint8_t>& out);
// The frame's fields up to its data, which the writer appends as it is.
void EncodeFrameFields(const RequestFields& fields, std::span<const uint8_t> input, Compression compression,
                       uint32_t dataLength, std::vector<uint8_t>& out);
void EncodeDevice(const DeviceRecord& record, std::vector<uint8_t>& out);
void EncodeFailure(const FailureRecord& record, std::vector<uint8_t>& out);
void EncodeEnd(const EndRecord& record, std::vector<uint8_t>& out);

// Payload decoders: nothing for a payload too short or with impossible
// values. Longer payloads are accepted (later versions may add fields).
std::optional<HeaderRecord> DecodeHeader(std::span<const uint8_t> payload);
std::optional<OpenRecord> DecodeOpen(std::span<const uint8_t> payload);
std::optional<CloseRecord> DecodeClose(std::span<const uint8_t> payload);
std::optional<RequestRecord> DecodeRequest(std::span<const uint8_t> payload);
// payloadOffset is where the payload lies in the file.
std::optional<FrameRecord> DecodeFrame(std::span<const uint8_t> payload, uint64_t payloadOffset);
std::optional<DeviceRecord> DecodeDevice(std::span<const uint8_t> payload);
std::optional<FailureRecord> DecodeFailure(std::span<const uint8_t> payload);
std::optional<EndRecord> DecodeEnd(std::span<const uint8_t> payload);

}  // namespace tavrin::session
