// 256-entry byte tables with AVX-512 VBMI (byte_table_avx512.h). The end of
// a row goes through masked loads and stores, which touch no byte outside
// the row.
#include <immintrin.h>

#include "imaging/kernels/byte_table_avx512.h"
#include "imaging/kernels/tone_lut.h"

namespace tavrin {
namespace {

using avx512::ByteTable;

// Every byte of the row through the table, except (with `keepFourth`) the
// fourth of each 4-byte pixel: `mapped` marks the bytes that change.
void MapRow(const ByteTable& t, const uint8_t* in, uint8_t* out, int32_t bytes, __mmask64 mapped) {
    int32_t i = 0;
    for (; i + 64 <= bytes; i += 64) {
        const __m512i v = _mm512_loadu_si512(in + i);
        _mm512_storeu_si512(out + i, _mm512_mask_blend_epi8(mapped, v, t(v)));
    }
    if (i < bytes) {
        const __mmask64 rest = _bzhi_u64(~__mmask64{0}, static_cast<uint32_t>(bytes - i));
        const __m512i v = _mm512_maskz_loadu_epi8(rest, in + i);
        _mm512_mask_storeu_epi8(out + i, rest, _mm512_mask_blend_epi8(mapped, v, t(v)));
    }
}

// Gray rows and colour rows of 3 or 4 bytes per pixel; false for other layouts.
bool TryApplyTable8(const KernelArea& area, int32_t channels, const uint8_t* table256) {
    const TableRows rows = TableRowsOf(area, channels);
    if (rows == TableRows::Unsupported)
        return false;
    const int32_t bpp = area.srcBytesPerPixel;
    const bool keepFourth = rows == TableRows::KeepFourth;
    const ByteTable t(table256);
    // Every fourth byte is a pixel's fourth; a step of 64 bytes starts at a pixel.
    const __mmask64 mapped = keepFourth ? __mmask64{0x7777777777777777ull} : ~__mmask64{0};
    for (int32_t y = 0; y < area.height; ++y)
        MapRow(t, SourceRowOf(area, y), DestRowOf(area, y), area.width * bpp, mapped);
    return true;
}

}  // namespace

void ApplyTable8_AVX512(const KernelArea& area, int32_t channels, const uint8_t* table256) {
    if (!TryApplyTable8(area, channels, table256))
        ApplyTable8_C(area, channels, table256);
}

}  // namespace tavrin
