// AVX2 inner passes of the demosaic.
//
// Along a row the pixels alternate between a colour site (red or blue) and a
// green site. Reading the row as 16-bit (8-bit frames) or 32-bit (16-bit
// frames) words that start at a colour site puts each site pixel in the low
// half of a word and its green neighbour in the high half, so masks and
// shifts split the phases without shuffles, and one lane computes one pair.
// With p the site column of a pair and k its lane:
//   v1(c) = 3 row[y][c] + row[y-2][c]        (site colour, rows y and y-2)
//   v2(c) = 3 row[y-1][c] + row[y+1][c]      (other colour, rows y-1 and y+1)
//   site pixel p:    same = 3 v1(p) + v1(p-2),   other = 3 v2(p-1) + v2(p+1)
//   green pixel p+1: same = 3 v1(p) + v1(p+2),   other = 3 v2(p+1) + v2(p-1)
// "same" is red on rows whose sites are red, blue otherwise.
#include <immintrin.h>

#include "imaging/kernels/demosaic_row_plan.h"
#include "imaging/kernels/demosaic_rows.h"

namespace tavrin::demosaic {
namespace {

inline __m256i Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
inline void Store(uint8_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
inline __m256i Times3Plus32(__m256i a, __m256i b) {
    return _mm256_add_epi32(_mm256_add_epi32(a, _mm256_slli_epi32(a, 1)), b);
}

// Byte shuffles that interleave three planes into packed pixels. The planes
// come from packing the site and the green halves of the pairs, so each
// 16-byte lane holds the lane's site pixels (0, 2, 4, ...) in its first half
// and its green pixels (1, 3, 5, ...) in the second. Entry i of chunk j is
// byte 16 j + i of the packed lane: pixel (16 j + i) / pixelBytes, channel
// (16 j + i) % pixelBytes / sampleBytes.
inline __m256i PackMask(int32_t chunk, int32_t channel, int32_t pixelBytes, int32_t sampleBytes) {
    alignas(32) uint8_t mask[32];
    const int32_t half = 8 / sampleBytes;
    for (int32_t i = 0; i < 32; ++i) {
        const int32_t byte = 16 * chunk + i % 16;
        const int32_t pixel = byte / pixelBytes;
        const int32_t within = byte % pixelBytes;
        const bool mine = within / sampleBytes == channel && within < 3 * sampleBytes;
        const int32_t position = (pixel & 1) != 0 ? half + (pixel >> 1) : pixel >> 1;
        mask[i] = mine ? static_cast<uint8_t>(position * sampleBytes + within % sampleBytes) : 0x80;
    }
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(mask));
}

// Masks for one destination layout and one kind of row: 3 or 4 chunks of
// three planes, given in the order (site colour, green, other colour). On
// rows whose sites are red the site colour goes to channel 2, else to 0.
struct PackMasks {
    __m256i m[4][3];
    int32_t chunks;
};

PackMasks MakePackMasks(int32_t pixelBytes, int32_t sampleBytes, bool siteIsRed) {
    PackMasks masks{};
    masks.chunks = pixelBytes / sampleBytes == 3 ? 3 : 4;
    const int32_t channels[3] = {siteIsRed ? 2 : 0, 1, siteIsRed ? 0 : 2};
    for (int32_t chunk = 0; chunk < masks.chunks; ++chunk) {
        for (int32_t plane = 0; plane < 3; ++plane) {
            masks.m[chunk][plane] = PackMask(chunk, channels[plane], pixelBytes, sampleBytes);
        }
    }
    return masks;
}

// The masks of both kinds of row.
struct RowMasks {
    PackMasks byRow[2];  // [site is red]
};

RowMasks MakeRowMasks(int32_t pixelBytes, int32_t sampleBytes) {
    return RowMasks{{MakePackMasks(pixelBytes, sampleBytes, false), MakePackMasks(pixelBytes, sampleBytes, true)}};
}

// Writes the three planes (samples in lane order, each 16-byte lane holding
// consecutive pixels) as packed pixels. Three-channel layouts fill 96 bytes,
// storing each lane's 48 bytes where they belong (no lane crossing);
// four-channel ones fill 128 and keep the fourth channel.
template <int32_t kChunks>
inline void PackAndStore(uint8_t* out, __m256i same, __m256i green, __m256i other, const PackMasks& masks,
                         __m256i keepMask) {
    __m256i chunk[kChunks];
    for (int32_t j = 0; j < kChunks; ++j) {
        chunk[j] = _mm256_or_si256(
            _mm256_or_si256(_mm256_shuffle_epi8(same, masks.m[j][0]), _mm256_shuffle_epi8(green, masks.m[j][1])),
            _mm256_shuffle_epi8(other, masks.m[j][2]));
    }
    if constexpr (kChunks == 3) {
        for (int32_t j = 0; j < 3; ++j) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * j), _mm256_castsi256_si128(chunk[j]));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 48 + 16 * j), _mm256_extracti128_si256(chunk[j], 1));
        }
    } else {
        const __m256i packed[4] = {
            _mm256_permute2x128_si256(chunk[0], chunk[1], 0x20), _mm256_permute2x128_si256(chunk[2], chunk[3], 0x20),
            _mm256_permute2x128_si256(chunk[0], chunk[1], 0x31), _mm256_permute2x128_si256(chunk[2], chunk[3], 0x31)};
        for (int32_t i = 0; i < 4; ++i) {
            const __m256i kept = _mm256_and_si256(Load(out + 32 * i), keepMask);
            Store(out + 32 * i, _mm256_or_si256(packed[i], kept));
        }
    }
}

