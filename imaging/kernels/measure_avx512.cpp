// Row sums with AVX-512 for the measurements: the region means' byte sums
// and sums of the 8-bit form of 16-bit samples, and the white balance's sums
// by column parity. As in the AVX2 versions, bytes go through the sum of
// absolute differences against zero and 16-bit samples are widened into
// 64-bit sums; the end of a row through a masked load, which reads nothing
// past it.
#include <immintrin.h>

#include "imaging/kernels/measure_rows.h"

namespace tavrin {
namespace {

inline __m512i Load(const uint8_t* p) { return _mm512_loadu_si512(p); }
// The first `bytes` (0..63) bytes at p, the rest 0.
inline __m512i LoadFirst(const uint8_t* p, int32_t bytes) {
    return _mm512_maskz_loadu_epi8(_bzhi_u64(~__mmask64{0}, static_cast<uint32_t>(bytes)), p);
}

inline __m512i SumBytesOf(__m512i v) { return _mm512_sad_epu8(v, _mm512_setzero_si512()); }

inline uint64_t Total(__m512i sums) {
    alignas(64) uint64_t lanes[8];
    _mm512_store_si512(lanes, sums);
    return lanes[0] + lanes[1] + lanes[2] + lanes[3] + lanes[4] + lanes[5] + lanes[6] + lanes[7];
}

// Every step of 64 bytes of `bytes` from `row` through step(v), the last one zero-filled.
template <typename Step>
void ForEach64(const uint8_t* row, int32_t bytes, const Step& step) {
    int32_t i = 0;
    for (; i + 64 <= bytes; i += 64)
        step(Load(row + i));
    if (i < bytes)
        step(LoadFirst(row + i, bytes - i));
}

// The 32-bit lanes of v added into 64-bit sums. GCC 12 takes the undefined
// pass-through of the plain AVX-512 shifts for an uninitialised read, so
// their zero-masked forms with every lane on are used here and below.
inline __m512i AddDwords(__m512i acc, __m512i v) {
    const __m512i low = _mm512_and_si512(v, _mm512_set1_epi64(0xFFFFFFFF));
    return _mm512_add_epi64(acc, _mm512_add_epi64(low, _mm512_maskz_srli_epi64(0xFF, v, 32)));
}

}  // namespace

uint64_t SumBytes_AVX512(const uint8_t* row, int32_t count) {
    __m512i acc = _mm512_setzero_si512();
    ForEach64(row, count, [&](__m512i v) { acc = _mm512_add_epi64(acc, SumBytesOf(v)); });
    return Total(acc);
}

uint64_t SumWords8BitForm_AVX512(const uint8_t* row, int32_t count) {
    // (v >> 2) & 0xFF of each word is a byte; summing the words' low bytes
    // with the byte sum does the rest.
    __m512i acc = _mm512_setzero_si512();
    ForEach64(row, 2 * count, [&](__m512i v) {
        const __m512i forms = _mm512_and_si512(_mm512_srli_epi16(v, 2), _mm512_set1_epi16(0x00FF));
        acc = _mm512_add_epi64(acc, SumBytesOf(forms));
    });
    return Total(acc);
}

// A step of 64 bytes starts at an even sample, so the even samples are the
// low byte (word) of every word (doubleword).
void ParitySums_AVX512(const uint8_t* row, int32_t count, bool wide, uint64_t sums[2]) {
    __m512i even = _mm512_setzero_si512();
    __m512i odd = _mm512_setzero_si512();
    if (wide) {
        ForEach64(row, 2 * count, [&](__m512i v) {
            even = AddDwords(even, _mm512_and_si512(v, _mm512_set1_epi32(0xFFFF)));
            odd = AddDwords(odd, _mm512_maskz_srli_epi32(0xFFFF, v, 16));
        });
    } else {
        ForEach64(row, count, [&](__m512i v) {
            even = _mm512_add_epi64(even, SumBytesOf(_mm512_and_si512(v, _mm512_set1_epi16(0x00FF))));
            odd = _mm512_add_epi64(odd, SumBytesOf(_mm512_and_si512(v, _mm512_set1_epi16(0xFF00))));
        });
    }
    sums[0] += Total(even);
    sums[1] += Total(odd);
}

}  // namespace tavrin
