#include "session/frame_codec.h"

#if TAVRIN_HAVE_ZSTD
#include <zstd.h>
#endif

namespace tavrin::session {

#if TAVRIN_HAVE_ZSTD

bool FrameCompressionAvailable() { return true; }

FrameCompressor::FrameCompressor(int level) : level_(level), context_(ZSTD_createCCtx()) {}

FrameCompressor::~FrameCompressor() { ZSTD_freeCCtx(static_cast<ZSTD_CCtx*>(context_)); }

std::span<const uint8_t> FrameCompressor::Compress(std::span<const uint8_t> data) {
    if (context_ == nullptr) {
        return {};
    }
    const size_t bound = ZSTD_compressBound(data.size());
    if (output_.size() < bound) {
        output_.resize(bound);
    }
    const size_t written = ZSTD_compressCCtx(static_cast<ZSTD_CCtx*>(context_), output_.data(), output_.size(),
                                             data.data(), data.size(), level_);
    if (ZSTD_isError(written)) {
        return {};
    }
    return {output_.data(), written};
}

FrameDecompressor::FrameDecompressor() : context_(ZSTD_createDCtx()) {}

FrameDecompressor::~FrameDecompressor() { ZSTD_freeDCtx(static_cast<ZSTD_DCtx*>(context_)); }

bool FrameDecompressor::Decompress(std::span<const uint8_t> stored, uint8_t* out, size_t rawLength) {
    if (context_ == nullptr || (out == nullptr && rawLength > 0)) {
        return false;
    }
    const size_t written =
        ZSTD_decompressDCtx(static_cast<ZSTD_DCtx*>(context_), out, rawLength, stored.data(), stored.size());
    return !ZSTD_isError(written) && written == rawLength;
}

#else

bool FrameCompressionAvailable() { return false; }

FrameCompressor::FrameCompressor(int level) : level_(level) {}
FrameCompressor::~FrameCompressor() = default;
std::span<const uint8_t> FrameCompressor::Compress(std::span<const uint8_t>) {
    static_cast<void>(level_);
    return {};
}

FrameDecompressor::FrameDecompressor() = default;
FrameDecompressor::~FrameDecompressor() = default;
bool FrameDecompressor::Decompress(std::span<const uint8_t>, uint8_t*, size_t) { return false; }

#endif

}  // namespace tavrin::session
