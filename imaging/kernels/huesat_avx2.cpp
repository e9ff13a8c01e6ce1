// Hue and saturation with AVX2: sixteen pixels at a time, one per 16-bit
// lane, with every branch of the per-pixel transform turned into lane
// arithmetic.
//
// The reference builds its result as one 0xRRGGBB value, but no channel ever
// carries into its neighbour: a lit channel holds newMin + span, at most
// (chroma + sum) / 2 <= 255, and the moving channel adds or takes away
// ramp <= span (v stays below 255). So each channel is computed on its own as
// newMin + (span if the sector lights it) +/- (ramp if the sector moves it),
// and all values fit in 16 bits except the reciprocal product, which is done
// in 32-bit lanes after a gather from the reciprocal table.
#include <immintrin.h>

#include "imaging/kernels/huesat_rows.h"
#include "imaging/kernels/tone_lut.h"

namespace tavrin {
namespace {

inline __m256i Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
inline void Store(uint8_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
inline __m128i Load128(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store128(uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// Per sector (0..5), as 16-bit words picked by a byte shuffle: whether the
// sector lights a channel (0xFFFF) and which way it moves it (-1, 0, +1).
struct SectorTables {
    __m256i lit[3];
    __m256i moves[3];
};

SectorTables MakeSectorTables() {
    SectorTables t;
    for (int32_t channel = 0; channel < 3; ++channel) {
        alignas(32) int16_t lit[16] = {};
        alignas(32) int16_t moves[16] = {};
        for (int32_t sector = 0; sector < 6; ++sector) {
            const uint32_t shift = 8u * static_cast<uint32_t>(channel);
            lit[sector] = ((huesat::kSectorMask[sector] >> shift) & 0xFF) != 0 ? -1 : 0;
            const int32_t step = huesat::kSectorStep[sector];
            const int32_t unit = 1 << shift;
            moves[sector] = step == unit ? 1 : (step == -unit ? -1 : 0);
            lit[sector + 8] = lit[sector];
            moves[sector + 8] = moves[sector];
        }
        t.lit[channel] = _mm256_load_si256(reinterpret_cast<const __m256i*>(lit));
        t.moves[channel] = _mm256_load_si256(reinterpret_cast<const __m256i*>(moves));
    }
    return t;
}

struct Constants {
    __m256i saturation;  // saturation + 256
    __m256i shiftFraction;
    __m256i shiftSector;
    SectorTables sectors;
    const int* reciprocal;
};

Constants MakeConstants(const HueSatTables& tables, huesat::HueShift shift) {
    return Constants{_mm256_set1_epi16(static_cast<int16_t>(tables.saturation + 256)),
                     _mm256_set1_epi16(static_cast<int16_t>(shift.fraction)),
                     _mm256_set1_epi16(static_cast<int16_t>(shift.sector)), MakeSectorTables(),
                     reinterpret_cast<const int*>(tables.reciprocal)};
}

struct Planes {
    __m256i blue, green, red;  // 16-bit lanes, 0..255
};

// (reciprocal[d] x l + 0x8000) >> 16 for sixteen lanes, 0 <= l <= d <= 255.
inline __m256i ReciprocalProduct(__m256i d, __m256i l, const int* reciprocal) {
    const auto half = [&](__m128i d8, __m128i l8) {
        const __m256i q = _mm256_i32gather_epi32(reciprocal, _mm256_cvtepu16_epi32(d8), 4);
        const __m256i product = _mm256_mullo_epi32(q, _mm256_cvtepu16_epi32(l8));
        return _mm256_srli_epi32(_mm256_add_epi32(product, _mm256_set1_epi32(0x8000)), 16);
    };
    const __m256i low = half(_mm256_castsi256_si128(d), _mm256_castsi256_si128(l));
    const __m256i high = half(_mm256_extracti128_si256(d, 1), _mm256_extracti128_si256(l, 1));
    return _mm256_permute4x64_epi64(_mm256_packus_epi32(low, high), 0xD8);
}

inline Planes Transform(const Planes& in, const Constants& k) {
    const __m256i blue = in.blue;
    const __m256i green = in.green;
    const __m256i red = in.red;
    const __m256i one = _mm256_set1_epi16(1);
    // R >= G: base 1, hi R, lo G, l = G - B; else base 3, hi G, lo R, l = B - R.
    const __m256i greenAbove = _mm256_cmpgt_epi16(green, red);
    __m256i base = _mm256_add_epi16(one, _mm256_and_si256(greenAbove, _mm256_set1_epi16(2)));
    __m256i hi = _mm256_max_epi16(red, green);
    const __m256i lo = _mm256_min_epi16(red, green);
    __m256i l = _mm256_blendv_epi8(_mm256_sub_epi16(green, blue), _mm256_sub_epi16(blue, red), greenAbove);
    // B above both: base 5, hi B, l = R - G.
    const __m256i blueAbove = _mm256_cmpgt_epi16(blue, hi);
    base = _mm256_max_epi16(base, _mm256_and_si256(blueAbove, _mm256_set1_epi16(5)));
    hi = _mm256_max_epi16(hi, blue);
    l = _mm256_blendv_epi8(l, _mm256_sub_epi16(red, green), blueAbove);
    const __m256i min = _mm256_min_epi16(lo, blue);
    const __m256i d = _mm256_sub_epi16(hi, min);
    const __m256i negative = _mm256_srai_epi16(l, 15);
    base = _mm256_add_epi16(base, negative);
    l = _mm256_add_epi16(l, _mm256_and_si256(negative, d));

    // chroma = min(S[d], limit[sum]) with S[d] = (d (saturation + 256) + 128) >> 8,
    // which the rounding high multiply gives from d << 7.
    const __m256i sum = _mm256_add_epi16(hi, min);
    const __m256i scaled = _mm256_mulhrs_epi16(_mm256_slli_epi16(d, 7), k.saturation);
    const __m256i limit = _mm256_min_epi16(sum, _mm256_sub_epi16(_mm256_set1_epi16(511), sum));
    const __m256i chroma = _mm256_min_epi16(scaled, limit);
    const __m256i newMin = _mm256_srli_epi16(_mm256_sub_epi16(sum, chroma), 1);
    const __m256i span = _mm256_sub_epi16(_mm256_srli_epi16(_mm256_add_epi16(chroma, sum), 1), newMin);

    // Where d is 0, span is 0 too, so the ramp terms below vanish as the
    // reference's d != 0 test makes them.
    __m256i v = _mm256_add_epi16(ReciprocalProduct(d, l, k.reciprocal), k.shiftFraction);
    __m256i sector = _mm256_add_epi16(base, k.shiftSector);
    const __m256i wraps = _mm256_cmpgt_epi16(v, _mm256_set1_epi16(254));
    v = _mm256_sub_epi16(v, _mm256_and_si256(wraps, _mm256_set1_epi16(255)));
    sector = _mm256_sub_epi16(sector, wraps);
    // sector is at most 11 here: one subtraction of 6 is the remainder.
    sector = _mm256_sub_epi16(sector,
                              _mm256_and_si256(_mm256_cmpgt_epi16(sector, _mm256_set1_epi16(5)), _mm256_set1_epi16(6)));
    // span x v <= 255 x 254, so the product and the rounding stay below 2^16.
    const __m256i ramp = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(span, v), _mm256_set1_epi16(128)), 8);
    // Byte shuffle indices 2s, 2s + 1 pick word s of the sector tables.
    const __m256i index =
        _mm256_add_epi16(_mm256_mullo_epi16(sector, _mm256_set1_epi16(0x0202)), _mm256_set1_epi16(0x0100));
    const auto channel = [&](int32_t c) {
        const __m256i lit = _mm256_and_si256(span, _mm256_shuffle_epi8(k.sectors.lit[c], index));
        const __m256i moved = _mm256_sign_epi16(ramp, _mm256_shuffle_epi8(k.sectors.moves[c], index));
        return _mm256_add_epi16(_mm256_add_epi16(newMin, lit), moved);
    };
    return Planes{channel(0), channel(1), channel(2)};
}

// 24-bit pixels, 32 at a time: each 128-bit lane takes 16 pixels (48 bytes),
// the low lane pixels 0..15 and the high lane pixels 16..31. Chunk c holds
// bytes 16c..16c+15 of each lane's pixels.
struct Rgb24Masks {
    __m256i split[3][3];  // [chunk][channel]: chunk bytes to a channel's plane
    __m256i merge[3][3];  // [chunk][channel]: a channel's plane to chunk bytes
};

Rgb24Masks MakeRgb24Masks() {
    Rgb24Masks m;
    for (int32_t chunk = 0; chunk < 3; ++chunk) {
        for (int32_t channel = 0; channel < 3; ++channel) {
            alignas(32) int8_t split[32];
            alignas(32) int8_t merge[32];
            for (int32_t i = 0; i < 32; ++i) {
                const int32_t pixelByte = 3 * (i % 16) + channel - 16 * chunk;  // plane entry i
                split[i] = static_cast<int8_t>(pixelByte >= 0 && pixelByte < 16 ? pixelByte : -128);
                const int32_t byte = 16 * chunk + i % 16;  // chunk entry i
                merge[i] = static_cast<int8_t>(byte % 3 == channel ? byte / 3 : -128);
            }
            m.split[chunk][channel] = _mm256_load_si256(reinterpret_cast<const __m256i*>(split));
            m.merge[chunk][channel] = _mm256_load_si256(reinterpret_cast<const __m256i*>(merge));
        }
    }
    return m;
}

// The 32 pixels from `in` (96 bytes) transformed, as three chunks to store.
struct Chunks {
    __m256i c[3];
};

inline Chunks Transform32(const uint8_t* in, const Rgb24Masks& m, const Constants& k) {
    __m256i chunk[3];
    for (int32_t c = 0; c < 3; ++c) {
        chunk[c] = _mm256_inserti128_si256(_mm256_castsi128_si256(Load128(in + 16 * c)), Load128(in + 48 + 16 * c), 1);
    }
    __m256i plane[3];
    for (int32_t channel = 0; channel < 3; ++channel) {
        plane[channel] = _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(chunk[0], m.split[0][channel]),
                                                         _mm256_shuffle_epi8(chunk[1], m.split[1][channel])),
                                         _mm256_shuffle_epi8(chunk[2], m.split[2][channel]));
    }
    const __m256i zero = _mm256_setzero_si256();
    const Planes low = Transform(Planes{_mm256_unpacklo_epi8(plane[0], zero), _mm256_unpacklo_epi8(plane[1], zero),
                                        _mm256_unpacklo_epi8(plane[2], zero)},
                                 k);
    const Planes high = Transform(Planes{_mm256_unpackhi_epi8(plane[0], zero), _mm256_unpackhi_epi8(plane[1], zero),
                                         _mm256_unpackhi_epi8(plane[2], zero)},
                                  k);
    plane[0] = _mm256_packus_epi16(low.blue, high.blue);
    plane[1] = _mm256_packus_epi16(low.green, high.green);
    plane[2] = _mm256_packus_epi16(low.red, high.red);
    Chunks out;
    for (int32_t c = 0; c < 3; ++c) {
        out.c[c] = _mm256_or_si256(
            _mm256_or_si256(_mm256_shuffle_epi8(plane[0], m.merge[c][0]), _mm256_shuffle_epi8(plane[1], m.merge[c][1])),
            _mm256_shuffle_epi8(plane[2], m.merge[c][2]));
    }
    return out;
}

inline void Store32(uint8_t* out, const Chunks& chunks) {
    for (int32_t c = 0; c < 3; ++c) {
        Store128(out + 16 * c, _mm256_castsi256_si128(chunks.c[c]));
        Store128(out + 48 + 16 * c, _mm256_extracti128_si256(chunks.c[c], 1));
    }
}

// 32-bit pixels, 16 at a time from two vectors of eight.
inline Planes Split32(__m256i first, __m256i second) {
    const __m256i byteMask = _mm256_set1_epi32(0xFF);
    const auto plane = [&](int32_t shift) {
        return _mm256_packus_epi32(_mm256_and_si256(_mm256_srli_epi32(first, shift), byteMask),
                                   _mm256_and_si256(_mm256_srli_epi32(second, shift), byteMask));
    };
    return Planes{plane(0), plane(8), plane(16)};
}

// Back into the two vectors' layout, keeping each pixel's fourth byte.
inline void Merge32(const Planes& p, __m256i& first, __m256i& second) {
    const __m256i blueGreen = _mm256_or_si256(p.blue, _mm256_slli_epi16(p.green, 8));
    const __m256i fourth = _mm256_set1_epi32(static_cast<int32_t>(0xFF000000u));
    first = _mm256_or_si256(_mm256_unpacklo_epi16(blueGreen, p.red), _mm256_and_si256(first, fourth));
    second = _mm256_or_si256(_mm256_unpackhi_epi16(blueGreen, p.red), _mm256_and_si256(second, fourth));
}

inline void TransformScalar(const uint8_t* in, uint8_t* out, int32_t bpp, int32_t count, const HueSatTables& t,
                            huesat::HueShift shift) {
    for (int32_t x = 0; x < count; ++x, in += bpp, out += bpp) {
        const uint32_t value = huesat::TransformPixel(in[0], in[1], in[2], t, shift);
        out[0] = static_cast<uint8_t>(value);
        out[1] = static_cast<uint8_t>(value >> 8);
        out[2] = static_cast<uint8_t>(value >> 16);
    }
}

// A row of 24-bit pixels. The last 32 pixels are transformed first and
// stored last, so that a row whose width is not a multiple of 32 ends with a
// whole vector step even in place: the pixels it shares with the step before
// get the same values from both.
void Row24(const uint8_t* in, uint8_t* out, int32_t width, const Rgb24Masks& m, const Constants& k) {
    const int32_t last = width - 32;
    const Chunks tail = Transform32(in + 3 * last, m, k);
    for (int32_t x = 0; x < last; x += 32)
        Store32(out + 3 * x, Transform32(in + 3 * x, m, k));
    Store32(out + 3 * last, tail);
}

// A row of 32-bit pixels, the same way with steps of 16.
void Row32(const uint8_t* in, uint8_t* out, int32_t width, const Constants& k) {
    const auto step = [&](int32_t x, __m256i& first, __m256i& second) {
        first = Load(in + 4 * x);
        second = Load(in + 4 * x + 32);
        Merge32(Transform(Split32(first, second), k), first, second);
    };
    const int32_t last = width - 16;
    __m256i tailFirst, tailSecond;
    step(last, tailFirst, tailSecond);
    for (int32_t x = 0; x < last; x += 16) {
        __m256i first, second;
        step(x, first, second);
        Store(out + 4 * x, first);
        Store(out + 4 * x + 32, second);
    }
    Store(out + 4 * last, tailFirst);
    Store(out + 4 * last + 32, tailSecond);
}

}  // namespace

