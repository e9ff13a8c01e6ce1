// Hue and saturation for 16-bit pixels (48 or 64 bits) with AVX-512: 32
// pixels at a time, split into channel planes of words by word permutes,
// reduced to their 8-bit form, through the shared transform
// (huesat_lanes_avx512.h), widened back and merged into the pixels; the end
// of a row by masked loads and stores.
#include "imaging/kernels/huesat_lanes_avx512.h"

namespace tavrin {
namespace {

using huesat::Constants;
using huesat::MakeConstants;
using huesat::Planes;
using huesat::Tail;
using huesat::Transform;

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

// The 32 pixels of `words` registers transformed in place.
template <int32_t words>
inline void Transform32(__m512i (&v)[words], const WordPermutes& p, const Constants& k, SampleShift s) {
    const auto split = [&](int32_t c) {
        if constexpr (words == 3) {
            const __m512i first = _mm512_permutex2var_epi16(v[0], p.split[c], v[1]);
            return Reduce(_mm512_mask_permutexvar_epi16(first, p.fromLast[c], p.split[c], v[2]), s);
        } else {
            const __m512i first = _mm512_permutex2var_epi16(v[0], p.split[c], v[1]);
            const __m512i second = _mm512_permutex2var_epi16(v[2], p.split[c], v[3]);
            return Reduce(_mm512_mask_blend_epi16(0xFFFF0000u, first, second), s);
        }
    };
    const Planes out = Transform(Planes{split(0), split(1), split(2)}, k);
    const __m512i blue = _mm512_sll_epi16(out.blue, s.count);
    const __m512i green = _mm512_sll_epi16(out.green, s.count);
    const __m512i red = _mm512_sll_epi16(out.red, s.count);
    for (int32_t r = 0; r < words; ++r) {
        const __m512i blueGreen = _mm512_permutex2var_epi16(blue, p.merge[r], green);
        const __m512i colour = _mm512_mask_permutexvar_epi16(blueGreen, p.redWords[r], p.merge[r], red);
        // The fourth word of 64-bit pixels keeps its value.
        v[r] = words == 3 ? colour : _mm512_mask_blend_epi16(0x77777777u, v[r], colour);
    }
}

template <int32_t words>
void Row(const uint8_t* in, uint8_t* out, int32_t width, const WordPermutes& p, const Constants& k, SampleShift s) {
    constexpr int32_t bpp = 2 * words;
    int32_t x = 0;
    for (; x + 32 <= width; x += 32) {
        __m512i v[words];
        for (int32_t r = 0; r < words; ++r)
            v[r] = _mm512_loadu_si512(in + bpp * x + 64 * r);
        Transform32<words>(v, p, k, s);
        for (int32_t r = 0; r < words; ++r)
            _mm512_storeu_si512(out + bpp * x + 64 * r, v[r]);
    }
    if (x < width) {
        const Tail<words> tail(bpp * (width - x));
        __m512i v[words];
        for (int32_t r = 0; r < words; ++r)
            v[r] = _mm512_maskz_loadu_epi8(tail.mask[r], in + bpp * x + 64 * r);
        Transform32<words>(v, p, k, s);
        for (int32_t r = 0; r < words; ++r)
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
