// The 128-bit steps shared by the folded CRC-32 implementations: folding one
// lane into the next 16 bytes, and the reduction of the last lane to the
// 32-bit CRC register. The constants are powers of x modulo the CRC-32
// polynomial (bit-reflected), as in Intel's "Fast CRC Computation for
// Generic Polynomials Using PCLMULQDQ".
//
// Included only by files compiled with at least -mpclmul -msse4.1. Everything
// here has internal linkage, so each instruction set's file keeps its own
// copy and the linker never hands a wider one to a narrower processor.
#pragma once

#include <immintrin.h>

#include <cstdint>

namespace tavrin::session {
namespace {

// x^(128+32) and x^(128-32): one 16-byte lane over the next.
inline __m128i FoldBy16Constants() { return _mm_set_epi64x(0x00000000ccaa009e, 0x00000001751997d0); }

inline __m128i Fold128(__m128i lane, __m128i constants, __m128i next) {
    const __m128i low = _mm_clmulepi64_si128(lane, constants, 0x00);
    const __m128i high = _mm_clmulepi64_si128(lane, constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

inline __m128i Load128(const uint8_t* bytes) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes)); }

// Folds the whole 16-byte blocks of bytes[at, length) into lane, then
// reduces it: 128 bits to 64, then to 32 plus the carry, the last step a
// Barrett reduction. The raw CRC register.
inline uint32_t FoldTailAndReduce(__m128i lane, const uint8_t* bytes, size_t at, size_t length) {
    const __m128i fold16 = FoldBy16Constants();
    for (; at + 16 <= length; at += 16) {
        lane = Fold128(lane, fold16, Load128(bytes + at));
    }
    const __m128i fold32 = _mm_set_epi64x(0, 0x0000000163cd6124);
    const __m128i mask32 = _mm_set_epi32(0, 0, 0, -1);
    const __m128i barrett = _mm_set_epi64x(0x00000001F7011641, 0x00000001DB710641);
    __m128i high = _mm_srli_si128(lane, 8);
    lane = _mm_xor_si128(_mm_clmulepi64_si128(lane, fold16, 0x10), high);
    high = _mm_srli_si128(lane, 4);
    lane = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(lane, mask32), fold32, 0x00), high);
    const __m128i before = lane;
    lane = _mm_clmulepi64_si128(_mm_and_si128(lane, mask32), barrett, 0x10);
    lane = _mm_clmulepi64_si128(_mm_and_si128(lane, mask32), barrett, 0x00);
    lane = _mm_xor_si128(lane, before);
    return static_cast<uint32_t>(_mm_extract_epi32(lane, 1));
}

}  // namespace
}  // namespace tavrin::session