static bool TryHueSat8(const KernelArea& area, const HueSatTables& tables, huesat::HueShift shift) {
    const int32_t bpp = area.srcBytesPerPixel;
    if (bpp != area.dstBytesPerPixel || (bpp != 3 && bpp != 4))
        return false;
    const Constants k = MakeConstants(tables, shift);
    const Rgb24Masks masks = MakeRgb24Masks();
    const int32_t minWidth = bpp == 3 ? 32 : 16;
    for (int32_t y = 0; y < area.height; ++y) {
        const uint8_t* in = SourceRowOf(area, y);
        uint8_t* out = DestRowOf(area, y);
        if (area.width < minWidth) {
            TransformScalar(in, out, bpp, area.width, tables, shift);
        } else if (bpp == 3) {
            Row24(in, out, area.width, masks, k);
        } else {
            Row32(in, out, area.width, k);
        }
    }
    return true;
}

// The 16-bit samples of a run of pixels are reduced to 8 bits in small
// planes, transformed sixteen at a time and widened back.
static bool TryHueSat16(const KernelArea& area, const HueSatTables& tables, huesat::HueShift shift,
                        int32_t sampleShift) {
    const int32_t bpp = area.srcBytesPerPixel;
    if (bpp != area.dstBytesPerPixel || (bpp != 6 && bpp != 8))
        return false;
    const Constants k = MakeConstants(tables, shift);
    constexpr int32_t kRun = 64;
    alignas(32) uint16_t planes[3][kRun] = {};
    for (int32_t y = 0; y < area.height; ++y) {
        const uint8_t* in = SourceRowOf(area, y);
        uint8_t* out = DestRowOf(area, y);
        for (int32_t x0 = 0; x0 < area.width; x0 += kRun) {
            const int32_t n = area.width - x0 < kRun ? area.width - x0 : kRun;
            for (int32_t i = 0; i < n; ++i) {
                const uint8_t* p = in + (x0 + i) * bpp;
                for (int32_t c = 0; c < 3; ++c) {
                    const int32_t sample = Load16(p + 2 * c) >> sampleShift;
                    planes[c][i] = static_cast<uint16_t>(sample < 255 ? sample : 255);
                }
            }
            // Lanes past n transform whatever the planes hold and are not written out.
            for (int32_t i = 0; i < n; i += 16) {
                const auto at = [&](int32_t c) { return reinterpret_cast<__m256i*>(&planes[c][i]); };
                const Planes p =
                    Transform(Planes{_mm256_load_si256(at(0)), _mm256_load_si256(at(1)), _mm256_load_si256(at(2))}, k);
                _mm256_store_si256(at(0), p.blue);
                _mm256_store_si256(at(1), p.green);
                _mm256_store_si256(at(2), p.red);
            }
            for (int32_t i = 0; i < n; ++i) {
                uint8_t* q = out + (x0 + i) * bpp;
                for (int32_t c = 0; c < 3; ++c)
                    Store16(q + 2 * c, planes[c][i] << sampleShift);
            }
        }
    }
    return true;
}

// The table, when given, is a second pass over the destination: the AVX2
// table lookup is a chain of shuffles that gains nothing from the fusion.
void HueSatArea8_AVX2(const KernelArea& area, const HueSatTables& tables, huesat::HueShift shift,
                      const uint8_t* table256) {
    if (!TryHueSat8(area, tables, shift)) {
        HueSatArea8_C(area, tables, shift, table256);
        return;
    }
    if (table256 != nullptr) {
        const int32_t bpp = area.dstBytesPerPixel;
        const KernelArea written{area.dst,  area.dst,  area.dstX, area.dstY, area.width,     area.height,
                                 area.dstX, area.dstY, bpp,       bpp,       area.dstStride, area.dstStride};
        ApplyTable8_AVX2(written, 3, table256);
    }
}

void HueSatArea16_AVX2(const KernelArea& area, const HueSatTables& tables, huesat::HueShift shift,
                       int32_t sampleShift) {
    if (!TryHueSat16(area, tables, shift, sampleShift))
        HueSatArea16_C(area, tables, shift, sampleShift);
}

}  // namespace tavrin
