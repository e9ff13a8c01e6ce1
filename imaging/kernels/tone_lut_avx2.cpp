// 256-entry byte lookup with AVX2. The byte shuffle looks up 16 entries by
// the low four bits of each index and yields 0 where an index has bit 7 set.
// The table is cut into 16 rows of 16 entries; for row r, index XOR (r << 4)
// has a zero high nibble exactly where the sample belongs to row r, and a
// saturating add of 0x70 then sets bit 7 for every other sample. ORing the 16
// row lookups gives the table entry of every sample.
#include <immintrin.h>

#include "imaging/kernels/tone_lut.h"

namespace tavrin {
namespace {

struct ByteTable {
    __m256i rows[16];
};

ByteTable Rows(const uint8_t* table256) {
    ByteTable t;
    for (int32_t r = 0; r < 16; ++r) {
        t.rows[r] = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(table256 + 16 * r)));
    }
    return t;
}

inline __m256i Lookup(const ByteTable& t, __m256i index) {
    const __m256i bit7Unless0 = _mm256_set1_epi8(0x70);
    __m256i result = _mm256_setzero_si256();
    for (int32_t r = 0; r < 16; ++r) {
        const __m256i row = _mm256_xor_si256(index, _mm256_set1_epi8(static_cast<char>(r << 4)));
        result = _mm256_or_si256(result, _mm256_shuffle_epi8(t.rows[r], _mm256_adds_epu8(row, bit7Unless0)));
    }
    return result;
}

}  // namespace

// Handles gray rows and colour rows of 3 or 4 bytes per pixel, where every
// byte of a row goes through the table except the fourth of each pixel.
bool ApplyTable8Avx2(const ToneArea& area, int32_t channels, const uint8_t* table256) {
    const int32_t bpp = area.srcBytesPerPixel;
    if (bpp != area.dstBytesPerPixel) return false;
    const bool whole = (channels == 1 && bpp == 1) || (channels == 3 && bpp == 3);
    const bool keepFourth = channels == 3 && bpp == 4;
    if (!whole && !keepFourth) return false;
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
            if (keepFourth) mapped = _mm256_blendv_epi8(mapped, v, fourth);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), mapped);
        }
        for (; i < rowBytes; ++i) out[i] = (keepFourth && i % 4 == 3) ? in[i] : table256[in[i]];
    }
    return true;
}

}  // namespace tavrin