// 32 pixels (16 pairs) of an 8-bit row starting at site column p. A byte
// multiply-add with weights (3, 0) or (0, 3) takes three times the low or
// the high half of every pair in one step. The gains arrive shifted left by
// 5, so the high half of sum x gain is (sum x gain) >> 11; packing with
// unsigned saturation limits the results to 255.
template <int32_t kChunks>
inline void Pairs8(const SourceRows& rows, uint8_t* out, int32_t p, __m256i gainSame, __m256i gainOther,
                   const PackMasks& masks, __m256i keepMask) {
    const uint8_t* rm2 = rows.at[0] + p;
    const uint8_t* rm1 = rows.at[1] + p;
    const uint8_t* r0 = rows.at[2] + p;
    const uint8_t* rp1 = rows.at[3] + p;
    const __m256i low = _mm256_set1_epi16(0x00FF);
    const __m256i threeLow = _mm256_set1_epi16(0x0003);
    const __m256i threeHigh = _mm256_set1_epi16(0x0300);
    const auto v1 = [&](int32_t q) {  // 3 row[y] + row[y-2] at the sites
        return _mm256_add_epi16(_mm256_maddubs_epi16(Load(r0 + q), threeLow), _mm256_and_si256(Load(rm2 + q), low));
    };
    const auto v2 = [&](int32_t q) {  // 3 row[y-1] + row[y+1] at the other sites
        return _mm256_add_epi16(_mm256_maddubs_epi16(Load(rm1 + q), threeHigh), _mm256_srli_epi16(Load(rp1 + q), 8));
    };
    const __m256i v1Here = v1(0);
    const __m256i v2Prev = v2(-2);
    const __m256i v2Here = v2(0);
    const __m256i v1Three = _mm256_add_epi16(v1Here, _mm256_add_epi16(v1Here, v1Here));
    const __m256i sameSite = _mm256_add_epi16(v1Three, v1(-2));
    const __m256i sameGreen = _mm256_add_epi16(v1Three, v1(2));
    const __m256i v2Sum = _mm256_add_epi16(v2Prev, v2Here);
    const __m256i otherSite = _mm256_add_epi16(v2Sum, _mm256_add_epi16(v2Prev, v2Prev));
    const __m256i otherGreen = _mm256_add_epi16(v2Sum, _mm256_add_epi16(v2Here, v2Here));
    const __m256i above = _mm256_and_si256(Load(rm1), low);
    const __m256i greenSite = _mm256_srli_epi16(_mm256_add_epi16(above, _mm256_srli_epi16(Load(r0 - 2), 8)), 1);
    const __m256i greenGreen = _mm256_srli_epi16(_mm256_add_epi16(above, _mm256_srli_epi16(Load(r0), 8)), 1);

    const __m256i same =
        _mm256_packus_epi16(_mm256_mulhi_epu16(sameSite, gainSame), _mm256_mulhi_epu16(sameGreen, gainSame));
    const __m256i other =
        _mm256_packus_epi16(_mm256_mulhi_epu16(otherSite, gainOther), _mm256_mulhi_epu16(otherGreen, gainOther));
    const __m256i green = _mm256_packus_epi16(greenSite, greenGreen);
    PackAndStore<kChunks>(out, same, green, other, masks, keepMask);
}

