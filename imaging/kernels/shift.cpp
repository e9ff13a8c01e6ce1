#include "imaging/kernels/shift.h"

#include <emmintrin.h>

#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/row_walk.h"
#include "imaging/kernels/sample_io.h"
#include "imaging/kernels/shift_rows.h"

namespace tavrin {
namespace rows {

void ShiftWordsLeft_C(uint8_t* dst, const uint8_t* src, int32_t count, int shift) {
    for (int32_t i = 0; i < count; ++i) {
        StoreWord(dst + 2 * i, static_cast<uint32_t>(LoadWord(src + 2 * i)) << shift);
    }
}

void ShiftWordsLeft_SSE2(uint8_t* dst, const uint8_t* src, int32_t count, int shift) {
    const __m128i shiftCount = _mm_cvtsi32_si128(shift);
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m128i words = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 2 * i), _mm_sll_epi16(words, shiftCount));
    }
    ShiftWordsLeft_C(dst + 2 * i, src + 2 * i, count - i, shift);
}

void Rgb64ShiftOpaque_C(uint8_t* dst, const uint8_t* src, int32_t width, int shift) {
    for (int32_t x = 0; x < width; ++x) {
        for (int channel = 0; channel < 3; ++channel) {
            StoreWord(dst + 8 * x + 2 * channel, static_cast<uint32_t>(LoadWord(src + 8 * x + 2 * channel)) << shift);
        }
        StoreWord(dst + 8 * x + 6, 0xFFFF);
    }
}

void Rgb64ShiftOpaque_SSE2(uint8_t* dst, const uint8_t* src, int32_t width, int shift) {
    const __m128i shiftCount = _mm_cvtsi32_si128(shift);
    const __m128i opaque = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
    int32_t x = 0;
    for (; x + 2 <= width; x += 2) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 8 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 8 * x),
                         _mm_or_si128(_mm_sll_epi16(pixels, shiftCount), opaque));
    }
    Rgb64ShiftOpaque_C(dst + 8 * x, src + 8 * x, width - x, shift);
}

}  // namespace rows

namespace {

using rows::RowOrder;

// Gray (wordsPerPixel 1) and 48-bit colour (3): every word of a pixel shifts.
bool ShiftWords(const KernelArea& a, int wordsPerPixel, int shift) {
    const int pixelBytes = 2 * wordsPerPixel;
    if (a.dstBytesPerPixel < pixelBytes || a.srcBytesPerPixel < pixelBytes) {
        return false;
    }
    const auto row = Kernels().shiftWordsLeft;
    rows::WalkRowsOrPixels(
        a, RowOrder::kSame, a.dstBytesPerPixel == pixelBytes && a.srcBytesPerPixel == pixelBytes,
        [&](uint8_t* d, const uint8_t* s, int32_t width) { row(d, s, wordsPerPixel * width, shift); },
        [&](uint8_t* d, const uint8_t* s) { rows::ShiftWordsLeft_C(d, s, wordsPerPixel, shift); });
    return true;
}

bool ShiftRgb64(const KernelArea& a, int shift) {
    if (a.dstBytesPerPixel < 8 || a.srcBytesPerPixel < 8) {
        return false;
    }
    const auto row = Kernels().rgb64ShiftOpaque;
    rows::WalkRowsOrPixels(
        a, RowOrder::kSame, a.dstBytesPerPixel == 8 && a.srcBytesPerPixel == 8,
        [&](uint8_t* d, const uint8_t* s, int32_t width) { row(d, s, width, shift); },
        [&](uint8_t* d, const uint8_t* s) { rows::Rgb64ShiftOpaque_C(d, s, 1, shift); });
    return true;
}

}  // namespace

bool Gray16Shift4(const KernelArea& area) { return ShiftWords(area, 1, 4); }
bool Gray16Shift6(const KernelArea& area) { return ShiftWords(area, 1, 6); }
bool Rgb48Shift4(const KernelArea& area) { return ShiftWords(area, 3, 4); }
bool Rgb48Shift6(const KernelArea& area) { return ShiftWords(area, 3, 6); }
bool Rgb64Shift4(const KernelArea& area) { return ShiftRgb64(area, 4); }
bool Rgb64Shift6(const KernelArea& area) { return ShiftRgb64(area, 6); }

}  // namespace tavrin
