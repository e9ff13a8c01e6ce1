// AVX-512 (F, BW, VL and VBMI) inner passes of the demosaic.
//
// The arithmetic is the AVX2 file's at twice the width: a row read as 16-bit
// words that start at a colour site holds a site pixel in the low half and
// its green neighbour in the high half of every word, 64 pixels per step.
// What changes is the interleave: VBMI's byte permutes reach across the whole
// register, so two permutes build each 64 bytes of packed pixels straight
// from the three planes, with no per-lane shuffles and no lane fix-ups.
#include <immintrin.h>

#include <cstring>

#include "imaging/kernels/byte_table_avx512.h"
#include "imaging/kernels/demosaic_row_plan.h"
#include "imaging/kernels/demosaic_rows.h"

// GCC 12 takes the self-initialised "undefined" vectors inside the dword
// shift, rotate and align intrinsics for uninitialised reads (clang knows no
// such warning).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

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

// Where byte b of the step's packed pixels comes from: its channel (0 blue,
// 1 green, 2 red, 3 the fourth) and the byte of that channel's plane.
struct PlaneByte {
    int32_t channel;
    int32_t byte;
};

// The interleave of `chunks` 64-byte registers from `sourceOf(b)`.
template <typename SourceOf>
Interleave InterleaveOf(int32_t chunks, const SourceOf& sourceOf) {
    Interleave il{};
    for (int32_t chunk = 0; chunk < chunks; ++chunk) {
        alignas(64) uint8_t index[64];
        __mmask64 red = 0;
        for (int32_t b = 0; b < 64; ++b) {
            const PlaneByte from = sourceOf(64 * chunk + b);
            index[b] = static_cast<uint8_t>(from.byte | (from.channel == 1 ? 64 : 0));
            if (from.channel == 2)
                red |= __mmask64{1} << b;
            if (from.channel < 3 && chunk == 0)
                il.colour |= __mmask64{1} << b;
        }
        il.index[chunk] = _mm512_load_si512(index);
        il.red[chunk] = red;
    }
    return il;
}