// 16 pixels (8 pairs) of a 16-bit row starting at site column p: the SSE2
// file's steps at twice the vector width, written out deliberately.
template <int32_t kChunks>
inline void Pairs16(const SourceRows& rows, uint8_t* out, int32_t p, __m256i gainSame, __m256i gainOther,
                    const PackMasks& masks, __m256i keepMask) {
    const uint8_t* rm2 = rows.at[0] + 2 * p;
    const uint8_t* rm1 = rows.at[1] + 2 * p;
    const uint8_t* r0 = rows.at[2] + 2 * p;
    const uint8_t* rp1 = rows.at[3] + 2 * p;
    const __m256i low = _mm256_set1_epi32(0xFFFF);
    const auto lo = [&](const uint8_t* q) { return _mm256_and_si256(Load(q), low); };
    const auto hi = [&](const uint8_t* q) { return _mm256_srli_epi32(Load(q), 16); };

    const __m256i v1Prev = Times3Plus32(lo(r0 - 4), lo(rm2 - 4));
    const __m256i v1 = Times3Plus32(lo(r0), lo(rm2));
    const __m256i v1Next = Times3Plus32(lo(r0 + 4), lo(rm2 + 4));
    const __m256i v2Prev = Times3Plus32(hi(rm1 - 4), hi(rp1 - 4));
    const __m256i v2 = Times3Plus32(hi(rm1), hi(rp1));

    const __m256i sameSite = Times3Plus32(v1, v1Prev);
    const __m256i sameGreen = Times3Plus32(v1, v1Next);
    const __m256i otherSite = Times3Plus32(v2Prev, v2);
    const __m256i otherGreen = Times3Plus32(v2, v2Prev);
    const __m256i above = lo(rm1);
    const __m256i greenSite = _mm256_srli_epi32(_mm256_add_epi32(above, hi(r0 - 4)), 1);
    const __m256i greenGreen = _mm256_srli_epi32(_mm256_add_epi32(above, hi(r0)), 1);

    // The products stay below 2^31 for any 16-bit input and the limited gains.
    const __m256i max = _mm256_set1_epi32(1023);
    const auto scale = [&](__m256i sum, __m256i gain) {
        return _mm256_min_epi32(_mm256_srli_epi32(_mm256_mullo_epi32(sum, gain), 11), max);
    };
    const auto limit = [&](__m256i v) { return _mm256_min_epi32(v, max); };
    const auto join = [](__m256i site, __m256i green) { return _mm256_packus_epi32(site, green); };
    const __m256i same = join(scale(sameSite, gainSame), scale(sameGreen, gainSame));
    const __m256i other = join(scale(otherSite, gainOther), scale(otherGreen, gainOther));
    const __m256i green = join(limit(greenSite), limit(greenGreen));
    PackAndStore<kChunks>(out, same, green, other, masks, keepMask);
}

