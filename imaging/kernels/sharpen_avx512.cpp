// Sharpness for 8-bit images with AVX-512, laid out as the AVX2 version: each
// row of the area is a run of bytes whose 4x4 window sum is the sum of the
// column sums (four rows) at the byte, one and two pixels before it and one
// pixel after it, the column sums formed once per row segment into a small
// buffer. 32 bytes per step in 16-bit lanes; the end of a segment goes
// through masked loads and stores, and the fourth byte of 32-bit pixels is
// left out of every store by its mask. A table that follows is looked up on
// the sharpened bytes before the store; the two-pixel frame, which the mask
// leaves alone, then goes through the table step on its own.
#include <immintrin.h>

#include "imaging/kernels/byte_table_avx512.h"
#include "imaging/kernels/sharpen_rows.h"
#include "imaging/kernels/tone_lut.h"

namespace tavrin {
namespace {

constexpr int32_t kSegment = 1024;  // output bytes per segment
// The column sums of a segment: its bytes, three pixels of 4 bytes around
// them, and the zeroed steps that the last 64-byte step reads past them.
constexpr int32_t kColumns = kSegment + 3 * 4 + 3 * 32;

inline __mmask32 FirstBytes(int32_t n) { return _bzhi_u32(~0u, static_cast<uint32_t>(n < 0 ? 0 : n)); }

// 32 bytes from p widened to words; bytes from `n` on read as 0.
inline __m512i Widen(const uint8_t* p, int32_t n) {
    return _mm512_cvtepu8_epi16(n >= 32 ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))
                                        : _mm256_maskz_loadu_epi8(FirstBytes(n), p));
}

// (d x strength) / 10 truncated toward zero for |d x strength| <= 7650, as
// in the AVX2 version: the high half of the product with 6554, plus 1 where
// the product is negative.
inline __m512i TimesStrengthOverTen(__m512i d, __m512i strength) {
    const __m512i p = _mm512_mullo_epi16(d, strength);
    return _mm512_sub_epi16(_mm512_mulhi_epi16(p, _mm512_set1_epi16(6554)), _mm512_srai_epi16(p, 15));
}

// Column sums of bytes [c0, c1) of the four rows into `columns`, then zeros
// for at least 64 more. The row starts are copied first: the compiler would
// otherwise read them again after every store into `columns`.
void ColumnSums(const uint8_t* const (&rows)[4], int32_t c0, int32_t c1, uint16_t* columns) {
    const uint8_t* const r0 = rows[0];
    const uint8_t* const r1 = rows[1];
    const uint8_t* const r2 = rows[2];
    const uint8_t* const r3 = rows[3];
    const auto sums = [&](int32_t j, int32_t n) {
        return _mm512_add_epi16(_mm512_add_epi16(Widen(r0 + j, n), Widen(r1 + j, n)),
                                _mm512_add_epi16(Widen(r2 + j, n), Widen(r3 + j, n)));
    };
    int32_t j = c0;
    for (; j + 32 <= c1; j += 32)
        _mm512_storeu_si512(columns + (j - c0), sums(j, 32));
    for (; j < c1 + 64; j += 32)
        _mm512_storeu_si512(columns + (j - c0), sums(j, c1 - j));
}

// What happens to the sharpened bytes before they are stored: nothing
// (NoTable), or the brightness step's 256-entry table (ByteTable).
using avx512::ByteTable;
using avx512::NoTable;

struct Layout {
    int32_t bpp;
    __mmask64 written;  // bytes of a 64-byte step that the step changes
};

