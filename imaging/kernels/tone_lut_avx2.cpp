// 256-entry byte lookup with AVX2. The byte shuffle looks up 16 entries by
// the low four bits of each index and yields 0 where an index has bit 7 set.
//
// The table is cut into rows of 16 entries, row h holding entries 16h..16h+15.
// For an index w below 128 in row h, w - 16k keeps bit 7 clear exactly for
// k = 0..h, so shuffling eight tables D0..D7 with w, w - 16, ..., w - 112 and
// XORing the results gives D0 ^ ... ^ Dh; with Dk = row k ^ row k-1 that is
// row h. The upper half of the table does the same with w ^ 0x80, and bit 7
// of the index picks the half: 16 shuffles for 32 samples.
#include <immintrin.h>

#include "imaging/kernels/tone_lut.h"

namespace tavrin {
namespace {

struct ByteTable {
    __m256i low[8];   // rows 0..7 as differences of neighbouring rows
    __m256i high[8];  // rows 8..15 likewise
};

inline __m256i Row(const uint8_t* table256, int32_t row) {
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(table256 + 16 * row)));
}

ByteTable Rows(const uint8_t* table256) {
    ByteTable t;
    for (int32_t k = 0; k < 8; ++k) {
        t.low[k] = k == 0 ? Row(table256, 0) : _mm256_xor_si256(Row(table256, k), Row(table256, k - 1));
        t.high[k] = k == 0 ? Row(table256, 8) : _mm256_xor_si256(Row(table256, 8 + k), Row(table256, 7 + k));
    }
    return t;
}

inline __m256i HalfLookup(const __m256i (&rows)[8], __m256i index) {
    const __m256i sixteen = _mm256_set1_epi8(16);
    __m256i result = _mm256_shuffle_epi8(rows[0], index);
    for (int32_t k = 1; k < 8; ++k) {
        index = _mm256_sub_epi8(index, sixteen);
        result = _mm256_xor_si256(result, _mm256_shuffle_epi8(rows[k], index));
    }
    return result;
}

inline __m256i Lookup(const ByteTable& t, __m256i index) {
    const __m256i low = HalfLookup(t.low, index);
    const __m256i high = HalfLookup(t.high, _mm256_xor_si256(index, _mm256_set1_epi8(static_cast<char>(0x80))));
    return _mm256_blendv_epi8(low, high, index);
}

}  // namespace

// Handles gray rows and colour rows of 3 or 4 bytes per pixel, where every
// byte of a row goes through the table except the fourth of each pixel.
static bool TryApplyTable8(const KernelArea& area, int32_t channels, const uint8_t* table256) {
    const TableRows rows = TableRowsOf(area, channels);
    if (rows == TableRows::Unsupported)
        return false;
    const int32_t bpp = area.srcBytesPerPixel;
    const bool keepFourth = rows == TableRows::KeepFourth;
    const ByteTable t = Rows(table256);
    const __m256i fourth = _mm256_set1_epi32(static_cast<int32_t>(0xFF000000u));
    const int32_t rowBytes = area.width * bpp;
    for (int32_t y = 0; y < area.height; ++y) {
        const uint8_t* in = SourceRowOf(area, y);
        uint8_t* out = DestRowOf(area, y);
        int32_t i = 0;
        for (; i + 32 <= rowBytes; i += 32) {
            const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
            __m256i mapped = Lookup(t, v);
            if (keepFourth)
                mapped = _mm256_blendv_epi8(mapped, v, fourth);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), mapped);
        }
        for (; i < rowBytes; ++i)
            out[i] = (keepFourth && i % 4 == 3) ? in[i] : table256[in[i]];
    }
    return true;
}

void ApplyTable8_AVX2(const KernelArea& area, int32_t channels, const uint8_t* table256) {
    if (!TryApplyTable8(area, channels, table256))
        ApplyTable8_C(area, channels, table256);
}

}  // namespace tavrin
