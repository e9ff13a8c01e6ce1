// The layout of the uncompressed AVI files the recorder writes: one video
// stream of 24-bit bottom-up DIB frames, no JUNK padding, so every header
// field sits at a fixed offset and the movi list always starts at 220.
//
//   0   "RIFF" size "AVI "
//   12  "LIST" 200 "hdrl"  "avih" 56 <main header at 32>
//   88  "LIST" 124 "strl"  "strh" 64 <stream header at 108>  "strf" 40 <format at 180>
//   220 "LIST" movi-size "movi"
//   232 frame chunks "00db" F <F bytes>, then "idx1" 16*N <N entries>
#pragma once

#include <array>
#include <cstdint>

#include "imaging/dib_image.h"

namespace tavrin {

// The avih record.
struct AviMainHeader {
    uint32_t microSecPerFrame = 0;
    uint32_t maxBytesPerSec = 0;
    uint32_t paddingGranularity = 0;
    uint32_t flags = 0;
    uint32_t totalFrames = 0;
    uint32_t initialFrames = 0;
    uint32_t streams = 0;
    uint32_t suggestedBufferSize = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t reserved[4] = {};
};
static_assert(sizeof(AviMainHeader) == 56, "avih is 56 bytes");

// The strh record, with its frame rectangle as four 32-bit values.
struct AviStreamHeader {
    char type[4] = {};
    char handler[4] = {};
    uint32_t flags = 0;
    uint16_t priority = 0;
    uint16_t language = 0;
    uint32_t initialFrames = 0;
    uint32_t scale = 0;
    uint32_t rate = 0;
    uint32_t start = 0;
    uint32_t length = 0;
    uint32_t suggestedBufferSize = 0;
    uint32_t quality = 0;
    uint32_t sampleSize = 0;
    int32_t frame[4] = {};
};
static_assert(sizeof(AviStreamHeader) == 64, "strh is 64 bytes");

// One idx1 entry.
struct AviIndexEntry {
    char chunkId[4];
    uint32_t flags;
    uint32_t offset;  // of the chunk's "00db", counted from the "movi" identifier
    uint32_t size;
};
static_assert(sizeof(AviIndexEntry) == 16, "an idx1 entry is 16 bytes");

namespace avi {

inline constexpr long kRiffSizeOffset = 4;
inline constexpr long kMainHeaderOffset = 32;
inline constexpr long kMicroSecPerFrameOffset = 32;
inline constexpr long kMainFlagsOffset = 44;
inline constexpr long kTotalFramesOffset = 48;
inline constexpr long kStreamHeaderOffset = 108;
inline constexpr long kStreamScaleOffset = 128;
inline constexpr long kStreamLengthOffset = 140;
inline constexpr long kFormatOffset = 180;
inline constexpr long kMoviSizeOffset = 224;
inline constexpr long kMoviIdOffset = 228;
inline constexpr long kFirstChunkOffset = 232;

inline constexpr uint32_t kHeaderListSize = 200;
inline constexpr uint32_t kStreamListSize = 124;
inline constexpr uint32_t kFlagHasIndex = 0x00000010;
inline constexpr uint32_t kFlagWasCaptureFile = 0x00010000;
inline constexpr uint32_t kIndexKeyFrame = 0x10;
inline constexpr uint32_t kStreamRate = 10000000;
inline constexpr uint32_t kChunkHeaderBytes = 8;
inline constexpr uint32_t kIndexEntryBytes = 16;
// RIFF size right after the headers: everything from offset 8 to 231.
inline constexpr uint32_t kRiffSizeAtOpen = kFirstChunkOffset - 8;
// movi size right after the headers: the "movi" identifier.
inline constexpr uint32_t kMoviSizeAtOpen = 4;
// The RIFF size field is 32 bits wide.
inline constexpr uint64_t kRiffSizeLimit = 0xFFFFFFFFu;

// Bytes of one frame: rows of 3 * width bytes rounded up to 4, times height.
uint64_t FrameBytes(int32_t width, int32_t height);

// The three records as they are written at open, for a frame rate in frames
// per second (at least 1). The main header does not claim an index yet: a
// file cut short before the first refresh has none, and a header that
// promised one would send players looking for it.
AviMainHeader MakeMainHeader(int32_t width, int32_t height, uint32_t frameBytes, uint32_t framesPerSecond);
AviStreamHeader MakeStreamHeader(uint32_t frameBytes, uint32_t framesPerSecond);
BitmapInfoHeader MakeFrameFormat(int32_t width, int32_t height);

// Offsets 0 to 231: the RIFF header, both header lists and the start of the
// movi list, with the RIFF and movi sizes as given.
std::array<uint8_t, kFirstChunkOffset> SerializeHeaders(const AviMainHeader& main, const AviStreamHeader& stream,
                                                        const BitmapInfoHeader& format, uint32_t riffSize,
                                                        uint32_t moviSize);

// Index entries as they are stored in the file.
void SerializeIndexEntry(const AviIndexEntry& entry, uint8_t* at);

}  // namespace avi
}  // namespace tavrin
