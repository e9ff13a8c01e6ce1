// Hue and saturation for 8-bit pixels with AVX-512 (the transform is in
// huesat_lanes_avx512.h): the channels are split from and merged back into
// the pixels by byte permutes across the whole register, the end of a row by
// masked loads and stores. A table that follows the transform is looked up
// on the merged bytes before the store, so the image is read and written once.
#include "imaging/kernels/byte_table_avx512.h"
#include "imaging/kernels/huesat_lanes_avx512.h"

namespace tavrin {
namespace {

using huesat::Constants;
using huesat::MakeConstants;
using huesat::Planes;
using huesat::Tail;
using huesat::Transform;

// What happens to the transformed colour bytes before they are stored:
// nothing (NoTable), or the tone steps' 256-entry table (ByteTable).
using avx512::ByteTable;
using avx512::NoTable;

// 24-bit pixels, 64 at a time from three registers (bytes 0-63, 64-127,
// 128-191), split into one byte plane per channel in pixel order: a
// two-source permute takes the bytes that lie in the first two registers and
// a masked one-source permute with the same index (its low six bits) those
// in the third. Back the same way: each output register takes blue and green
// from one two-source permute, red from a masked second one.
struct Rgb24Permutes {
    __m512i split[3];  // [channel]: plane byte j <- pixel byte 3j + channel
    __mmask64 fromLast[3];
    __m512i merge[3];  // [register]: pixel byte <- plane byte (+64 for green)
    __mmask64 redBytes[3];
};

Rgb24Permutes MakeRgb24Permutes() {
    Rgb24Permutes p;
    for (int32_t channel = 0; channel < 3; ++channel) {
        alignas(64) uint8_t index[64];
        uint64_t last = 0;
        for (int32_t j = 0; j < 64; ++j) {
            const int32_t byte = 3 * j + channel;
            index[j] = static_cast<uint8_t>(byte % 128);
            if (byte >= 128)
                last |= uint64_t{1} << j;
        }
        p.split[channel] = _mm512_load_si512(index);
        p.fromLast[channel] = last;
    }
    for (int32_t r = 0; r < 3; ++r) {
        alignas(64) uint8_t index[64];
        uint64_t red = 0;
        for (int32_t b = 0; b < 64; ++b) {
            const int32_t byte = 64 * r + b;
            const int32_t channel = byte % 3;
            index[b] = static_cast<uint8_t>(byte / 3 + (channel == 1 ? 64 : 0));
            if (channel == 2)
                red |= uint64_t{1} << b;
        }
        p.merge[r] = _mm512_load_si512(index);
        p.redBytes[r] = red;
    }
    return p;
}

// The 64 pixels of three registers transformed in place.
template <typename Finish>
inline void Transform64(__m512i (&v)[3], const Rgb24Permutes& p, const Constants& k, const Finish& finish) {
    const auto split = [&](int32_t c) {
        const __m512i first = _mm512_permutex2var_epi8(v[0], p.split[c], v[1]);
        return _mm512_mask_permutexvar_epi8(first, p.fromLast[c], p.split[c], v[2]);
    };
    const Planes out = Transform(Planes{split(0), split(1), split(2)}, k);
    for (int32_t r = 0; r < 3; ++r) {
        const __m512i blueGreen = _mm512_permutex2var_epi8(out.blue, p.merge[r], out.green);
        v[r] = finish(_mm512_mask_permutexvar_epi8(blueGreen, p.redBytes[r], p.merge[r], out.red));
    }
}

template <typename Finish>
[[gnu::noinline]] void Row24(const uint8_t* in, uint8_t* out, int32_t width, const Rgb24Permutes& p, const Constants& k,
                             const Finish& finish) {
    int32_t x = 0;
    for (; x + 64 <= width; x += 64) {
        __m512i v[3];
        for (int32_t r = 0; r < 3; ++r)
            v[r] = _mm512_loadu_si512(in + 3 * x + 64 * r);
        Transform64(v, p, k, finish);
        for (int32_t r = 0; r < 3; ++r)
            _mm512_storeu_si512(out + 3 * x + 64 * r, v[r]);
    }
    if (x < width) {
        const Tail<3> tail(3 * (width - x));
        __m512i v[3];
        for (int32_t r = 0; r < 3; ++r)
            v[r] = _mm512_maskz_loadu_epi8(tail.mask[r], in + 3 * x + 64 * r);
        Transform64(v, p, k, finish);
        for (int32_t r = 0; r < 3; ++r)
            _mm512_mask_storeu_epi8(out + 3 * x + 64 * r, tail.mask[r], v[r]);
    }
}

// 32-bit pixels, 64 at a time from four registers: each plane from two
// two-source permutes (pixels 0-31 and 32-63, the same index) and a blend;
// back through one two-source and one masked permute per register, stored
// without each pixel's fourth byte.
struct Rgb32Permutes {
    __m512i split[3];
    __m512i merge[4];
    __mmask64 redBytes;
};

Rgb32Permutes MakeRgb32Permutes() {
    Rgb32Permutes p;
    for (int32_t channel = 0; channel < 3; ++channel) {
        alignas(64) uint8_t index[64];
        for (int32_t j = 0; j < 64; ++j)
            index[j] = static_cast<uint8_t>((4 * j + channel) % 128);
        p.split[channel] = _mm512_load_si512(index);
    }
    p.redBytes = 0;
    for (int32_t r = 0; r < 4; ++r) {
        alignas(64) uint8_t index[64];
        for (int32_t b = 0; b < 64; ++b) {
            const int32_t channel = b % 4;
            index[b] = static_cast<uint8_t>(16 * r + b / 4 + (channel == 1 ? 64 : 0));
            if (channel == 2)
                p.redBytes |= uint64_t{1} << b;
        }
        p.merge[r] = _mm512_load_si512(index);
    }
    return p;
}

constexpr __mmask64 kColourBytes = 0x7777777777777777ull;
constexpr __mmask64 kUpperHalf = 0xFFFFFFFF00000000ull;

template <typename Finish>
inline void Transform32(__m512i (&v)[4], const Rgb32Permutes& p, const Constants& k, const Finish& finish) {
    const auto split = [&](int32_t c) {
        return _mm512_mask_blend_epi8(kUpperHalf, _mm512_permutex2var_epi8(v[0], p.split[c], v[1]),
                                      _mm512_permutex2var_epi8(v[2], p.split[c], v[3]));
    };
    const Planes out = Transform(Planes{split(0), split(1), split(2)}, k);
    for (int32_t r = 0; r < 4; ++r) {
        const __m512i blueGreen = _mm512_permutex2var_epi8(out.blue, p.merge[r], out.green);
        v[r] = finish(_mm512_mask_permutexvar_epi8(blueGreen, p.redBytes, p.merge[r], out.red));
    }
}

template <typename Finish>
[[gnu::noinline]] void Row32(const uint8_t* in, uint8_t* out, int32_t width, const Rgb32Permutes& p, const Constants& k,
                             const Finish& finish) {
    int32_t x = 0;
    for (; x + 64 <= width; x += 64) {
        __m512i v[4];
        for (int32_t r = 0; r < 4; ++r)
            v[r] = _mm512_loadu_si512(in + 4 * x + 64 * r);
        Transform32(v, p, k, finish);
        for (int32_t r = 0; r < 4; ++r)
            _mm512_mask_storeu_epi8(out + 4 * x + 64 * r, kColourBytes, v[r]);
    }
    if (x < width) {
        const Tail<4> tail(4 * (width - x));
        __m512i v[4];
        for (int32_t r = 0; r < 4; ++r)
            v[r] = _mm512_maskz_loadu_epi8(tail.mask[r], in + 4 * x + 64 * r);
        Transform32(v, p, k, finish);
        for (int32_t r = 0; r < 4; ++r)
            _mm512_mask_storeu_epi8(out + 4 * x + 64 * r, tail.mask[r] & kColourBytes, v[r]);
    }
}

template <typename Finish>
bool TryHueSat8(const KernelArea& area, const HueSatTables& tables, huesat::HueShift shift, const Finish& finish) {
    const int32_t bpp = area.srcBytesPerPixel;
    if (bpp != area.dstBytesPerPixel || (bpp != 3 && bpp != 4))
        return false;
    const Constants k = MakeConstants(tables, shift);
    if (bpp == 3) {
        const Rgb24Permutes p = MakeRgb24Permutes();
        for (int32_t y = 0; y < area.height; ++y)
            Row24(SourceRowOf(area, y), DestRowOf(area, y), area.width, p, k, finish);
    } else {
        const Rgb32Permutes p = MakeRgb32Permutes();
        for (int32_t y = 0; y < area.height; ++y)
            Row32(SourceRowOf(area, y), DestRowOf(area, y), area.width, p, k, finish);
    }
    return true;
}

}  // namespace

void HueSatArea8_AVX512(const KernelArea& area, const HueSatTables& tables, huesat::HueShift shift,
                        const uint8_t* table256) {
    const bool done = table256 != nullptr ? TryHueSat8(area, tables, shift, ByteTable(table256))
                                          : TryHueSat8(area, tables, shift, NoTable{});
    if (!done)
        HueSatArea8_C(area, tables, shift, table256);
}

}  // namespace tavrin
