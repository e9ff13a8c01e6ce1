// 16-bit table lookup with AVX-512 VBMI for tables of up to 1024 entries
// (the sensor's 10 bits). The table is split into a plane of low bytes and
// a plane of high bytes, each eight 128-entry chunks; for 64 samples a
// two-source byte permute looks up the index's low seven bits in every
// chunk of both planes, bits 7, 8 and 9 pick the chunk in three rounds of
// blends, and the two planes are interleaved back into words. Every sample
// is first limited to the last entry, as the reference does. Measured
// against gathers of the entries: about four times faster on Zen 4. Larger
// tables go to the AVX2 version.
#include <immintrin.h>

#include "imaging/kernels/tone_lut.h"

namespace tavrin {
namespace {

constexpr int32_t kPlaneEntries = 1024;

struct Planes {
    alignas(64) uint8_t low[kPlaneEntries];   // entries past the table's end are 0
    alignas(64) uint8_t high[kPlaneEntries];  // and never looked up
};

void Split(const uint16_t* table, int32_t size, Planes& p) {
    for (int32_t i = 0; i < kPlaneEntries; ++i) {
        const int32_t entry = i < size ? table[i] : 0;
        p.low[i] = static_cast<uint8_t>(entry);
        p.high[i] = static_cast<uint8_t>(entry >> 8);
    }
}

inline __m512i Chunk(const uint8_t* plane, int32_t k) { return _mm512_load_si512(plane + 128 * k); }
inline __m512i ChunkHalf(const uint8_t* plane, int32_t k) { return _mm512_load_si512(plane + 128 * k + 64); }

// One plane's byte for each of the 64 indices: eight permutes, then bits 7,
// 8 and 9 of the index halve the candidates.
inline __m512i LookupPlane(const uint8_t* plane, __m512i low7, __mmask64 bit7, __mmask64 bit8, __mmask64 bit9) {
    __m512i r[8];
    for (int32_t k = 0; k < 8; ++k)
        r[k] = _mm512_permutex2var_epi8(Chunk(plane, k), low7, ChunkHalf(plane, k));
    for (int32_t k = 0; k < 4; ++k)
        r[k] = _mm512_mask_blend_epi8(bit7, r[2 * k], r[2 * k + 1]);
    for (int32_t k = 0; k < 2; ++k)
        r[k] = _mm512_mask_blend_epi8(bit8, r[2 * k], r[2 * k + 1]);
    return _mm512_mask_blend_epi8(bit9, r[0], r[1]);
}

// Looks up the 64 words a (samples 0-31) and b (32-63), already limited.
inline void Lookup64(const Planes& p, __m512i a, __m512i b, __m512i& outA, __m512i& outB) {
    const __m512i evenBytes =
        _mm512_set_epi8(126, 124, 122, 120, 118, 116, 114, 112, 110, 108, 106, 104, 102, 100, 98, 96, 94, 92, 90, 88,
                        86, 84, 82, 80, 78, 76, 74, 72, 70, 68, 66, 64, 62, 60, 58, 56, 54, 52, 50, 48, 46, 44, 42, 40,
                        38, 36, 34, 32, 30, 28, 26, 24, 22, 20, 18, 16, 14, 12, 10, 8, 6, 4, 2, 0);
    const __m512i lowBytes = _mm512_permutex2var_epi8(a, evenBytes, b);
    const __m512i highBytes = _mm512_permutex2var_epi8(a, _mm512_add_epi8(evenBytes, _mm512_set1_epi8(1)), b);
    const __mmask64 bit7 = _mm512_movepi8_mask(lowBytes);
    const __mmask64 bit8 = _mm512_test_epi8_mask(highBytes, _mm512_set1_epi8(1));
    const __mmask64 bit9 = _mm512_test_epi8_mask(highBytes, _mm512_set1_epi8(2));
    // The permute reads only the index's low seven bits.
    const __m512i low = LookupPlane(p.low, lowBytes, bit7, bit8, bit9);
    const __m512i high = LookupPlane(p.high, lowBytes, bit7, bit8, bit9);
    // Interleaving within 128-bit lanes gives words 0-7 32-39 | 8-15 40-47 ...
    const __m512i lo = _mm512_unpacklo_epi8(low, high);
    const __m512i hi = _mm512_unpackhi_epi8(low, high);
    outA = _mm512_permutex2var_epi64(lo, _mm512_set_epi64(11, 10, 3, 2, 9, 8, 1, 0), hi);
    outB = _mm512_permutex2var_epi64(lo, _mm512_set_epi64(15, 14, 7, 6, 13, 12, 5, 4), hi);
}

inline __mmask32 First(int32_t n) {
    if (n <= 0)
        return 0;
    return n >= 32 ? ~__mmask32{0} : _bzhi_u32(~0u, static_cast<uint32_t>(n));
}

void MapRows(const KernelArea& area, const Planes& p, int32_t size, __mmask32 changed) {
    const __m512i last = _mm512_set1_epi16(static_cast<int16_t>(size - 1));
    const int32_t count = area.width * area.srcBytesPerPixel / 2;
    for (int32_t y = 0; y < area.height; ++y) {
        const uint8_t* in = SourceRowOf(area, y);
        uint8_t* out = DestRowOf(area, y);
        for (int32_t i = 0; i < count; i += 64) {
            const __mmask32 ka = First(count - i);
            const __mmask32 kb = First(count - i - 32);
            const __m512i a = _mm512_min_epu16(_mm512_maskz_loadu_epi16(ka, in + 2 * i), last);
            const __m512i b = _mm512_min_epu16(_mm512_maskz_loadu_epi16(kb, in + 2 * i + 64), last);
            __m512i mappedA, mappedB;
            Lookup64(p, a, b, mappedA, mappedB);
            _mm512_mask_storeu_epi16(out + 2 * i, ka & changed, mappedA);
            _mm512_mask_storeu_epi16(out + 2 * i + 64, kb & changed, mappedB);
        }
    }
}

}  // namespace

void ApplyTable16_AVX512(const KernelArea& area, int32_t channels, const uint16_t* table, int32_t size) {
    const int32_t spp = area.srcBytesPerPixel / 2;
    const bool whole = spp == channels && (channels == 1 || channels == 3);
    const bool keepFourth = channels == 3 && spp == 4;
    if (size > kPlaneEntries || area.srcBytesPerPixel != area.dstBytesPerPixel || area.srcBytesPerPixel % 2 != 0 ||
        (!whole && !keepFourth)) {
        ApplyTable16_AVX2(area, channels, table, size);
        return;
    }
    Planes p;
    Split(table, size, p);
    // A step of 32 samples starts at a pixel, so every fourth is a pixel's fourth.
    MapRows(area, p, size, keepFourth ? __mmask32{0x77777777u} : ~__mmask32{0});
}

}  // namespace tavrin
