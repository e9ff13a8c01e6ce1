// Hue and saturation for 16-bit pixels (48 or 64 bits) with AVX-512: 64
// pixels at a time, as two groups of 32 split into channel planes of words by
// word permutes and reduced to their 8-bit form; the groups' planes pack into
// byte planes for the shared transform (huesat_lanes_avx512.h), which unpack
// back into the groups' words (the pack and the unpacks interleave the same
// way), are widened and merged into the pixels; the end of a row by masked
// loads and stores.
#include "imaging/kernels/huesat_lanes_avx512.h"

namespace tavrin {
namespace {

using huesat::Constants;
using huesat::Halves;
using huesat::MakeConstants;
using huesat::Narrow;
using huesat::Planes;
using huesat::Tail;
using huesat::Transform;
using huesat::Widen;

// For pixels of `words` (3 or 4) words in `words` registers: per channel the
// word of lane j's pixel, 3j + c or 4j + c, as an index for the permutes
// (which read its low five or six bits), and per register the index of the
// plane lane behind each word, plus 32 for green.
struct WordPermutes {
    __m512i split[3];
    __m512i merge[4];
    __mmask32 redWords[4];
    __mmask32 fromLast[3];  // 48-bit: lanes whose word lies in the third register
};

WordPermutes MakeWordPermutes(int32_t words) {
    WordPermutes p{};
    for (int32_t channel = 0; channel < 3; ++channel) {
        alignas(64) uint16_t index[32];
        uint32_t last = 0;
        for (int32_t j = 0; j < 32; ++j) {
            index[j] = static_cast<uint16_t>(words * j + channel);
            if (index[j] >= 64)
                last |= 1u << j;
        }
        p.split[channel] = _mm512_load_si512(index);
        p.fromLast[channel] = last;
    }
    for (int32_t r = 0; r < words; ++r) {
        alignas(64) uint16_t index[32];
        uint32_t red = 0;
        for (int32_t w = 0; w < 32; ++w) {
            const int32_t word = 32 * r + w;
            const int32_t channel = word % words;
            index[w] = static_cast<uint16_t>(word / words + (channel == 1 ? 32 : 0));
            if (channel == 2)
                red |= 1u << w;
        }
        p.merge[r] = _mm512_load_si512(index);
        p.redWords[r] = red;
    }
    return p;
}

struct SampleShift {
    __m128i count;
};

inline __m512i Reduce(__m512i samples, SampleShift s) {
    return _mm512_min_epu16(_mm512_srl_epi16(samples, s.count), _mm512_set1_epi16(255));
}

// The 32 pixels of `words` registers as three planes of 8-bit words.
template <int32_t words>
inline __m512i SplitGroup(const __m512i* v, const WordPermutes& p, int32_t c, SampleShift s) {
    __m512i plane;
    if constexpr (words == 3) {
        const __m512i first = _mm512_permutex2var_epi16(v[0], p.split[c], v[1]);
        plane = _mm512_mask_permutexvar_epi16(first, p.fromLast[c], p.split[c], v[2]);
    } else {
        const __m512i first = _mm512_permutex2var_epi16(v[0], p.split[c], v[1]);
        const __m512i second = _mm512_permutex2var_epi16(v[2], p.split[c], v[3]);
        plane = _mm512_mask_blend_epi16(0xFFFF0000u, first, second);
    }
    return Reduce(plane, s);
}

// Three planes of words back into the 32 pixels of `words` registers.
template <int32_t words>
inline void MergeGroup(__m512i* v, const WordPermutes& p, __m512i blue, __m512i green, __m512i red, SampleShift s) {
    blue = _mm512_sll_epi16(blue, s.count);
    green = _mm512_sll_epi16(green, s.count);
    red = _mm512_sll_epi16(red, s.count);
    for (int32_t r = 0; r < words; ++r) {
        const __m512i blueGreen = _mm512_permutex2var_epi16(blue, p.merge[r], green);
        const __m512i colour = _mm512_mask_permutexvar_epi16(blueGreen, p.redWords[r], p.merge[r], red);
        // The fourth word of 64-bit pixels keeps its value.
        v[r] = words == 3 ? colour : _mm512_mask_blend_epi16(0x77777777u, v[r], colour);
    }
}

// The 64 pixels of 2 x `words` registers transformed in place: pixels 0-31
// in v[0..words), 32-63 in v[words..2 words).
template <int32_t words>
inline void Transform64(__m512i (&v)[2 * words], const WordPermutes& p, const Constants& k, SampleShift s) {
    const auto plane = [&](int32_t c) {
        return Narrow(Halves{SplitGroup<words>(v, p, c, s), SplitGroup<words>(v + words, p, c, s)});
    };
    const Planes out = Transform(Planes{plane(0), plane(1), plane(2)}, k);
    const Halves blue = Widen(out.blue);
    const Halves green = Widen(out.green);
    const Halves red = Widen(out.red);
    MergeGroup<words>(v, p, blue.low, green.low, red.low, s);
    MergeGroup<words>(v + words, p, blue.high, green.high, red.high, s);
}

template <int32_t words>
void Row(const uint8_t* in, uint8_t* out, int32_t width, const WordPermutes& p, const Constants& k, SampleShift s) {
    constexpr int32_t bpp = 2 * words;
    constexpr int32_t kRegisters = 2 * words;
    int32_t x = 0;
    for (; x + 64 <= width; x += 64) {
        __m512i v[kRegisters];
        for (int32_t r = 0; r < kRegisters; ++r)
            v[r] = _mm512_loadu_si512(in + bpp * x + 64 * r);
        Transform64<words>(v, p, k, s);
        for (int32_t r = 0; r < kRegisters; ++r)
            _mm512_storeu_si512(out + bpp * x + 64 * r, v[r]);
    }
    if (x < width) {
        const Tail<kRegisters> tail(bpp * (width - x));
        __m512i v[kRegisters];
        for (int32_t r = 0; r < kRegisters; ++r)
            v[r] = _mm512_maskz_loadu_epi8(tail.mask[r], in + bpp * x + 64 * r);
        Transform64<words>(v, p, k, s);
        for (int32_t r = 0; r < kRegisters; ++r)
            _mm512_mask_storeu_epi8(out + bpp * x + 64 * r, tail.mask[r], v[r]);
    }
}

bool TryHueSat16(const KernelArea& area, const HueSatTables& tables, huesat::HueShift shift, int32_t sampleShift) {
    const int32_t bpp = area.srcBytesPerPixel;
    if (bpp != area.dstBytesPerPixel || (bpp != 6 && bpp != 8) || sampleShift < 0 || sampleShift > 8)
        return false;
    const Constants k = MakeConstants(tables, shift);
    const SampleShift s{_mm_cvtsi32_si128(sampleShift)};
    const WordPermutes p = MakeWordPermutes(bpp / 2);
    for (int32_t y = 0; y < area.height; ++y) {
        if (bpp == 6) {
            Row<3>(SourceRowOf(area, y), DestRowOf(area, y), area.width, p, k, s);
        } else {
            Row<4>(SourceRowOf(area, y), DestRowOf(area, y), area.width, p, k, s);
        }
    }
    return true;
}

}  // namespace

void HueSatArea16_AVX512(const KernelArea& area, const HueSatTables& tables, huesat::HueShift shift,
                         int32_t sampleShift) {
    if (!TryHueSat16(area, tables, shift, sampleShift))
        HueSatArea16_C(area, tables, shift, sampleShift);
}

}  // namespace tavrin