// 16-bit rows in 16-bit lanes, sixteen pixels in natural order per vector:
// even lanes are colour sites, odd lanes greens. Loading a row at column
// p + c gives lane j the sample at p + c + j, so each output lane finds its
// neighbours by picking, per lane parity, one of a few shifted loads.
// Exact while every sample read is below 4096: the weighted sums then stay
// below 16 x 4096 = 2^16, and (sum x gain) >> 11 is the high half of
// sum x (gain << 5), as on 8-bit rows. Rows holding larger samples take the
// 32-bit pairs above.
constexpr int32_t kNarrowLimit = 4096;

struct NarrowMasks {
    __m256i duplicateSites;  // words 0 0 2 2 4 4 6 6 of each lane
    __m256i rotate[3];       // per channel: lane words to where the 48-bit chunks want them
};

NarrowMasks MakeNarrowMasks() {
    NarrowMasks masks;
    alignas(32) uint8_t bytes[32];
    for (int32_t i = 0; i < 32; ++i)
        bytes[i] = static_cast<uint8_t>((i & ~3) % 16 + i % 2);
    masks.duplicateSites = _mm256_load_si256(reinterpret_cast<const __m256i*>(bytes));
    // Word w of chunk k of a lane is word 8k + w of the lane's 24 words:
    // pixel (8k + w) / 3, channel (8k + w) % 3. For each channel and w one
    // chunk wants that channel there, so one shuffle serves all three.
    for (int32_t channel = 0; channel < 3; ++channel) {
        for (int32_t w = 0; w < 8; ++w) {
            int32_t pixel = 0;
            for (int32_t k = 0; k < 3; ++k) {
                if ((8 * k + w) % 3 == channel)
                    pixel = (8 * k + w) / 3;
            }
            for (int32_t lane = 0; lane < 2; ++lane) {
                bytes[16 * lane + 2 * w] = static_cast<uint8_t>(2 * pixel);
                bytes[16 * lane + 2 * w + 1] = static_cast<uint8_t>(2 * pixel + 1);
            }
        }
        masks.rotate[channel] = _mm256_load_si256(reinterpret_cast<const __m256i*>(bytes));
    }
    return masks;
}

// Blue, green and red words of 16 pixels as 48-bit pixels.
inline void Store48(uint8_t* out, __m256i blue, __m256i green, __m256i red, const NarrowMasks& masks) {
    const __m256i b = _mm256_shuffle_epi8(blue, masks.rotate[0]);
    const __m256i g = _mm256_shuffle_epi8(green, masks.rotate[1]);
    const __m256i r = _mm256_shuffle_epi8(red, masks.rotate[2]);
    // Per chunk, the words holding green (first mask) and red (second mask).
    const __m256i chunk[3] = {_mm256_blend_epi16(_mm256_blend_epi16(b, g, 0x92), r, 0x24),
                              _mm256_blend_epi16(_mm256_blend_epi16(b, g, 0x24), r, 0x49),
                              _mm256_blend_epi16(_mm256_blend_epi16(b, g, 0x49), r, 0x92)};
    for (int32_t k = 0; k < 3; ++k) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * k), _mm256_castsi256_si128(chunk[k]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 48 + 16 * k), _mm256_extracti128_si256(chunk[k], 1));
    }
}

