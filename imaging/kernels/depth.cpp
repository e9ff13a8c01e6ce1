#include "imaging/kernels/depth.h"

#include <emmintrin.h>

#include "imaging/kernels/depth_rows.h"
#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/row_walk.h"
#include "imaging/kernels/sample_io.h"

namespace tavrin {
namespace rows {

void Words16ToBytes_C(uint8_t* dst, const uint8_t* src, int32_t count, int shift) {
    for (int32_t i = 0; i < count; ++i) {
        dst[i] = static_cast<uint8_t>(LoadWord(src + 2 * i) >> shift);
    }
}

// Sixteen words per step: shift, keep the low byte (so the saturating pack
// leaves it alone), pack to bytes. The tail goes through the reference.
void Words16ToBytes_SSE2(uint8_t* dst, const uint8_t* src, int32_t count, int shift) {
    const __m128i lowByte = _mm_set1_epi16(0x00FF);
    const __m128i shiftCount = _mm_cvtsi32_si128(shift);
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * i));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * i + 16));
        a = _mm_and_si128(_mm_srl_epi16(a, shiftCount), lowByte);
        b = _mm_and_si128(_mm_srl_epi16(b, shiftCount), lowByte);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(a, b));
    }
    Words16ToBytes_C(dst + i, src + 2 * i, count - i, shift);
}

void Rgb64ToRgb24_C(uint8_t* dst, const uint8_t* src, int32_t width) {
    for (int32_t x = 0; x < width; ++x) {
        for (int channel = 0; channel < 3; ++channel) {
            dst[3 * x + channel] = static_cast<uint8_t>(LoadWord(src + 8 * x + 2 * channel) >> 2);
        }
    }
}

void Rgb32ToRgb24_C(uint8_t* dst, const uint8_t* src, int32_t width) {
    for (int32_t x = 0; x < width; ++x) {
        dst[3 * x + 0] = src[4 * x + 0];
        dst[3 * x + 1] = src[4 * x + 1];
        dst[3 * x + 2] = src[4 * x + 2];
    }
}

bool CopyRgbBytes(const KernelArea& a, RowOrder order) {
    if (a.srcBytesPerPixel < 3 || a.dstBytesPerPixel < 3) {
        return false;
    }
    if (a.dstBytesPerPixel == 3 && a.srcBytesPerPixel == 3) {
        const auto move = Kernels().moveBytes;
        WalkRows(a, order, [&](uint8_t* d, const uint8_t* s, int32_t width) { move(d, s, 3 * width); });
    } else if (a.dstBytesPerPixel == 3 && a.srcBytesPerPixel == 4) {
        WalkRows(a, order, Kernels().rgb32ToRgb24);
    } else {
        WalkPixels(a, order, [](uint8_t* d, const uint8_t* s) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        });
    }
    return true;
}

}  // namespace rows

namespace {

using rows::RowOrder;

// Gray words to gray bytes. The packed layout (2 bytes in, 1 out) has a
// vector row; any other spacing walks pixel by pixel.
bool GrayToBytes(const KernelArea& a, RowOrder order, int shift) {
    if (a.srcBytesPerPixel < 2 || a.dstBytesPerPixel < 1) {
        return false;
    }
    const auto row = Kernels().words16ToBytes;
    rows::WalkRowsOrPixels(
        a, order, a.srcBytesPerPixel == 2 && a.dstBytesPerPixel == 1,
        [&](uint8_t* d, const uint8_t* s, int32_t width) { row(d, s, width, shift); },
        [&](uint8_t* d, const uint8_t* s) { rows::Words16ToBytes_C(d, s, 1, shift); });
    return true;
}

// The first three words of 48- or 64-bit pixels to the three bytes of 24-bit
// pixels. 48 bits into 24 is one run of words; 64 bits drops every fourth.
bool RgbWordsToBytes(const KernelArea& a, RowOrder order) {
    if (a.srcBytesPerPixel < 6 || a.dstBytesPerPixel < 3) {
        return false;
    }
    if (a.dstBytesPerPixel == 3 && a.srcBytesPerPixel == 6) {
        const auto row = Kernels().words16ToBytes;
        rows::WalkRows(a, order, [&](uint8_t* d, const uint8_t* s, int32_t width) { row(d, s, 3 * width, 2); });
    } else if (a.dstBytesPerPixel == 3 && a.srcBytesPerPixel == 8) {
        rows::WalkRows(a, order, Kernels().rgb64ToRgb24);
    } else {
        rows::WalkPixels(a, order, [](uint8_t* d, const uint8_t* s) { rows::Words16ToBytes_C(d, s, 3, 2); });
    }
    return true;
}

}  // namespace

bool Gray16To8(const KernelArea& area) { return GrayToBytes(area, RowOrder::kSame, 2); }
bool Gray16To8Flip(const KernelArea& area) { return GrayToBytes(area, RowOrder::kReversed, 2); }
bool Gray12To8Flip(const KernelArea& area) { return GrayToBytes(area, RowOrder::kReversed, 4); }
bool Rgb48To24(const KernelArea& area) { return RgbWordsToBytes(area, RowOrder::kSame); }
bool Rgb48To24Flip(const KernelArea& area) { return RgbWordsToBytes(area, RowOrder::kReversed); }
bool Rgb32To24(const KernelArea& area) { return rows::CopyRgbBytes(area, RowOrder::kSame); }

}  // namespace tavrin
