#include "output/avi_format.h"

#include <algorithm>

#include "output/little_endian.h"

namespace tavrin::avi {

namespace {

uint32_t SaturateU32(uint64_t value) { return static_cast<uint32_t>(std::min<uint64_t>(value, 0xFFFFFFFFu)); }

// Writes the records field by field, little-endian, whatever the machine.
class HeaderBytes {
public:
    explicit HeaderBytes(uint8_t* start) : at_(start) {}
    void U16(uint16_t value) {
        StoreU16(at_, value);
        at_ += 2;
    }
    void U32(uint32_t value) {
        StoreU32(at_, value);
        at_ += 4;
    }
    void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
    void Code(const char (&code)[5]) {
        StoreFourCC(at_, code);
        at_ += 4;
    }
    void Chars(const char (&code)[4]) {
        std::copy(code, code + 4, at_);
        at_ += 4;
    }
    uint8_t* At() const { return at_; }

private:
    uint8_t* at_;
};

void PutMainHeader(HeaderBytes& out, const AviMainHeader& h) {
    for (uint32_t value : {h.microSecPerFrame, h.maxBytesPerSec, h.paddingGranularity, h.flags, h.totalFrames,
                           h.initialFrames, h.streams, h.suggestedBufferSize, h.width, h.height, h.reserved[0],
                           h.reserved[1], h.reserved[2], h.reserved[3]}) {
        out.U32(value);
    }
}

void PutStreamHeader(HeaderBytes& out, const AviStreamHeader& h) {
    out.Chars(h.type);
    out.Chars(h.handler);
    out.U32(h.flags);
    out.U16(h.priority);
    out.U16(h.language);
    for (uint32_t value :
         {h.initialFrames, h.scale, h.rate, h.start, h.length, h.suggestedBufferSize, h.quality, h.sampleSize}) {
        out.U32(value);
    }
    for (int32_t value : h.frame) {
        out.I32(value);
    }
}

void PutFormat(HeaderBytes& out, const BitmapInfoHeader& f) {
    out.U32(f.biSize);
    out.I32(f.biWidth);
    out.I32(f.biHeight);
    out.U16(f.biPlanes);
    out.U16(f.biBitCount);
    out.U32(f.biCompression);
    out.U32(f.biSizeImage);
    out.I32(f.biXPelsPerMeter);
    out.I32(f.biYPelsPerMeter);
    out.U32(f.biClrUsed);
    out.U32(f.biClrImportant);
}

}  // namespace

uint64_t FrameBytes(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) {
        return 0;
    }
    const uint64_t stride = (3 * static_cast<uint64_t>(width) + 3) / 4 * 4;
    return stride * static_cast<uint64_t>(height);
}

AviMainHeader MakeMainHeader(int32_t width, int32_t height, uint32_t frameBytes, uint32_t framesPerSecond) {
    AviMainHeader h;
    h.microSecPerFrame = 1000000 / framesPerSecond;
    h.maxBytesPerSec = SaturateU32((static_cast<uint64_t>(frameBytes) + kChunkHeaderBytes) * framesPerSecond);
    h.flags = kFlagWasCaptureFile;
    h.streams = 1;
    h.suggestedBufferSize = SaturateU32(static_cast<uint64_t>(frameBytes) + kChunkHeaderBytes);
    h.width = static_cast<uint32_t>(width);
    h.height = static_cast<uint32_t>(height);
    return h;
}

AviStreamHeader MakeStreamHeader(uint32_t frameBytes, uint32_t framesPerSecond) {
    AviStreamHeader h;
    std::copy_n("vids", 4, h.type);
    std::copy_n("DIB ", 4, h.handler);
    h.scale = kStreamRate / framesPerSecond;
    h.rate = kStreamRate;
    h.suggestedBufferSize = SaturateU32(static_cast<uint64_t>(frameBytes) + kChunkHeaderBytes);
    return h;
}

BitmapInfoHeader MakeFrameFormat(int32_t width, int32_t height) {
    BitmapInfoHeader f;
    f.biSize = 40;
    f.biWidth = width;
    f.biHeight = height;
    f.biPlanes = 1;
    f.biBitCount = 24;
    f.biCompression = kBiRgb;
    return f;
}

std::array<uint8_t, kFirstChunkOffset> SerializeHeaders(const AviMainHeader& main, const AviStreamHeader& stream,
                                                        const BitmapInfoHeader& format, uint32_t riffSize,
                                                        uint32_t moviSize) {
    std::array<uint8_t, kFirstChunkOffset> bytes{};
    HeaderBytes out(bytes.data());
    out.Code("RIFF");
    out.U32(riffSize);
    out.Code("AVI ");
    out.Code("LIST");
    out.U32(kHeaderListSize);
    out.Code("hdrl");
    out.Code("avih");
    out.U32(sizeof(AviMainHeader));
    PutMainHeader(out, main);
    out.Code("LIST");
    out.U32(kStreamListSize);
    out.Code("strl");
    out.Code("strh");
    out.U32(sizeof(AviStreamHeader));
    PutStreamHeader(out, stream);
    out.Code("strf");
    out.U32(sizeof(BitmapInfoHeader));
    PutFormat(out, format);
    out.Code("LIST");
    out.U32(moviSize);
    out.Code("movi");
    return bytes;
}

void SerializeIndexEntry(const AviIndexEntry& entry, uint8_t* at) {
    HeaderBytes out(at);
    out.Chars(entry.chunkId);
    out.U32(entry.flags);
    out.U32(entry.offset);
    out.U32(entry.size);
}

}  // namespace tavrin::avi
