// AVX-512 (F, BW, VL and VBMI) inner passes of the demosaic.
//
// The arithmetic is the AVX2 file's at twice the width: a row read as 16-bit
// words that start at a colour site holds a site pixel in the low half and
// its green neighbour in the high half of every word, 64 pixels per step.
// What changes is the interleave: VBMI's byte permutes reach across the whole
// register, so two permutes build each 64 bytes of packed pixels straight
// from the three planes, with no per-lane shuffles and no lane fix-ups.
#include <immintrin.h>

#include "imaging/kernels/demosaic_row_plan.h"
#include "imaging/kernels/demosaic_rows.h"

namespace tavrin::demosaic {
namespace {

constexpr int32_t kPixelsPerStep = 64;

inline __m512i Load(const uint8_t* p) { return _mm512_loadu_si512(p); }

// Where the planes keep pixel n of a step: packing the site and the green
// results puts, in each 16-byte lane, the lane's eight site pixels first and
// its eight green pixels after them.
inline int32_t PlanePosition(int32_t n) {
    const int32_t within = n % 16;
    return 16 * (n / 16) + ((within & 1) != 0 ? 8 : 0) + within / 2;
}

// For each 64 bytes of the step's packed pixels: which plane byte each one
// takes. Blue and green come from one two-source permute (bit 6 of the index
// picks green), red from a masked one-source permute with the same index.
struct Interleave {
    __m512i index[4];
    __mmask64 red[4];
    __mmask64 colour;  // the bytes written: all but each pixel's fourth
};

Interleave MakeInterleave(int32_t pixelBytes) {
    Interleave il{};
    il.colour = 0;
    for (int32_t chunk = 0; chunk < pixelBytes; ++chunk) {
        alignas(64) uint8_t index[64];
        __mmask64 red = 0;
        for (int32_t b = 0; b < 64; ++b) {
            const int32_t byte = 64 * chunk + b;
            const int32_t channel = byte % pixelBytes;
            index[b] = static_cast<uint8_t>(PlanePosition(byte / pixelBytes) | (channel == 1 ? 64 : 0));
            if (channel == 2)
                red |= __mmask64{1} << b;
            if (channel < 3 && chunk == 0)
                il.colour |= __mmask64{1} << b;
        }
        il.index[chunk] = _mm512_load_si512(index);
        il.red[chunk] = red;
    }
    return il;
}

// The three planes of a step as packed pixels. Four-byte pixels keep their
// fourth byte: the masked store leaves it alone.
template <int32_t kPixelBytes>
inline void Store(uint8_t* out, __m512i blue, __m512i green, __m512i red, const Interleave& il) {
    for (int32_t j = 0; j < kPixelBytes; ++j) {
        __m512i packed = _mm512_permutex2var_epi8(blue, il.index[j], green);
        packed = _mm512_mask_permutexvar_epi8(packed, il.red[j], il.index[j], red);
        if constexpr (kPixelBytes == 3) {
            _mm512_storeu_si512(out + 64 * j, packed);
        } else {
            _mm512_mask_storeu_epi8(out + 64 * j, il.colour, packed);
        }
    }
}

// 64 pixels (32 pairs) of an 8-bit row starting at site column p; see the
// AVX2 file for the steps. The gains arrive shifted left by 5, so the high
// half of sum x gain is (sum x gain) >> 11; packing with unsigned saturation
// limits the results to 255.
template <int32_t kPixelBytes>
inline void Pairs8(const SourceRows& rows, uint8_t* out, int32_t p, bool siteIsRed, __m512i gainSame, __m512i gainOther,
                   const Interleave& il) {
    const uint8_t* rm2 = rows.at[0] + p;
    const uint8_t* rm1 = rows.at[1] + p;
    const uint8_t* r0 = rows.at[2] + p;
    const uint8_t* rp1 = rows.at[3] + p;
    const __m512i low = _mm512_set1_epi16(0x00FF);
    const __m512i threeLow = _mm512_set1_epi16(0x0003);
    const __m512i threeHigh = _mm512_set1_epi16(0x0300);
    const auto v1 = [&](int32_t q) {  // 3 row[y] + row[y-2] at the sites
        return _mm512_add_epi16(_mm512_maddubs_epi16(Load(r0 + q), threeLow), _mm512_and_si512(Load(rm2 + q), low));
    };
    const auto v2 = [&](int32_t q) {  // 3 row[y-1] + row[y+1] at the other sites
        return _mm512_add_epi16(_mm512_maddubs_epi16(Load(rm1 + q), threeHigh), _mm512_srli_epi16(Load(rp1 + q), 8));
    };
    const __m512i v1Here = v1(0);
    const __m512i v2Prev = v2(-2);
    const __m512i v2Here = v2(0);
    const __m512i v1Three = _mm512_add_epi16(v1Here, _mm512_add_epi16(v1Here, v1Here));
    const __m512i sameSite = _mm512_add_epi16(v1Three, v1(-2));
    const __m512i sameGreen = _mm512_add_epi16(v1Three, v1(2));
    const __m512i v2Sum = _mm512_add_epi16(v2Prev, v2Here);
    const __m512i otherSite = _mm512_add_epi16(v2Sum, _mm512_add_epi16(v2Prev, v2Prev));
    const __m512i otherGreen = _mm512_add_epi16(v2Sum, _mm512_add_epi16(v2Here, v2Here));
    const __m512i above = _mm512_and_si512(Load(rm1), low);
    const __m512i greenSite = _mm512_srli_epi16(_mm512_add_epi16(above, _mm512_srli_epi16(Load(r0 - 2), 8)), 1);
    const __m512i greenGreen = _mm512_srli_epi16(_mm512_add_epi16(above, _mm512_srli_epi16(Load(r0), 8)), 1);

    const __m512i same =
        _mm512_packus_epi16(_mm512_mulhi_epu16(sameSite, gainSame), _mm512_mulhi_epu16(sameGreen, gainSame));
    const __m512i other =
        _mm512_packus_epi16(_mm512_mulhi_epu16(otherSite, gainOther), _mm512_mulhi_epu16(otherGreen, gainOther));
    const __m512i green = _mm512_packus_epi16(greenSite, greenGreen);
    Store<kPixelBytes>(out, siteIsRed ? other : same, green, siteIsRed ? same : other, il);
}

template <int32_t kPixelBytes>
void Rows8(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains) {
    const Interleave il = MakeInterleave(kPixelBytes);
    const __m512i red = _mm512_set1_epi16(static_cast<int16_t>(gains.red << 5));
    const __m512i blue = _mm512_set1_epi16(static_cast<int16_t>(gains.blue << 5));
    for (int32_t y = yBegin; y < yEnd; ++y) {
        const bool siteIsRed = RowPhase(mode, y) == 1;
        // Taken once per row: the stores could alias `frame`, which the
        // compiler would otherwise read again at every step.
        uint8_t* const out = DestPixel(frame, 0, y);
        const auto step = [&](const SourceRows& rows, int32_t, int32_t x) {
            Pairs8<kPixelBytes>(rows, out + kPixelBytes * x, x, siteIsRed, siteIsRed ? red : blue,
                                siteIsRed ? blue : red, il);
        };
        Rows<uint8_t, kPixelsPerStep>(frame, y, y + 1, fold, mode, gains, 255, step);
    }
}

// 16-bit rows in 16-bit lanes, 32 pixels in natural order per vector: the
// AVX2 file's narrow steps at twice the width (even lanes are colour sites,
// odd lanes greens; each lane picks its neighbours from a few shifted
// loads). Exact while every sample read is below 4096; a row that reads a
// larger one goes to the AVX2 rows, which take such rows in 32-bit lanes.
constexpr int32_t kPixelsPerStep16 = 32;

// The interleave of 16-bit planes into 48- or 64-bit pixels, for Store: a
// word is its two bytes, so byte permutes (on Zen 4 faster than word
// permutes) place it.
Interleave MakeWordInterleave(int32_t pixelWords) {
    Interleave il{};
    for (int32_t chunk = 0; chunk < pixelWords; ++chunk) {
        alignas(64) uint8_t index[64];
        __mmask64 red = 0;
        for (int32_t b = 0; b < 64; ++b) {
            const int32_t word = 32 * chunk + b / 2;
            const int32_t channel = word % pixelWords;
            index[b] = static_cast<uint8_t>((2 * (word / pixelWords) + b % 2) | (channel == 1 ? 64 : 0));
            if (channel == 2)
                red |= __mmask64{1} << b;
            if (channel < 3 && chunk == 0)
                il.colour |= __mmask64{1} << b;
        }
        il.index[chunk] = _mm512_load_si512(index);
        il.red[chunk] = red;
    }
    return il;
}

// 32 pixels of a 16-bit row starting at site column p (all samples read below 4096).
template <int32_t kPixelWords>
inline void Narrow16(const SourceRows& rows, uint8_t* out, int32_t p, bool siteIsRed, __m512i gainSame,
                     __m512i gainOther, const Interleave& il) {
    // Row y-2, y-1, y, y+1 at column p + c.
    const auto at = [&](int32_t row, int32_t c) { return _mm512_loadu_si512(rows.at[row] + 2 * (p + c)); };
    const auto oddFrom = [](__m512i even, __m512i odd) { return _mm512_mask_blend_epi16(0xAAAAAAAAu, even, odd); };
    const auto times3Plus = [](__m512i a, __m512i b) {
        return _mm512_add_epi16(_mm512_add_epi16(a, _mm512_slli_epi16(a, 1)), b);
    };
    // Site colour, from rows y and y-2: 3 x (the pair's site) + (the site on the other side).
    const __m512i siteSum = times3Plus(at(2, 0), at(0, 0));
    const __m512i centre = _mm512_mask_blend_epi16(0xAAAAAAAAu, siteSum, _mm512_bslli_epi128(siteSum, 2));
    const __m512i side = times3Plus(oddFrom(at(2, -2), at(2, 1)), oddFrom(at(0, -2), at(0, 1)));
    const __m512i same = times3Plus(centre, side);
    // Other colour, from rows y-1 and y+1 at the columns beside the site.
    const __m512i near = times3Plus(oddFrom(at(1, -1), at(1, 0)), oddFrom(at(3, -1), at(3, 0)));
    const __m512i far = times3Plus(oddFrom(at(1, 1), at(1, -2)), oddFrom(at(3, 1), at(3, -2)));
    const __m512i other = times3Plus(near, far);
    const __m512i greenSum = _mm512_add_epi16(oddFrom(at(1, 0), at(1, -1)), oddFrom(at(2, -1), at(2, 0)));

    const __m512i max = _mm512_set1_epi16(1023);
    const __m512i sameValue = _mm512_min_epu16(_mm512_mulhi_epu16(same, gainSame), max);
    const __m512i otherValue = _mm512_min_epu16(_mm512_mulhi_epu16(other, gainOther), max);
    const __m512i green = _mm512_min_epu16(_mm512_srli_epi16(greenSum, 1), max);
    Store<kPixelWords>(out, siteIsRed ? otherValue : sameValue, green, siteIsRed ? sameValue : otherValue, il);
}

// Whether a source row holds a sample of 4096 or more among its `width` columns.
bool RowIsWide(const uint8_t* row, int32_t width) {
    __m512i any = _mm512_setzero_si512();
    for (int32_t x = 0; x < width; x += 32) {
        const __mmask32 k = width - x >= 32 ? ~__mmask32{0} : _bzhi_u32(~0u, static_cast<uint32_t>(width - x));
        any = _mm512_or_si512(any, _mm512_maskz_loadu_epi16(k, row + 2 * x));
    }
    return _mm512_test_epi16_mask(any, _mm512_set1_epi16(static_cast<int16_t>(0xF000))) != 0;
}

template <int32_t kPixelWords>
void Rows16(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains) {
    const Interleave il = MakeWordInterleave(kPixelWords);
    const __m512i red = _mm512_set1_epi16(static_cast<int16_t>(gains.red << 5));
    const __m512i blue = _mm512_set1_epi16(static_cast<int16_t>(gains.blue << 5));
    WideRows wideRows(frame.width, RowIsWide);
    for (int32_t y = yBegin; y < yEnd; ++y) {
        if (wideRows.AnyWide(RowsOf<uint16_t>(frame, y, fold))) {
            Rows16_AVX2(frame, y, y + 1, fold, mode, gains);
            continue;
        }
        const bool siteIsRed = RowPhase(mode, y) == 1;
        // Taken once per row: the stores could alias `frame`, which the
        // compiler would otherwise read again at every step.
        uint8_t* const out = DestPixel(frame, 0, y);
        const auto step = [&](const SourceRows& rows, int32_t, int32_t x) {
            Narrow16<kPixelWords>(rows, out + 2 * kPixelWords * x, x, siteIsRed, siteIsRed ? red : blue,
                                  siteIsRed ? blue : red, il);
        };
        Rows<uint16_t, kPixelsPerStep16>(frame, y, y + 1, fold, mode, gains, 1023, step);
    }
}

}  // namespace

// Rows shorter than two steps leave most pixels to the overlapping last step
// or to the reference: the AVX2 rows serve them better.
void Rows8_AVX512(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains) {
    if (frame.width < 2 * kPixelsPerStep) {
        Rows8_AVX2(frame, yBegin, yEnd, fold, mode, gains);
    } else if (frame.dstBytesPerPixel == 4) {
        Rows8<4>(frame, yBegin, yEnd, fold, mode, gains);
    } else {
        Rows8<3>(frame, yBegin, yEnd, fold, mode, gains);
    }
}

void Rows16_AVX512(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains) {
    if (frame.width < 2 * kPixelsPerStep16) {
        Rows16_AVX2(frame, yBegin, yEnd, fold, mode, gains);
    } else if (frame.dstBytesPerPixel == 8) {
        Rows16<4>(frame, yBegin, yEnd, fold, mode, gains);
    } else {
        Rows16<3>(frame, yBegin, yEnd, fold, mode, gains);
    }
}

}  // namespace tavrin::demosaic
