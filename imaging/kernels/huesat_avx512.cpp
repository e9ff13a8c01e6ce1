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
// 128-191). Pixels 0..31 lie in the first two and 32..63 in the last two,
// so one two-source permute per channel and half widens them to words. After
// the transform each channel's two halves pack into one byte plane (words
// 0-7 of a 128-bit lane from the first half, 8-15 from the second), and each
// output register takes blue and green from one permute, red from a second.
struct Rgb24Permutes {
    __m512i split[2][3];  // [half][channel]: bytes to the channel's words
    __m512i merge[3];     // [register]: plane bytes to pixel bytes
    __mmask64 redBytes[3];
};

// Where pixel i (0..63) lands in a packed byte plane.
constexpr int32_t PlaneByteOf(int32_t i) {
    const int32_t half = i / 32;
    const int32_t j = i % 32;
    return 16 * (j / 8) + 8 * half + j % 8;
}

Rgb24Permutes MakeRgb24Permutes() {
    Rgb24Permutes p;
    for (int32_t half = 0; half < 2; ++half) {
        for (int32_t channel = 0; channel < 3; ++channel) {
            alignas(64) uint8_t index[64] = {};
            for (int32_t j = 0; j < 32; ++j)
                index[2 * j] = static_cast<uint8_t>(32 * half + 3 * j + channel);
            p.split[half][channel] = _mm512_load_si512(index);
        }
    }
    for (int32_t r = 0; r < 3; ++r) {
        alignas(64) uint8_t index[64];
        uint64_t red = 0;
        for (int32_t b = 0; b < 64; ++b) {
            const int32_t byte = 64 * r + b;
            const int32_t channel = byte % 3;
            index[b] = static_cast<uint8_t>(PlaneByteOf(byte / 3) + (channel == 1 ? 64 : 0));
            if (channel == 2)
                red |= uint64_t{1} << b;
        }
        p.merge[r] = _mm512_load_si512(index);
        p.redBytes[r] = red;
    }
    return p;
}

constexpr __mmask64 kEvenBytes = 0x5555555555555555ull;

// The 64 pixels of three registers transformed in place.
template <typename Finish>
inline void Transform64(__m512i (&v)[3], const Rgb24Permutes& p, const Constants& k, const Finish& finish) {
    const auto split = [&](int32_t half) {
        const __m512i a = v[half];
        const __m512i b = v[half + 1];
        return Planes{_mm512_maskz_permutex2var_epi8(kEvenBytes, a, p.split[half][0], b),
                      _mm512_maskz_permutex2var_epi8(kEvenBytes, a, p.split[half][1], b),
                      _mm512_maskz_permutex2var_epi8(kEvenBytes, a, p.split[half][2], b)};
    };
    const Planes first = Transform(split(0), k);
    const Planes second = Transform(split(1), k);
    const __m512i blue = _mm512_packus_epi16(first.blue, second.blue);
    const __m512i green = _mm512_packus_epi16(first.green, second.green);
    const __m512i red = _mm512_packus_epi16(first.red, second.red);
    for (int32_t r = 0; r < 3; ++r) {
        const __m512i blueGreen = _mm512_permutex2var_epi8(blue, p.merge[r], green);
        v[r] = finish(_mm512_mask_permutexvar_epi8(blueGreen, p.redBytes[r], p.merge[r], red));
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

// 32-bit pixels, 32 at a time from two registers: one permute per channel
// to words, and back through blue | green << 8 and red, the fourth byte of
// each pixel kept.
struct Rgb32Permutes {
    __m512i split[3];
    __m512i merge[2];
};

Rgb32Permutes MakeRgb32Permutes() {
    Rgb32Permutes p;
    for (int32_t channel = 0; channel < 3; ++channel) {
        alignas(64) uint8_t index[64] = {};
        for (int32_t j = 0; j < 32; ++j)
            index[2 * j] = static_cast<uint8_t>(4 * j + channel);
        p.split[channel] = _mm512_load_si512(index);
    }
    for (int32_t r = 0; r < 2; ++r) {
        alignas(64) uint8_t index[64] = {};
        for (int32_t i = 0; i < 16; ++i) {
            const int32_t word = 2 * (16 * r + i);
            index[4 * i] = static_cast<uint8_t>(word);
            index[4 * i + 1] = static_cast<uint8_t>(word + 1);
            index[4 * i + 2] = static_cast<uint8_t>(64 + word);
        }
        p.merge[r] = _mm512_load_si512(index);
    }
    return p;
}

constexpr __mmask64 kColourBytes = 0x7777777777777777ull;

template <typename Finish>
inline void Transform32(__m512i (&v)[2], const Rgb32Permutes& p, const Constants& k, const Finish& finish) {
    const auto split = [&](int32_t channel) {
        return _mm512_maskz_permutex2var_epi8(kEvenBytes, v[0], p.split[channel], v[1]);
    };
    const Planes out = Transform(Planes{split(0), split(1), split(2)}, k);
    const __m512i blueGreen = _mm512_or_si512(out.blue, _mm512_slli_epi16(out.green, 8));
    for (int32_t r = 0; r < 2; ++r)
        v[r] = _mm512_mask_blend_epi8(kColourBytes, v[r],
                                      finish(_mm512_permutex2var_epi8(blueGreen, p.merge[r], out.red)));
}

template <typename Finish>
[[gnu::noinline]] void Row32(const uint8_t* in, uint8_t* out, int32_t width, const Rgb32Permutes& p, const Constants& k,
                             const Finish& finish) {
    int32_t x = 0;
    for (; x + 32 <= width; x += 32) {
        __m512i v[2] = {_mm512_loadu_si512(in + 4 * x), _mm512_loadu_si512(in + 4 * x + 64)};
        Transform32(v, p, k, finish);
        _mm512_storeu_si512(out + 4 * x, v[0]);
        _mm512_storeu_si512(out + 4 * x + 64, v[1]);
    }
    if (x < width) {
        const Tail<2> tail(4 * (width - x));
        __m512i v[2] = {_mm512_maskz_loadu_epi8(tail.mask[0], in + 4 * x),
                        _mm512_maskz_loadu_epi8(tail.mask[1], in + 4 * x + 64)};
        Transform32(v, p, k, finish);
        _mm512_mask_storeu_epi8(out + 4 * x, tail.mask[0], v[0]);
        _mm512_mask_storeu_epi8(out + 4 * x + 64, tail.mask[1], v[1]);
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
