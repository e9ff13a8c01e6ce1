// Brightness with AVX2: eight samples per multiply, the same single-precision
// product, limit and truncation as the reference. Rows are walked as runs of
// samples; in four-channel images the fourth sample of each pixel is put back.
#include <immintrin.h>

#include "imaging/kernels/bright_rows.h"

namespace tavrin {
namespace {

inline __m256i Scale8(__m256i samples, __m256 factor, __m256 limit) {
    __m256 product = _mm256_mul_ps(_mm256_cvtepi32_ps(samples), factor);
    product = _mm256_max_ps(_mm256_min_ps(product, limit), _mm256_setzero_ps());
    return _mm256_cvttps_epi32(product);
}

inline int32_t ScaleOne(int32_t sample, float factor, float limit) {
    float product = static_cast<float>(sample) * factor;
    if (product > limit)
        product = limit;
    if (!(product > 0.0f))
        product = 0.0f;
    return static_cast<int32_t>(product);
}

// 32 bytes in, 32 bytes out.
inline __m256i Bytes(const uint8_t* in, __m256 factor, __m256 limit) {
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16));
    const __m256i a = Scale8(_mm256_cvtepu8_epi32(lo), factor, limit);
    const __m256i b = Scale8(_mm256_cvtepu8_epi32(_mm_srli_si128(lo, 8)), factor, limit);
    const __m256i c = Scale8(_mm256_cvtepu8_epi32(hi), factor, limit);
    const __m256i d = Scale8(_mm256_cvtepu8_epi32(_mm_srli_si128(hi, 8)), factor, limit);
    const __m256i ab = _mm256_packus_epi32(a, b);  // lanes: a0 b0 | a1 b1
    const __m256i cd = _mm256_packus_epi32(c, d);
    const __m256i bytes = _mm256_packus_epi16(ab, cd);  // a0 b0 c0 d0 | a1 b1 c1 d1 (quarters)
    return _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
}

// 16 words in, 16 words out.
inline __m256i Words(const uint8_t* in, __m256 factor, __m256 limit) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
    const __m256i a = Scale8(_mm256_cvtepu16_epi32(_mm256_castsi256_si128(v)), factor, limit);
    const __m256i b = Scale8(_mm256_cvtepu16_epi32(_mm256_extracti128_si256(v, 1)), factor, limit);
    return _mm256_permute4x64_epi64(_mm256_packus_epi32(a, b), 0xD8);
}

}  // namespace

// Walks the rows 32 bytes at a time as the table step does (tone_lut_avx2.cpp);
// the vector bodies differ, so the loops are deliberately written out in both.
static bool TryBright(const KernelArea& area, int32_t channels, float factor, int32_t sampleBytes, int32_t maxValue) {
    const int32_t bpp = area.srcBytesPerPixel;
    if (bpp != area.dstBytesPerPixel)
        return false;
    const int32_t samplesPerPixel = bpp / sampleBytes;
    const bool whole = samplesPerPixel == channels && (channels == 1 || channels == 3);
    const bool keepFourth = channels == 3 && samplesPerPixel == 4;
    if ((!whole && !keepFourth) || bpp % sampleBytes != 0)
        return false;
    const __m256 vFactor = _mm256_set1_ps(factor);
    const auto limit = static_cast<float>(maxValue);
    const __m256 vLimit = _mm256_set1_ps(limit);
    const __m256i fourth = sampleBytes == 1 ? _mm256_set1_epi32(static_cast<int32_t>(0xFF000000u))
                                            : _mm256_set1_epi64x(static_cast<int64_t>(0xFFFF000000000000ull));
    const int32_t rowBytes = area.width * bpp;
    for (int32_t y = 0; y < area.height; ++y) {
        const uint8_t* in = SourceRowOf(area, y);
        uint8_t* out = DestRowOf(area, y);
        int32_t i = 0;
        for (; i + 32 <= rowBytes; i += 32) {
            __m256i v = sampleBytes == 1 ? Bytes(in + i, vFactor, vLimit) : Words(in + i, vFactor, vLimit);
            if (keepFourth) {
                v = _mm256_blendv_epi8(v, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i)), fourth);
            }
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), v);
        }
        for (; i < rowBytes; i += sampleBytes) {
            const bool kept = keepFourth && (i / sampleBytes) % 4 == 3;
            if (sampleBytes == 1) {
                out[i] = kept ? in[i] : static_cast<uint8_t>(ScaleOne(in[i], factor, limit));
            } else {
                Store16(out + i, kept ? Load16(in + i) : ScaleOne(Load16(in + i), factor, limit));
            }
        }
    }
    return true;
}

void Bright_AVX2(const KernelArea& area, int32_t channels, float factor, int32_t sampleBytes, int32_t maxValue) {
    if (!TryBright(area, channels, factor, sampleBytes, maxValue))
        Bright_C(area, channels, factor, sampleBytes, maxValue);
}

}  // namespace tavrin
