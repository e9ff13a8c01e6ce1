// Sharpness for 8-bit images with AVX2. Each row of the area is handled as a
// run of bytes: the 4x4 window sum of a byte is the sum of the column sums
// (four rows) at the byte and at one, two pixels before and one pixel after
// it. Column sums are computed once per row segment into a small buffer.
#include <immintrin.h>

#include "imaging/kernels/sharpen_rows.h"
#include "imaging/kernels/tone_lut.h"

namespace tavrin {
namespace {

constexpr int32_t kSegment = 1024;  // output bytes per segment

inline __m256i Widen(const uint8_t* p) {
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// (d x strength) / 10 truncated toward zero, for |p| = |d x strength| <= 7650:
// the signed high half of p x 6554 is floor(p x 0.1000061), which is p / 10
// rounded down with an error far below 1/10 in that range; adding 1 for
// negative p turns rounding down into truncation toward zero (a negative
// multiple of 10 lands just below its quotient, so it is exact too).
inline __m256i TimesStrengthOverTen(__m256i d, __m256i strength) {
    const __m256i p = _mm256_mullo_epi16(d, strength);
    return _mm256_sub_epi16(_mm256_mulhi_epi16(p, _mm256_set1_epi16(6554)), _mm256_srai_epi16(p, 15));
}

inline int32_t ScalarOut(int32_t v, int32_t sum, int32_t strength) {
    const int32_t value = v + (v - (sum >> 4)) * strength / 10;
    return value < 0 ? 0 : (value > 255 ? 255 : value);
}

// Column sums of bytes [c0, c1) of the four rows into `columns`.
void ColumnSums(const uint8_t* const (&rows)[4], int32_t c0, int32_t c1, uint16_t* columns) {
    int32_t j = c0;
    // 32 columns per step: bytes of two rows interleaved and added
    // pairwise, which leaves lanes in the order 0-7 16-23 | 8-15 24-31.
    const __m256i ones = _mm256_set1_epi8(1);
    for (; j + 32 <= c1; j += 32) {
        const auto load = [&](int32_t r) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[r] + j)); };
        const __m256i a = load(0), b = load(1), c = load(2), d = load(3);
        const __m256i low = _mm256_add_epi16(_mm256_maddubs_epi16(_mm256_unpacklo_epi8(a, b), ones),
                                             _mm256_maddubs_epi16(_mm256_unpacklo_epi8(c, d), ones));
        const __m256i high = _mm256_add_epi16(_mm256_maddubs_epi16(_mm256_unpackhi_epi8(a, b), ones),
                                              _mm256_maddubs_epi16(_mm256_unpackhi_epi8(c, d), ones));
        uint16_t* to = columns + (j - c0);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(to), _mm256_permute2x128_si256(low, high, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + 16), _mm256_permute2x128_si256(low, high, 0x31));
    }
    for (; j + 16 <= c1; j += 16) {
        const __m256i sum = _mm256_add_epi16(_mm256_add_epi16(Widen(rows[0] + j), Widen(rows[1] + j)),
                                             _mm256_add_epi16(Widen(rows[2] + j), Widen(rows[3] + j)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(columns + (j - c0)), sum);
    }
    for (; j < c1; ++j) {
        columns[j - c0] = static_cast<uint16_t>(rows[0][j] + rows[1][j] + rows[2][j] + rows[3][j]);
    }
}

struct Layout {
    int32_t bpp;
    bool keepFourth;  // 4-byte pixels whose fourth byte stays as it is
};

// Output bytes [s0, s1) of row `in` into `out`; `col` holds the column sum of byte s0.
void SharpenSegment(const uint8_t* in, uint8_t* out, int32_t s0, int32_t s1, const uint16_t* col, Layout layout,
                    int32_t strength) {
    const int32_t bpp = layout.bpp;
    const __m256i vStrength = _mm256_set1_epi16(static_cast<int16_t>(strength));
    const __m128i fourth = _mm_set1_epi32(static_cast<int32_t>(0xFF000000u));
    const auto at = [&](int32_t i, int32_t offset) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(col + (i - s0) + offset));
    };
    const auto sharpened = [&](int32_t at16) {  // 16 output bytes from byte at16
        const __m256i window = _mm256_add_epi16(_mm256_add_epi16(at(at16, -2 * bpp), at(at16, -bpp)),
                                                _mm256_add_epi16(at(at16, 0), at(at16, bpp)));
        const __m256i v = Widen(in + at16);
        const __m256i d = _mm256_sub_epi16(v, _mm256_srli_epi16(window, 4));
        return _mm256_add_epi16(v, TimesStrengthOverTen(d, vStrength));
    };
    int32_t i = s0;
    // 32 bytes per step: one pack and one lane fix for both halves.
    for (; i + 32 <= s1 && !layout.keepFourth; i += 32) {
        const __m256i packed = _mm256_packus_epi16(sharpened(i), sharpened(i + 16));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_permute4x64_epi64(packed, 0xD8));
    }
    for (; i + 16 <= s1; i += 16) {
        const __m256i value = sharpened(i);
        const __m256i packed = _mm256_packus_epi16(value, _mm256_permute2x128_si256(value, value, 0x11));
        __m128i bytes = _mm256_castsi256_si128(packed);
        if (layout.keepFourth) {
            const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + i));
            bytes = _mm_blendv_epi8(bytes, old, fourth);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), bytes);
    }
    for (; i < s1; ++i) {
        if (layout.keepFourth && i % 4 == 3)
            continue;
        const int32_t window = col[i - s0 - 2 * bpp] + col[i - s0 - bpp] + col[i - s0] + col[i - s0 + bpp];
        out[i] = static_cast<uint8_t>(ScalarOut(in[i], window, strength));
    }
}

}  // namespace

static bool TrySharpen8(const KernelArea& area, int32_t channels, int32_t strength, uint8_t* ring) {
    // The byte layouts of the vector table steps: gray, 3-byte colour, or 4-byte with the fourth kept.
    const TableRows kind = TableRowsOf(area, channels);
    if (kind == TableRows::Unsupported)
        return false;
    const int32_t bpp = area.srcBytesPerPixel;
    const Layout layout{bpp, kind == TableRows::KeepFourth};
    if (area.width <= 4 || area.height <= 4)
        return true;
    alignas(32) uint16_t columns[kSegment + 64];
    ForEachSharpenSegment(area, ring, bpp, kSegment,
                          [&](const uint8_t* const(&rows)[4], uint8_t* out, int32_t s0, int32_t s1) {
                              // Bytes [s0 - 2 bpp, s1 + bpp) stay inside the row.
                              ColumnSums(rows, s0 - 2 * bpp, s1 + bpp, columns);
                              SharpenSegment(rows[2], out, s0, s1, columns + 2 * bpp, layout, strength);
                          });
    return true;
}

// The table, when given, is a second pass over the destination.
void Sharpen8_AVX2(const KernelArea& area, int32_t channels, int32_t strength, const uint8_t* table256, uint8_t* ring) {
    if (!TrySharpen8(area, channels, strength, ring)) {
        Sharpen8_C(area, channels, strength, table256, ring);
        return;
    }
    if (table256 != nullptr)
        ApplyTable8_AVX2(DestinationOf(area), channels, table256);
}

}  // namespace tavrin