// Output bytes [s0, s1) of row `in` into `out`; `col` holds the column sum of byte s0.
template <typename Finish>
void SharpenSegment(const uint8_t* in, uint8_t* out, int32_t s0, int32_t s1, const uint16_t* col, Layout layout,
                    __m512i strength, const Finish& finish) {
    const int32_t bpp = layout.bpp;
    const auto at = [&](int32_t i, int32_t offset) { return _mm512_loadu_si512(col + (i - s0) + offset); };
    // 32 output bytes from byte i, as words; the row's bytes from i + n on are not read.
    const auto sharpened = [&](int32_t i, int32_t n) {
        const __m512i window =
            _mm512_add_epi16(_mm512_add_epi16(at(i, -2 * bpp), at(i, -bpp)), _mm512_add_epi16(at(i, 0), at(i, bpp)));
        const __m512i v = Widen(in + i, n);
        const __m512i d = _mm512_sub_epi16(v, _mm512_srli_epi16(window, 4));
        return _mm512_add_epi16(v, TimesStrengthOverTen(d, strength));
    };
    // 64 bytes per step: one pack (which interleaves the halves' 128-bit
    // lanes) and one fix, zero-masked with every lane on because GCC 12 takes
    // the plain form's undefined pass-through for an uninitialised read.
    const __m512i order = _mm512_set_epi64(7, 5, 3, 1, 6, 4, 2, 0);
    const auto step = [&](int32_t i, int32_t n) {
        const __m512i packed = _mm512_packus_epi16(sharpened(i, n), sharpened(i + 32, n - 32));
        return finish(_mm512_maskz_permutexvar_epi64(0xFF, order, packed));
    };
    int32_t i = s0;
    for (; i + 64 <= s1; i += 64)
        _mm512_mask_storeu_epi8(out + i, layout.written, step(i, 64));
    if (i < s1) {
        const int32_t n = s1 - i;
        _mm512_mask_storeu_epi8(out + i, _bzhi_u64(layout.written, static_cast<uint32_t>(n)), step(i, n));
    }
}

template <typename Finish>
bool TrySharpen8(const KernelArea& area, int32_t channels, int32_t strength, uint8_t* ring, const Finish& finish) {
    // The byte layouts of the vector table steps: gray, 3-byte colour, or 4-byte with the fourth kept.
    const TableRows kind = TableRowsOf(area, channels);
    if (kind == TableRows::Unsupported)
        return false;
    const int32_t bpp = area.srcBytesPerPixel;
    const bool keepFourth = kind == TableRows::KeepFourth;
    if (area.width <= 4 || area.height <= 4)
        return true;
    // Segments start at pixel boundaries (2 bpp, then steps of 1024), so the
    // fourth byte of a 32-bit pixel is every fourth byte of a step.
    const Layout layout{bpp, keepFourth ? __mmask64{0x7777777777777777ull} : ~__mmask64{0}};
    const __m512i vStrength = _mm512_set1_epi16(static_cast<int16_t>(strength));
    alignas(64) uint16_t columns[kColumns];
    ForEachSharpenSegment(area, ring, bpp, kSegment,
                          [&](const uint8_t* const(&rows)[4], uint8_t* out, int32_t s0, int32_t s1) {
                              // Bytes [s0 - 2 bpp, s1 + bpp) stay inside the row.
                              ColumnSums(rows, s0 - 2 * bpp, s1 + bpp, columns);
                              SharpenSegment(rows[2], out, s0, s1, columns + 2 * bpp, layout, vStrength, finish);
                          });
    return true;
}

// The part of the destination from (x, y), w x h pixels, in place.
KernelArea PartOf(const KernelArea& destination, int32_t x, int32_t y, int32_t w, int32_t h) {
    KernelArea part = destination;
    part.left = part.dstX = destination.dstX + x;
    part.top = part.dstY = destination.dstY + y;
    part.width = w;
    part.height = h;
    return part;
}

// The table over what sharpening leaves alone: the whole area when it is
// too small to sharpen, else its two-pixel frame.
void FrameThroughTable(const KernelArea& area, int32_t channels, const uint8_t* table256) {
    const KernelArea d = DestinationOf(area);
    if (area.width <= 4 || area.height <= 4) {
        ApplyTable8_AVX512(d, channels, table256);
        return;
    }
    const int32_t w = area.width;
    const int32_t h = area.height;
    ApplyTable8_AVX512(PartOf(d, 0, 0, w, 2), channels, table256);
    ApplyTable8_AVX512(PartOf(d, 0, h - 2, w, 2), channels, table256);
    ApplyTable8_AVX512(PartOf(d, 0, 2, 2, h - 4), channels, table256);
    ApplyTable8_AVX512(PartOf(d, w - 2, 2, 2, h - 4), channels, table256);
}

}  // namespace

void Sharpen8_AVX512(const KernelArea& area, int32_t channels, int32_t strength, const uint8_t* table256,
                     uint8_t* ring) {
    if (table256 == nullptr) {
        if (!TrySharpen8(area, channels, strength, ring, NoTable{}))
            Sharpen8_C(area, channels, strength, nullptr, ring);
        return;
    }
    if (!TrySharpen8(area, channels, strength, ring, ByteTable(table256))) {
        Sharpen8_C(area, channels, strength, table256, ring);
        return;
    }
    FrameThroughTable(area, channels, table256);
}

}  // namespace tavrin