// The same as 64-bit pixels, keeping each pixel's fourth word.
inline void Store64(uint8_t* out, __m256i blue, __m256i green, __m256i red) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i bgLow = _mm256_unpacklo_epi16(blue, green);   // pixels 0-3 | 8-11
    const __m256i bgHigh = _mm256_unpackhi_epi16(blue, green);  // pixels 4-7 | 12-15
    const __m256i rLow = _mm256_unpacklo_epi16(red, zero);
    const __m256i rHigh = _mm256_unpackhi_epi16(red, zero);
    const __m256i p0 = _mm256_unpacklo_epi32(bgLow, rLow);    // pixels 0-1 | 8-9
    const __m256i p1 = _mm256_unpackhi_epi32(bgLow, rLow);    // 2-3 | 10-11
    const __m256i p2 = _mm256_unpacklo_epi32(bgHigh, rHigh);  // 4-5 | 12-13
    const __m256i p3 = _mm256_unpackhi_epi32(bgHigh, rHigh);  // 6-7 | 14-15
    const __m256i packed[4] = {_mm256_permute2x128_si256(p0, p1, 0x20), _mm256_permute2x128_si256(p2, p3, 0x20),
                               _mm256_permute2x128_si256(p0, p1, 0x31), _mm256_permute2x128_si256(p2, p3, 0x31)};
    for (int32_t i = 0; i < 4; ++i)
        Store(out + 32 * i, _mm256_blend_epi16(packed[i], Load(out + 32 * i), 0x88));
}

// 16 pixels of a 16-bit row starting at site column p (all samples read below 4096).
template <int32_t kChunks>
inline void Narrow16(const SourceRows& rows, uint8_t* out, int32_t p, bool siteIsRed, __m256i gainSame,
                     __m256i gainOther, const NarrowMasks& masks) {
    // Row y-2, y-1, y, y+1 at column p + c.
    const auto at = [&](int32_t row, int32_t c) { return Load(rows.at[row] + 2 * (p + c)); };
    const auto oddFrom = [](__m256i even, __m256i odd) { return _mm256_blend_epi16(even, odd, 0xAA); };
    const __m256i three = _mm256_set1_epi16(3);
    const auto times3Plus = [&](__m256i a, __m256i b) { return _mm256_add_epi16(_mm256_mullo_epi16(a, three), b); };
    // Site colour, from rows y and y-2: 3 x (the pair's site) + (the site on the other side).
    const __m256i centre = _mm256_shuffle_epi8(times3Plus(at(2, 0), at(0, 0)), masks.duplicateSites);
    const __m256i side = times3Plus(oddFrom(at(2, -2), at(2, 1)), oddFrom(at(0, -2), at(0, 1)));
    const __m256i same = times3Plus(centre, side);
    // Other colour, from rows y-1 and y+1 at the columns beside the site.
    const __m256i near = times3Plus(oddFrom(at(1, -1), at(1, 0)), oddFrom(at(3, -1), at(3, 0)));
    const __m256i far = times3Plus(oddFrom(at(1, 1), at(1, -2)), oddFrom(at(3, 1), at(3, -2)));
    const __m256i other = times3Plus(near, far);
    const __m256i greenSum = _mm256_add_epi16(oddFrom(at(1, 0), at(1, -1)), oddFrom(at(2, -1), at(2, 0)));

    const __m256i max = _mm256_set1_epi16(1023);
    const __m256i sameValue = _mm256_min_epu16(_mm256_mulhi_epu16(same, gainSame), max);
    const __m256i otherValue = _mm256_min_epu16(_mm256_mulhi_epu16(other, gainOther), max);
    const __m256i green = _mm256_min_epu16(_mm256_srli_epi16(greenSum, 1), max);
    const __m256i blue = siteIsRed ? otherValue : sameValue;
    const __m256i red = siteIsRed ? sameValue : otherValue;
    if constexpr (kChunks == 3) {
        Store48(out, blue, green, red, masks);
    } else {
        Store64(out, blue, green, red);
    }
}

// Whether a source row holds a sample of 4096 or more among its `width` columns.
bool RowIsWide(const uint8_t* row, int32_t width) {
    __m256i any = _mm256_setzero_si256();
    int32_t x = 0;
    for (; x + 16 <= width; x += 16)
        any = _mm256_or_si256(any, Load(row + 2 * x));
    bool wide = !_mm256_testz_si256(any, _mm256_set1_epi16(static_cast<int16_t>(0xF000)));
    for (; x < width; ++x)
        wide = wide || LoadSample<uint16_t>(row, x) >= kNarrowLimit;
    return wide;
}

