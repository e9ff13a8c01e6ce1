// AVX2 rows of the depth kernels. Compiled with -mavx2; called only after a
// CPU check. Each row converts whole vectors and hands the tail to the
// reference, so no load or store leaves the row.
#include <immintrin.h>

#include "imaging/kernels/depth_rows.h"

namespace tavrin::rows {
namespace {

// Shifts 32 words right, keeps their low bytes and packs them in order.
__m256i PackLowBytes(__m256i a, __m256i b, __m128i shiftCount) {
    const __m256i lowByte = _mm256_set1_epi16(0x00FF);
    a = _mm256_and_si256(_mm256_srl_epi16(a, shiftCount), lowByte);
    b = _mm256_and_si256(_mm256_srl_epi16(b, shiftCount), lowByte);
    // The pack works per 128-bit lane; the permute puts the quarters in order.
    return _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8);
}

// Eight 4-byte pixels to eight 3-byte pixels: the first 24 bytes of the result.
__m256i DropFourthBytes(__m256i pixels) {
    const __m256i perLane = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,  //
                                             0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m256i joinLanes = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);
    return _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(pixels, perLane), joinLanes);
}

void Store24(uint8_t* dst, __m256i packed) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm256_castsi256_si128(packed));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + 16), _mm256_extracti128_si256(packed, 1));
}

}  // namespace

void Words16ToBytes_AVX2(uint8_t* dst, const uint8_t* src, int32_t count, int shift) {
    const __m128i shiftCount = _mm_cvtsi32_si128(shift);
    int32_t i = 0;
    for (; i + 32 <= count; i += 32) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 2 * i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 2 * i + 32));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), PackLowBytes(a, b, shiftCount));
    }
    Words16ToBytes_C(dst + i, src + 2 * i, count - i, shift);
}

void Rgb64ToRgb24_AVX2(uint8_t* dst, const uint8_t* src, int32_t width) {
    const __m128i shiftCount = _mm_cvtsi32_si128(2);
    int32_t x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 8 * x));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 8 * x + 32));
        const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 8 * x + 64));
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 8 * x + 96));
        Store24(dst + 3 * x, DropFourthBytes(PackLowBytes(a, b, shiftCount)));
        Store24(dst + 3 * x + 24, DropFourthBytes(PackLowBytes(c, d, shiftCount)));
    }
    Rgb64ToRgb24_C(dst + 3 * x, src + 8 * x, width - x);
}

void Rgb32ToRgb24_AVX2(uint8_t* dst, const uint8_t* src, int32_t width) {
    int32_t x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 4 * x));
        Store24(dst + 3 * x, DropFourthBytes(pixels));
    }
    Rgb32ToRgb24_C(dst + 3 * x, src + 4 * x, width - x);
}

}  // namespace tavrin::rows