Interleave MakeInterleave(int32_t pixelBytes) {
    return InterleaveOf(pixelBytes, [pixelBytes](int32_t b) {
        return PlaneByte{b % pixelBytes, PlanePosition(b / pixelBytes)};
    });
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

// What the 8-bit rows do to each plane of results before they store it:
// nothing (NoTable), or the tone steps' 256-entry table (ByteTable).
using avx512::ByteTable;
using avx512::NoTable;

// 64 pixels (32 pairs) of an 8-bit row starting at site column p; see the
// AVX2 file for the steps. The gains arrive shifted left by 5, so the high
// half of sum x gain is (sum x gain) >> 11; packing with unsigned saturation
// limits the results to 255.
template <int32_t kPixelBytes, typename Map>
inline void Pairs8(const SourceRows& rows, uint8_t* out, int32_t p, bool siteIsRed, __m512i gainSame, __m512i gainOther,
                   const Interleave& il, const Map& map) {
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
    Store<kPixelBytes>(out, map(siteIsRed ? other : same), map(green), map(siteIsRed ? same : other), il);
}

// The pixels of row y the reference computed around the vector steps,
// through the table.
void MapAroundSteps(const Frame& frame, int32_t mode, int32_t y, const uint8_t* table256) {
    const RowPlan plan = PlanRow(frame, mode, y, kPixelsPerStep);
    const auto map = [&](int32_t x0, int32_t x1) {
        for (int32_t x = x0; x < x1; ++x) {
            uint8_t* pixel = DestPixel(frame, x, y);
            for (int32_t c = 0; c < 3; ++c)
                pixel[c] = table256[pixel[c]];
        }
    };
    if (plan.last < plan.first) {
        map(2, frame.width - 2);
        return;
    }
    map(2, plan.first);
    map(plan.last + kPixelsPerStep, frame.width - 2);
}

template <int32_t kPixelBytes, typename Map>
void Rows8(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains, const Map& map,
           const uint8_t* table256) {
    // Built once (the border pass calls the rows a dozen times per frame),
    // used from a local copy that the compiler keeps in registers.
    static const Interleave kInterleave = MakeInterleave(kPixelBytes);
    const Interleave il = kInterleave;
    const __m512i red = _mm512_set1_epi16(static_cast<int16_t>(gains.red << 5));
    const __m512i blue = _mm512_set1_epi16(static_cast<int16_t>(gains.blue << 5));
    for (int32_t y = yBegin; y < yEnd; ++y) {
        const bool siteIsRed = RowPhase(mode, y) == 1;
        // Taken once per row: the stores could alias `frame`, which the
        // compiler would otherwise read again at every step.
        uint8_t* const out = DestPixel(frame, 0, y);
        const auto step = [&](const SourceRows& rows, int32_t, int32_t x) {
            Pairs8<kPixelBytes>(rows, out + kPixelBytes * x, x, siteIsRed, siteIsRed ? red : blue,
                                siteIsRed ? blue : red, il, map);
        };
        Rows<uint8_t, kPixelsPerStep>(frame, y, y + 1, fold, mode, gains, 255, step);
        if (table256 != nullptr)
            MapAroundSteps(frame, mode, y, table256);
    }
}

// 16-bit rows in 16-bit lanes, 32 pixels in natural order per vector. A
// row starting at a colour site, read as 32-bit pairs, holds a site sample in
// the low and its green neighbour in the high word of every pair, so the
// neighbours a pixel reads are the same word of the pair before or after:
// each source row is loaded once per step and the step's neighbours come from
// it and its two neighbouring vectors by dword rotations (valignd). Exact
// while every sample read is below 4096 (the sums of 16 weighted samples stay
// in 16 bits): the steps keep the OR of all they load, and a row that read a
// larger one is done again by the AVX2 rows, which take such rows in 32-bit
// lanes.
constexpr int32_t kPixelsPerStep16 = 32;

// The interleave of 16-bit planes into 48- or 64-bit pixels, for Store: a
// word is its two bytes, so byte permutes (on Zen 4 faster than word
// permutes) place it.
Interleave MakeWordInterleave(int32_t pixelWords) {
    return InterleaveOf(pixelWords, [pixelWords](int32_t b) {
        const int32_t word = b / 2;
        return PlaneByte{word % pixelWords, 2 * (word / pixelWords) + b % 2};
    });
}

inline __m512i Times3Plus(__m512i a, __m512i b) {
    return _mm512_add_epi16(_mm512_add_epi16(a, a), _mm512_add_epi16(a, b));
}

// The source rows y-2, y-1, y, y+1 over 32 columns, with the two vertical
// sums the colours are built from: v = 3 row[y] + row[y-2] (useful at the
// sites, the low words), w = 3 row[y-1] + row[y+1] (useful at the other
// colour, the high words).
struct Window16 {
    __m512i row[4];
    __m512i v;
    __m512i w;
};

inline Window16 WindowOf(__m512i rm2, __m512i rm1, __m512i r0, __m512i rp1) {
    return Window16{{rm2, rm1, r0, rp1}, Times3Plus(r0, rm2), Times3Plus(rm1, rp1)};
}

// The `pairs` first pairs from column c (the rest zero; at least one).
inline Window16 LoadWindow(const SourceRows& rows, int32_t c, int32_t pairs) {
    const __mmask16 k = pairs >= 16 ? __mmask16(0xFFFF) : static_cast<__mmask16>((1u << pairs) - 1);
    const auto at = [&](int32_t r) { return _mm512_maskz_loadu_epi32(k, rows.at[r] + 2 * c); };
    return WindowOf(at(0), at(1), at(2), at(3));
}

// Only the pair just before column c matters of the window before a step
// that starts at c: it is broadcast, so that it sits in the top pair too.
inline Window16 PairBefore(const SourceRows& rows, int32_t c) {
    const auto at = [&](int32_t r) {
        int32_t pair;
        std::memcpy(&pair, rows.at[r] + 2 * (c - 2), sizeof pair);
        return _mm512_set1_epi32(pair);
    };
    return WindowOf(at(0), at(1), at(2), at(3));
}

// The gains of the colour at the row's sites and of the other one; which of
// the two is red is a template argument of the steps, so that no step chooses.
struct Output16 {
    __m512i gainSame;
    __m512i gainOther;
};

// 32 pixels from a step's window and its neighbours' (all samples below 4096).
template <int32_t kPixelWords, bool kSiteIsRed>
inline void Step16(const Window16& before, const Window16& here, const Window16& after, uint8_t* out, const Output16& o,
                   const Interleave& il) {
    constexpr __mmask32 kHigh = 0xAAAAAAAAu;
    const auto previousPair = [](__m512i x, __m512i xBefore) { return _mm512_alignr_epi32(x, xBefore, 15); };
    // Site colour: 3 v at the pair's site + v at the site on the pixel's
    // other side (the previous pair's for the site, the next one's for the green).
    const __m512i v3 = _mm512_add_epi16(here.v, _mm512_add_epi16(here.v, here.v));
    const __m512i siteSide = _mm512_add_epi16(v3, previousPair(here.v, before.v));
    const __m512i greenSide = _mm512_add_epi16(v3, _mm512_alignr_epi32(after.v, here.v, 1));
    const __m512i same = _mm512_mask_blend_epi16(kHigh, siteSide, _mm512_slli_epi32(greenSide, 16));
    // Other colour: with x holding w at the previous and at this pair's green,
    // 3 x + x with its words exchanged.
    const __m512i x = _mm512_mask_blend_epi16(kHigh, _mm512_srli_epi32(previousPair(here.w, before.w), 16), here.w);
    const __m512i other = Times3Plus(x, _mm512_rol_epi32(x, 16));
    // Green: the site's sample above plus the green beside it in row y.
    const __m512i lowToBoth = _mm512_set4_epi32(0x0D0C0D0C, 0x09080908, 0x05040504, 0x01000100);
    const __m512i above = _mm512_shuffle_epi8(here.row[1], lowToBoth);
    const __m512i beside =
        _mm512_mask_blend_epi16(kHigh, _mm512_srli_epi32(previousPair(here.row[2], before.row[2]), 16), here.row[2]);

    const __m512i max = _mm512_set1_epi16(1023);
    const __m512i sameValue = _mm512_min_epu16(_mm512_mulhi_epu16(same, o.gainSame), max);
    const __m512i otherValue = _mm512_min_epu16(_mm512_mulhi_epu16(other, o.gainOther), max);
    const __m512i green = _mm512_min_epu16(_mm512_srli_epi16(_mm512_add_epi16(above, beside), 1), max);
    if constexpr (kSiteIsRed) {
        Store<kPixelWords>(out, otherValue, green, sameValue, il);
    } else {
        Store<kPixelWords>(out, sameValue, green, otherValue, il);
    }
}

// `seen` ORed with every sample of a window.
inline __m512i Seen(__m512i seen, const Window16& w) {
    constexpr int kOrOfThree = 0xFE;
    return _mm512_ternarylogic_epi64(_mm512_ternarylogic_epi64(seen, w.row[0], w.row[1], kOrOfThree), w.row[2],
                                     w.row[3], kOrOfThree);
}

// The vector steps of one row, each source row loaded once: a step's window
// is the previous step's `after`; the last step, which may overlap the one
// before, starts afresh. Returns the OR of every sample loaded.
template <int32_t kPixelWords, bool kSiteIsRed>
__m512i Steps16(const Frame& frame, const SourceRows& rows, RowPlan plan, uint8_t* out, const Output16& o,
                const Interleave& il) {
    int32_t p = plan.first;
    Window16 before = PairBefore(rows, p);
    Window16 here = LoadWindow(rows, p, 16);
    __m512i seen = Seen(Seen(_mm512_setzero_si512(), before), here);
    for (;;) {
        // At least the pair that follows the step lies inside the row.
        const Window16 after = LoadWindow(rows, p + kPixelsPerStep16, (frame.width - p - kPixelsPerStep16) / 2);
        seen = Seen(seen, after);
        Step16<kPixelWords, kSiteIsRed>(before, here, after, out + 2 * kPixelWords * p, o, il);
        if (p == plan.last)
            return seen;
        if (p + kPixelsPerStep16 <= plan.last) {
            p += kPixelsPerStep16;
            before = here;
            here = after;
        } else {
            p = plan.last;
            before = PairBefore(rows, p);
            here = LoadWindow(rows, p, 16);
            seen = Seen(Seen(seen, before), here);
        }
    }
}

template <int32_t kPixelWords>
void Rows16(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains) {
    static const Interleave kInterleave = MakeWordInterleave(kPixelWords);
    const Interleave il = kInterleave;
    const __m512i red = _mm512_set1_epi16(static_cast<int16_t>(gains.red << 5));
    const __m512i blue = _mm512_set1_epi16(static_cast<int16_t>(gains.blue << 5));
    for (int32_t y = yBegin; y < yEnd; ++y) {
        const SourceRows rows = RowsOf<uint16_t>(frame, y, fold);
        const RowPlan plan = PlanRow(frame, mode, y, kPixelsPerStep16);
        if (plan.last < plan.first) {
            ScalarRun<uint16_t>(frame, rows, mode, gains, 1023, y, 2, frame.width - 2);
            continue;
        }
        const bool siteIsRed = RowPhase(mode, y) == 1;
        const Output16 o{siteIsRed ? red : blue, siteIsRed ? blue : red};
        // Taken once per row: the stores could alias `frame`, which the
        // compiler would otherwise read again at every step.
        uint8_t* const out = DestPixel(frame, 0, y);
        const __m512i seen = siteIsRed ? Steps16<kPixelWords, true>(frame, rows, plan, out, o, il)
                                       : Steps16<kPixelWords, false>(frame, rows, plan, out, o, il);
        if (_mm512_test_epi16_mask(seen, _mm512_set1_epi16(static_cast<int16_t>(0xF000))) != 0) {
            Rows16_AVX2(frame, y, y + 1, fold, mode, gains);
            continue;
        }
        ScalarRun<uint16_t>(frame, rows, mode, gains, 1023, y, 2, plan.first);
        ScalarRun<uint16_t>(frame, rows, mode, gains, 1023, y, plan.last + kPixelsPerStep16, frame.width - 2);
    }
}

}  // namespace

// Rows shorter than two steps leave most pixels to the overlapping last step
// or to the reference: the AVX2 rows serve them better.
void Rows8_AVX512(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains) {
    if (frame.width < 2 * kPixelsPerStep) {
        Rows8_AVX2(frame, yBegin, yEnd, fold, mode, gains);
    } else if (frame.dstBytesPerPixel == 4) {
        Rows8<4>(frame, yBegin, yEnd, fold, mode, gains, NoTable{}, nullptr);
    } else {
        Rows8<3>(frame, yBegin, yEnd, fold, mode, gains, NoTable{}, nullptr);
    }
}

void Rows8Table_AVX512(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains,
                       const uint8_t* table256) {
    if (frame.width < 2 * kPixelsPerStep) {
        Rows8Table_AVX2(frame, yBegin, yEnd, fold, mode, gains, table256);
    } else if (frame.dstBytesPerPixel == 4) {
        Rows8<4>(frame, yBegin, yEnd, fold, mode, gains, ByteTable(table256), table256);
    } else {
        Rows8<3>(frame, yBegin, yEnd, fold, mode, gains, ByteTable(table256), table256);
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
