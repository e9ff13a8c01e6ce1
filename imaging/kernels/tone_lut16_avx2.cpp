// 16-bit table lookup with AVX2 gathers, eight samples per gather: each
// sample, limited to the last entry as the reference does, reads the 32-bit
// pair of entries that holds it (an even index, so no read passes the
// table's end) and keeps its half. Rows are walked as runs of samples; the
// fourth sample of a 4-sample pixel is put back.
#include <immintrin.h>

#include "imaging/kernels/tone_lut.h"

namespace tavrin {
namespace {

inline __m256i LookupEight(const uint16_t* table, __m128i index16) {
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i index = _mm256_cvtepu16_epi32(index16);
    const __m256i pairs =
        _mm256_i32gather_epi32(reinterpret_cast<const int*>(table), _mm256_andnot_si256(one, index), 2);
    const __m256i entry = _mm256_srlv_epi32(pairs, _mm256_slli_epi32(_mm256_and_si256(index, one), 4));
    return _mm256_and_si256(entry, _mm256_set1_epi32(0xFFFF));
}

inline __m256i Lookup16(const uint16_t* table, __m256i index) {
    const __m256i a = LookupEight(table, _mm256_castsi256_si128(index));
    const __m256i b = LookupEight(table, _mm256_extracti128_si256(index, 1));
    return _mm256_permute4x64_epi64(_mm256_packus_epi32(a, b), 0xD8);
}

}  // namespace

void ApplyTable16_AVX2(const KernelArea& area, int32_t channels, const uint16_t* table, int32_t size) {
    const int32_t spp = area.srcBytesPerPixel / 2;
    const bool whole = spp == channels && (channels == 1 || channels == 3);
    const bool keepFourth = channels == 3 && spp == 4;
    if (area.srcBytesPerPixel != area.dstBytesPerPixel || area.srcBytesPerPixel % 2 != 0 || (!whole && !keepFourth)) {
        ApplyTable16_C(area, channels, table, size);
        return;
    }
    const auto last = static_cast<uint32_t>(size - 1);
    const __m256i vLast = _mm256_set1_epi16(static_cast<int16_t>(last));
    const __m256i fourth = _mm256_set1_epi64x(static_cast<int64_t>(0xFFFF000000000000ull));
    const int32_t count = area.width * spp;
    for (int32_t y = 0; y < area.height; ++y) {
        const uint8_t* in = SourceRowOf(area, y);
        uint8_t* out = DestRowOf(area, y);
        int32_t i = 0;
        for (; i + 16 <= count; i += 16) {  // 16 samples: four whole pixels of four
            const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 2 * i));
            __m256i mapped = Lookup16(table, _mm256_min_epu16(v, vLast));
            if (keepFourth)
                mapped = _mm256_blendv_epi8(mapped, v, fourth);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 2 * i), mapped);
        }
        for (; i < count; ++i) {
            const auto s = static_cast<uint32_t>(Load16(in + 2 * i));
            Store16(out + 2 * i, keepFourth && (i & 3) == 3 ? static_cast<int32_t>(s) : table[s < last ? s : last]);
        }
    }
}

}  // namespace tavrin