template <int32_t kChunks>
void Rows8(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains) {
    const RowMasks masks = MakeRowMasks(kChunks, 1);
    const __m256i keepMask = _mm256_set1_epi32(static_cast<int32_t>(0xFF000000u));
    const __m256i red = _mm256_set1_epi16(static_cast<int16_t>(gains.red << 5));
    const __m256i blue = _mm256_set1_epi16(static_cast<int16_t>(gains.blue << 5));
    for (int32_t y = yBegin; y < yEnd; ++y) {
        const bool siteIsRed = RowPhase(mode, y) == 1;
        // Taken once per row: the stores could alias `frame`, which the
        // compiler would otherwise read again at every step.
        uint8_t* const out = DestPixel(frame, 0, y);
        const auto step = [&](const SourceRows& rows, int32_t, int32_t x) {
            Pairs8<kChunks>(rows, out + kChunks * x, x, siteIsRed ? red : blue, siteIsRed ? blue : red,
                            masks.byRow[siteIsRed ? 1 : 0], keepMask);
        };
        Rows<uint8_t, 32>(frame, y, y + 1, fold, mode, gains, 255, step);
    }
}

template <int32_t kChunks>
void Rows16(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains) {
    const RowMasks masks = MakeRowMasks(2 * kChunks, 2);
    const NarrowMasks narrowMasks = MakeNarrowMasks();
    const __m256i keepMask = _mm256_set1_epi64x(static_cast<int64_t>(0xFFFF000000000000ull));
    const __m256i red = _mm256_set1_epi32(gains.red);
    const __m256i blue = _mm256_set1_epi32(gains.blue);
    const __m256i red16 = _mm256_set1_epi16(static_cast<int16_t>(gains.red << 5));
    const __m256i blue16 = _mm256_set1_epi16(static_cast<int16_t>(gains.blue << 5));
    WideRows wideRows(frame.width, RowIsWide);
    for (int32_t y = yBegin; y < yEnd; ++y) {
        const bool siteIsRed = RowPhase(mode, y) == 1;
        const bool wide = wideRows.AnyWide(RowsOf<uint16_t>(frame, y, fold));
        uint8_t* const out = DestPixel(frame, 0, y);  // once per row, as in Rows8
        if (wide) {
            const auto step = [&](const SourceRows& rows, int32_t, int32_t x) {
                Pairs16<kChunks>(rows, out + 2 * kChunks * x, x, siteIsRed ? red : blue, siteIsRed ? blue : red,
                                 masks.byRow[siteIsRed ? 1 : 0], keepMask);
            };
            Rows<uint16_t, 16>(frame, y, y + 1, fold, mode, gains, 1023, step);
        } else {
            const auto step = [&](const SourceRows& rows, int32_t, int32_t x) {
                Narrow16<kChunks>(rows, out + 2 * kChunks * x, x, siteIsRed, siteIsRed ? red16 : blue16,
                                  siteIsRed ? blue16 : red16, narrowMasks);
            };
            Rows<uint16_t, 16>(frame, y, y + 1, fold, mode, gains, 1023, step);
        }
    }
}

}  // namespace

void Rows8_AVX2(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains) {
    if (frame.dstBytesPerPixel == 4) {
        Rows8<4>(frame, yBegin, yEnd, fold, mode, gains);
    } else {
        Rows8<3>(frame, yBegin, yEnd, fold, mode, gains);
    }
}

void Rows16_AVX2(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains) {
    if (frame.dstBytesPerPixel == 8) {
        Rows16<4>(frame, yBegin, yEnd, fold, mode, gains);
    } else {
        Rows16<3>(frame, yBegin, yEnd, fold, mode, gains);
    }
}

}  // namespace tavrin::demosaic
