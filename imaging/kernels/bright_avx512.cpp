// Brightness of 16-bit samples with AVX-512: 32 samples per step, the same
// single-precision product, limit and truncation as the reference. Rows are
// runs of samples, the row's end a masked load and store; in four-channel
// images the masked store leaves each pixel's fourth sample alone. 8-bit
// samples and other layouts take the AVX2 version.
#include <immintrin.h>

#include "imaging/kernels/bright_rows.h"

// GCC 12 takes the self-initialised "undefined" vectors inside the
// conversion intrinsics for uninitialised reads (clang knows no such warning).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace tavrin {
namespace {

inline __m512i Scale16(__m512i samples, __m512 factor, __m512 limit) {
    __m512 product = _mm512_mul_ps(_mm512_cvtepi32_ps(samples), factor);
    product = _mm512_max_ps(_mm512_min_ps(product, limit), _mm512_setzero_ps());
    return _mm512_cvttps_epi32(product);
}

// 32 words in, 32 words out: widened and narrowed within 128-bit lanes, so
// that the order comes back as it was.
inline __m512i Words(__m512i v, __m512 factor, __m512 limit) {
    const __m512i zero = _mm512_setzero_si512();
    const __m512i low = Scale16(_mm512_unpacklo_epi16(v, zero), factor, limit);
    const __m512i high = Scale16(_mm512_unpackhi_epi16(v, zero), factor, limit);
    return _mm512_packus_epi32(low, high);  // values are within 0..65535
}

}  // namespace

void Bright_AVX512(const KernelArea& area, int32_t channels, float factor, int32_t sampleBytes, int32_t maxValue) {
    const int32_t spp = area.srcBytesPerPixel / 2;
    const bool whole = spp == channels && (channels == 1 || channels == 3);
    const bool keepFourth = channels == 3 && spp == 4;
    if (sampleBytes != 2 || area.srcBytesPerPixel != area.dstBytesPerPixel || area.srcBytesPerPixel % 2 != 0 ||
        (!whole && !keepFourth)) {
        Bright_AVX2(area, channels, factor, sampleBytes, maxValue);
        return;
    }
    const __m512 vFactor = _mm512_set1_ps(factor);
    const __m512 vLimit = _mm512_set1_ps(static_cast<float>(maxValue));
    // A step of 32 samples starts at a pixel, so every fourth is a pixel's fourth.
    const __mmask32 changed = keepFourth ? __mmask32{0x77777777u} : ~__mmask32{0};
    const int32_t count = area.width * spp;
    for (int32_t y = 0; y < area.height; ++y) {
        const uint8_t* in = SourceRowOf(area, y);
        uint8_t* out = DestRowOf(area, y);
        for (int32_t i = 0; i < count; i += 32) {
            const __mmask32 k = count - i >= 32 ? ~__mmask32{0} : _bzhi_u32(~0u, static_cast<uint32_t>(count - i));
            const __m512i v = _mm512_maskz_loadu_epi16(k, in + 2 * i);
            _mm512_mask_storeu_epi16(out + 2 * i, k & changed, Words(v, vFactor, vLimit));
        }
    }
}

}  // namespace tavrin
