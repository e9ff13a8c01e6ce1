#include "imaging/kernels/channel.h"

#include "imaging/kernels/row_walk.h"
#include "imaging/kernels/sample_io.h"

namespace tavrin {
namespace {

using rows::RowOrder;

// Walks every pixel of the rectangle, giving `convert` the destination and
// source pixel, once both images are known to hold `pixelBytes` per pixel.
template <typename PixelFunction>
bool ForEachPixel(const KernelArea& a, int pixelBytes, PixelFunction convert) {
    if (a.dstBytesPerPixel < pixelBytes || a.srcBytesPerPixel < pixelBytes) {
        return false;
    }
    rows::WalkPixels(a, RowOrder::kSame, convert);
    return true;
}

// The three colour words reversed and shifted; with `opaque` a fourth word 0xFFFF.
bool SwapShiftWords(const KernelArea& a, int shift, bool opaque) {
    return ForEachPixel(a, opaque ? 8 : 6, [&](uint8_t* d, const uint8_t* s) {
        const uint32_t c0 = rows::LoadWord(s), c1 = rows::LoadWord(s + 2), c2 = rows::LoadWord(s + 4);
        rows::StoreWord(d, c2 << shift);
        rows::StoreWord(d + 2, c1 << shift);
        rows::StoreWord(d + 4, c0 << shift);
        if (opaque) {
            rows::StoreWord(d + 6, 0xFFFF);
        }
    });
}

}  // namespace

bool Rgb24Swap(const KernelArea& area) {
    return ForEachPixel(area, 3, [](uint8_t* d, const uint8_t* s) {
        const uint8_t c0 = s[0], c1 = s[1], c2 = s[2];
        d[0] = c2;
        d[1] = c1;
        d[2] = c0;
    });
}

bool Rgb32InvertAlpha(const KernelArea& area) {
    return ForEachPixel(area, 4, [](uint8_t* d, const uint8_t* s) {
        const uint8_t alpha = static_cast<uint8_t>(~s[3]);
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
        d[3] = alpha;
    });
}

bool Rgb48SwapShift4(const KernelArea& area) { return SwapShiftWords(area, 4, false); }
bool Rgb48SwapShift6(const KernelArea& area) { return SwapShiftWords(area, 6, false); }
bool Rgb64SwapShift4(const KernelArea& area) { return SwapShiftWords(area, 4, true); }
bool Rgb64SwapShift6(const KernelArea& area) { return SwapShiftWords(area, 6, true); }

}  // namespace tavrin
