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

int32_t CopyRgbBytes(uint8_t* dst, const uint8_t* src, const KernelRect& rect, int32_t dstX, int32_t dstY,
                     uint16_t dstBpp, uint16_t srcBpp, int32_t dstStride, int32_t srcStride, RowOrder order) {
    if (srcBpp < 3 || dstBpp < 3) {
        return 0;
    }
    if (dstBpp == 3 && srcBpp == 3) {
        const auto move = Kernels().moveBytes;
        WalkRows(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride, srcStride, order,
                 [&](uint8_t* d, const uint8_t* s, int32_t width) { move(d, s, 3 * width); });
        return 1;
    }
    if (dstBpp == 3 && srcBpp == 4) {
        WalkRows(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride, srcStride, order, Kernels().rgb32ToRgb24);
        return 1;
    }
    WalkRows(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride, srcStride, order,
             [&](uint8_t* d, const uint8_t* s, int32_t width) {
                 for (int32_t x = 0; x < width; ++x) {
                     d[x * dstBpp + 0] = s[x * srcBpp + 0];
                     d[x * dstBpp + 1] = s[x * srcBpp + 1];
                     d[x * dstBpp + 2] = s[x * srcBpp + 2];
                 }
             });
    return 1;
}

}  // namespace rows

namespace {

using rows::RowOrder;

// Gray words to gray bytes. The packed layout (2 bytes in, 1 out) has a
// vector row; any other spacing walks pixel by pixel.
int32_t GrayToBytes(uint8_t* dst, const uint8_t* src, const KernelRect& rect, int32_t dstX, int32_t dstY,
                    uint16_t dstBpp, uint16_t srcBpp, int32_t dstStride, int32_t srcStride, RowOrder order,
                    int shift) {
    if (srcBpp < 2 || dstBpp < 1) {
        return 0;
    }
    if (srcBpp == 2 && dstBpp == 1) {
        const auto row = Kernels().words16ToBytes;
        rows::WalkRows(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride, srcStride, order,
                       [&](uint8_t* d, const uint8_t* s, int32_t width) { row(d, s, width, shift); });
        return 1;
    }
    rows::WalkRows(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride, srcStride, order,
                   [&](uint8_t* d, const uint8_t* s, int32_t width) {
                       for (int32_t x = 0; x < width; ++x) {
                           d[x * dstBpp] = static_cast<uint8_t>(rows::LoadWord(s + x * srcBpp) >> shift);
                       }
                   });
    return 1;
}

// The first three words of 48- or 64-bit pixels to the three bytes of 24-bit
// pixels. 48 bits into 24 is one run of words; 64 bits drops every fourth.
int32_t RgbWordsToBytes(uint8_t* dst, const uint8_t* src, const KernelRect& rect, int32_t dstX, int32_t dstY,
                        uint16_t dstBpp, uint16_t srcBpp, int32_t dstStride, int32_t srcStride, RowOrder order) {
    if (srcBpp < 6 || dstBpp < 3) {
        return 0;
    }
    if (dstBpp == 3 && srcBpp == 6) {
        const auto row = Kernels().words16ToBytes;
        rows::WalkRows(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride, srcStride, order,
                       [&](uint8_t* d, const uint8_t* s, int32_t width) { row(d, s, 3 * width, 2); });
        return 1;
    }
    if (dstBpp == 3 && srcBpp == 8) {
        rows::WalkRows(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride, srcStride, order,
                       Kernels().rgb64ToRgb24);
        return 1;
    }
    rows::WalkRows(dst, src, rect, dstX, dstY, dstBpp, srcBpp, dstStride, srcStride, order,
                   [&](uint8_t* d, const uint8_t* s, int32_t width) {
                       for (int32_t x = 0; x < width; ++x) {
                           for (int channel = 0; channel < 3; ++channel) {
                               d[x * dstBpp + channel] =
                                   static_cast<uint8_t>(rows::LoadWord(s + x * srcBpp + 2 * channel) >> 2);
                           }
                       }
                   });
    return 1;
}

}  // namespace


TAVRIN_PIXEL_KERNEL(Gray16To8) {
    return GrayToBytes(dst, src, rect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride,
                       RowOrder::kSame, 2);
}

TAVRIN_PIXEL_KERNEL(Gray16To8Flip) {
    return GrayToBytes(dst, src, rect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride,
                       RowOrder::kReversed, 2);
}

TAVRIN_PIXEL_KERNEL(Gray12To8Flip) {
    return GrayToBytes(dst, src, rect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride,
                       RowOrder::kReversed, 4);
}

TAVRIN_PIXEL_KERNEL(Rgb48To24) {
    return RgbWordsToBytes(dst, src, rect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride,
                           RowOrder::kSame);
}

TAVRIN_PIXEL_KERNEL(Rgb48To24Flip) {
    return RgbWordsToBytes(dst, src, rect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride,
                           RowOrder::kReversed);
}

TAVRIN_PIXEL_KERNEL(Rgb32To24) {
    return rows::CopyRgbBytes(dst, src, rect, dstX, dstY, dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride,
                        RowOrder::kSame);
}

}  // namespace tavrin
