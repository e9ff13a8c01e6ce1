// Sharpness for 8-bit images with AVX2. Each row of the area is handled as a
// run of bytes: the 4x4 window sum of a byte is the sum of the column sums
// (four rows) at the byte and at one, two pixels before and one pixel after
// it. Column sums are computed once per row segment into a small buffer.
#include <immintrin.h>

#include "imaging/kernels/sharpen_fast.h"

namespace tavrin {
namespace {

constexpr int32_t kSegment = 1024;  // output bytes per segment

inline __m256i Widen(const uint8_t* p) {
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// (d x strength) / 10 truncated toward zero, for |d x strength| < 16384:
// 6554 / 65536 is close enough to 1/10 that the high half of |p| x 6554 is
// exactly |p| / 10 in that range.
inline __m256i TimesStrengthOverTen(__m256i d, __m256i strength) {
    const __m256i p = _mm256_mullo_epi16(d, strength);
    const __m256i sign = _mm256_srai_epi16(p, 15);
    const __m256i q = _mm256_mulhi_epu16(_mm256_abs_epi16(p), _mm256_set1_epi16(6554));
    return _mm256_sub_epi16(_mm256_xor_si256(q, sign), sign);
}

inline int32_t ScalarOut(int32_t v, int32_t sum, int32_t strength) {
    const int32_t value = v + (v - (sum >> 4)) * strength / 10;
    return value < 0 ? 0 : (value > 255 ? 255 : value);
}

}  // namespace

bool Sharpen8Avx2(const ToneArea& area, int32_t channels, int32_t strength) {
    const int32_t bpp = area.srcBytesPerPixel;
    if (bpp != area.dstBytesPerPixel) return false;
    const bool whole = (channels == 1 && bpp == 1) || (channels == 3 && bpp == 3);
    const bool keepFourth = channels == 3 && bpp == 4;
    if (!whole && !keepFourth) return false;
    if (area.width <= 4 || area.height <= 4) return true;
    const __m256i vStrength = _mm256_set1_epi16(static_cast<int16_t>(strength));
    const __m256i fourth = _mm256_set1_epi32(static_cast<int32_t>(0xFF000000u));
    const __m128i fourth128 = _mm256_castsi256_si128(fourth);
    alignas(32) uint16_t columns[kSegment + 64];
    const int32_t begin = 2 * bpp;              // first output byte of a row
    const int32_t end = (area.width - 2) * bpp;  // one past the last
    for (int32_t y = 2; y <= area.height - 3; ++y) {
        const uint8_t* rows[4] = {SourceRowOf(area, y - 2), SourceRowOf(area, y - 1), SourceRowOf(area, y),
                                  SourceRowOf(area, y + 1)};
        const uint8_t* in = rows[2];
        uint8_t* out = DestRowOf(area, y);
        for (int32_t s0 = begin; s0 < end; s0 += kSegment) {
            const int32_t s1 = s0 + kSegment < end ? s0 + kSegment : end;
            // Column sums for bytes [s0 - 2 bpp, s1 + bpp), which stays inside the row.
            const int32_t c0 = s0 - 2 * bpp;
            const int32_t c1 = s1 + bpp;
            int32_t j = c0;
            for (; j + 16 <= c1; j += 16) {
                const __m256i sum = _mm256_add_epi16(_mm256_add_epi16(Widen(rows[0] + j), Widen(rows[1] + j)),
                                                     _mm256_add_epi16(Widen(rows[2] + j), Widen(rows[3] + j)));
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(columns + (j - c0)), sum);
            }
            for (; j < c1; ++j) {
                columns[j - c0] = static_cast<uint16_t>(rows[0][j] + rows[1][j] + rows[2][j] + rows[3][j]);
            }
            const uint16_t* col = columns + 2 * bpp;  // column sum of byte s0
            const auto at = [&](int32_t i, int32_t offset) {
                return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(col + (i - s0) + offset));
            };
            int32_t i = s0;
            for (; i + 16 <= s1; i += 16) {
                const __m256i window = _mm256_add_epi16(_mm256_add_epi16(at(i, -2 * bpp), at(i, -bpp)),
                                                        _mm256_add_epi16(at(i, 0), at(i, bpp)));
                const __m256i v = Widen(in + i);
                const __m256i d = _mm256_sub_epi16(v, _mm256_srli_epi16(window, 4));
                const __m256i value = _mm256_add_epi16(v, TimesStrengthOverTen(d, vStrength));
                const __m256i packed = _mm256_packus_epi16(value, _mm256_permute2x128_si256(value, value, 0x11));
                __m128i bytes = _mm256_castsi256_si128(packed);
                if (keepFourth) {
                    const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + i));
                    bytes = _mm_blendv_epi8(bytes, old, fourth128);
                }
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), bytes);
            }
            for (; i < s1; ++i) {
                if (keepFourth && i % 4 == 3) continue;
                const int32_t window = col[i - s0 - 2 * bpp] + col[i - s0 - bpp] + col[i - s0] + col[i - s0 + bpp];
                out[i] = static_cast<uint8_t>(ScalarOut(in[i], window, strength));
            }
        }
    }
    return true;
}

}  // namespace tavrin
