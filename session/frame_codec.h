// Optional zstd compression of frame data. Builds without zstd (the Windows
// cross build may lack it) write frames as they are and refuse to read
// compressed ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tavrin::session {

// True when this build can compress and decompress frames.
bool FrameCompressionAvailable();

// Compresses frame after frame with one context and one output buffer,
// which grow only when a frame needs more room than any before it.
class FrameCompressor {
public:
    explicit FrameCompressor(int level = 1);
    ~FrameCompressor();
    FrameCompressor(const FrameCompressor&) = delete;
    FrameCompressor& operator=(const FrameCompressor&) = delete;

    // The compressed bytes, valid until the next call; empty when the
    // build has no zstd or compression failed.
    std::span<const uint8_t> Compress(std::span<const uint8_t> data);

private:
    int level_;
    void* context_ = nullptr;
    std::vector<uint8_t> output_;
};

class FrameDecompressor {
public:
    FrameDecompressor();
    ~FrameDecompressor();
    FrameDecompressor(const FrameDecompressor&) = delete;
    FrameDecompressor& operator=(const FrameDecompressor&) = delete;

    // Decompresses into out, which must take exactly rawLength bytes; false
    // when the data is damaged, decodes to another length, or the build has
    // no zstd.
    bool Decompress(std::span<const uint8_t> stored, uint8_t* out, size_t rawLength);

private:
    void* context_ = nullptr;
};

}  // namespace tavrin::session
