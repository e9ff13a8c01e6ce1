// CRC-32 by folding with carry-less multiplication: four 128-bit lanes are
// folded 64 bytes ahead until the end, then folded into one lane and
// reduced (crc32_fold.h). Compiled with -mpclmul -msse4.1; called only where
// the processor has both.
#include "session/crc32.h"
#include "session/crc32_fold.h"

namespace tavrin::session {

uint32_t Crc32FoldPclmul(uint32_t state, const uint8_t* bytes, size_t length) {
    const __m128i fold64 = _mm_set_epi64x(0x00000001c6e41596, 0x0000000154442bd4);  // x^(4*128+-32) terms
    const __m128i fold16 = FoldBy16Constants();

    __m128i x1 = _mm_xor_si128(Load128(bytes), _mm_cvtsi32_si128(static_cast<int>(state)));
    __m128i x2 = Load128(bytes + 16);
    __m128i x3 = Load128(bytes + 32);
    __m128i x4 = Load128(bytes + 48);
    size_t at = 64;
    for (; at + 64 <= length; at += 64) {
        x1 = Fold128(x1, fold64, Load128(bytes + at));
        x2 = Fold128(x2, fold64, Load128(bytes + at + 16));
        x3 = Fold128(x3, fold64, Load128(bytes + at + 32));
        x4 = Fold128(x4, fold64, Load128(bytes + at + 48));
    }
    x1 = Fold128(x1, fold16, x2);
    x1 = Fold128(x1, fold16, x3);
    x1 = Fold128(x1, fold16, x4);
    return FoldTailAndReduce(x1, bytes, at, length);
}

}  // namespace tavrin::session
