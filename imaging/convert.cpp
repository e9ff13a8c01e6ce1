#include "imaging/convert.h"

#include <algorithm>

namespace tavrin {
namespace {

// A rectangle in 64 bits, so that no position or size the caller passes can
// overflow the arithmetic below.
struct WideRect {
    int64_t left, top, right, bottom;
};

bool IsOutside(const WideRect& r, ImageSize size) {
    return r.right < 1 || r.bottom < 1 || r.left >= size.width || r.top >= size.height;
}

WideRect ClipTo(const WideRect& r, ImageSize size) {
    return {std::max<int64_t>(r.left, 0), std::max<int64_t>(r.top, 0), std::min<int64_t>(r.right, size.width),
            std::min<int64_t>(r.bottom, size.height)};
}

}  // namespace

bool ClipConversion(ImageSize destination, ImageSize source, const KernelRect* sourceRect, int32_t x, int32_t y,
                    ConversionPlacement& placement) {
    placement = ConversionPlacement{};
    const WideRect requested = sourceRect != nullptr
                                   ? WideRect{sourceRect->left, sourceRect->top, sourceRect->right, sourceRect->bottom}
                                   : WideRect{0, 0, source.width, source.height};

    // The destination area, clipped to the destination.
    WideRect dst{x, y, x + requested.right - requested.left, y + requested.bottom - requested.top};
    if (IsOutside(dst, destination)) {
        return false;
    }
    dst = ClipTo(dst, destination);

    // The source area that lands there, clipped to the source.
    WideRect src{requested.left + (dst.left - x), requested.top + (dst.top - y), 0, 0};
    src.right = src.left + (dst.right - dst.left);
    src.bottom = src.top + (dst.bottom - dst.top);
    if (IsOutside(src, source)) {
        return false;
    }
    const WideRect clipped = ClipTo(src, source);
    // What the source clipping cut off is cut off the destination too, so that
    // every source line still lands on its own destination line.
    dst.left += clipped.left - src.left;
    dst.top += clipped.top - src.top;
    dst.right = dst.left + (clipped.right - clipped.left);
    dst.bottom = dst.top + (clipped.bottom - clipped.top);
    if (clipped.right <= clipped.left || clipped.bottom <= clipped.top) {
        return false;
    }

    // Graphics coordinates count lines from the bottom-up end of memory.
    placement.rect =
        KernelRect{static_cast<int32_t>(clipped.left), static_cast<int32_t>(source.height - clipped.bottom),
                   static_cast<int32_t>(clipped.right), static_cast<int32_t>(source.height - clipped.top)};
    placement.dstX = static_cast<int32_t>(dst.left);
    placement.dstY = static_cast<int32_t>(destination.height - dst.bottom);
    return true;
}

}  // namespace tavrin
