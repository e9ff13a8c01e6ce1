// CRC-32 by folding with carry-less multiplication: four 128-bit lanes are
// folded 64 bytes ahead until the end, then folded into one lane, reduced
// to 64 and then 32 bits, the last step a Barrett reduction. The constants
// are powers of x modulo the CRC-32 polynomial (bit-reflected), as in
// Intel's "Fast CRC Computation for Generic Polynomials Using PCLMULQDQ".
// Compiled with -mpclmul -msse4.1; called only where the processor has both.
#include <immintrin.h>

#include "session/crc32.h"

namespace tavrin::session {

namespace {

inline __m128i Fold(__m128i lane, __m128i constants, __m128i next) {
    const __m128i low = _mm_clmulepi64_si128(lane, constants, 0x00);
    const __m128i high = _mm_clmulepi64_si128(lane, constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

inline __m128i Load(const uint8_t* bytes) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes)); }

}  // namespace

uint32_t Crc32FoldPclmul(uint32_t state, const uint8_t* bytes, size_t length) {
    const __m128i fold4 = _mm_set_epi64x(0x00000001c6e41596, 0x0000000154442bd4);  // x^(4*128+-32) terms
    const __m128i fold1 = _mm_set_epi64x(0x00000000ccaa009e, 0x00000001751997d0);  // x^(128+-32) terms
    const __m128i fold32 = _mm_set_epi64x(0, 0x0000000163cd6124);
    const __m128i mask32 = _mm_set_epi32(0, 0, 0, -1);
    const __m128i barrett = _mm_set_epi64x(0x00000001F7011641, 0x00000001DB710641);

    __m128i x1 = _mm_xor_si128(Load(bytes), _mm_cvtsi32_si128(static_cast<int>(state)));
    __m128i x2 = Load(bytes + 16);
    __m128i x3 = Load(bytes + 32);
    __m128i x4 = Load(bytes + 48);
    size_t at = 64;
    for (; at + 64 <= length; at += 64) {
        x1 = Fold(x1, fold4, Load(bytes + at));
        x2 = Fold(x2, fold4, Load(bytes + at + 16));
        x3 = Fold(x3, fold4, Load(bytes + at + 32));
        x4 = Fold(x4, fold4, Load(bytes + at + 48));
    }
    x1 = Fold(x1, fold1, x2);
    x1 = Fold(x1, fold1, x3);
    x1 = Fold(x1, fold1, x4);
    for (; at + 16 <= length; at += 16) {
        x1 = Fold(x1, fold1, Load(bytes + at));
    }
    // 128 bits to 64, then to 32 plus the carry.
    __m128i x2r = _mm_srli_si128(x1, 8);
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(x1, fold1, 0x10), x2r);
    x2r = _mm_srli_si128(x1, 4);
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, mask32), fold32, 0x00), x2r);
    // Barrett reduction to the 32-bit remainder.
    x2r = x1;
    x1 = _mm_clmulepi64_si128(_mm_and_si128(x1, mask32), barrett, 0x10);
    x1 = _mm_clmulepi64_si128(_mm_and_si128(x1, mask32), barrett, 0x00);
    x1 = _mm_xor_si128(x1, x2r);
    return static_cast<uint32_t>(_mm_extract_epi32(x1, 1));
}

}  // namespace tavrin::session
