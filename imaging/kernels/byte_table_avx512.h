// 256-entry byte lookup with AVX-512 VBMI: the table is four 64-byte
// registers; a two-source byte permute looks up the low seven bits of every
// index in the lower or the upper 128 entries, and bit 7 of the index picks
// one of the two results: two permutes and a blend per 64 bytes.
//
// Only the _avx512 files include this header: its inline functions are
// compiled for AVX-512 and must not be linked into a path for a narrower set.
#pragma once

#include <immintrin.h>

#include <cstdint>

namespace tavrin::avx512 {

struct ByteTable {
    __m512i quarter[4];  // entries 64 q .. 64 q + 63

    explicit ByteTable(const uint8_t* table256) {
        for (int32_t q = 0; q < 4; ++q)
            quarter[q] = _mm512_loadu_si512(table256 + 64 * q);
    }
    __m512i operator()(__m512i bytes) const {
        const __m512i low = _mm512_permutex2var_epi8(quarter[0], bytes, quarter[1]);
        const __m512i high = _mm512_permutex2var_epi8(quarter[2], bytes, quarter[3]);
        return _mm512_mask_blend_epi8(_mm512_movepi8_mask(bytes), low, high);
    }
};

// For the steps that take an optional table: the bytes as they are.
struct NoTable {
    __m512i operator()(__m512i bytes) const { return bytes; }
};

}  // namespace tavrin::avx512
