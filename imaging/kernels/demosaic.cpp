#include "imaging/kernels/demosaic.h"

#include <initializer_list>

#include "imaging/kernels/demosaic_fast.h"
#include "imaging/kernels/demosaic_pixel.h"
#include "imaging/kernels/dispatch.h"

namespace tavrin {
namespace {

using demosaic::Frame;
using demosaic::Gains;

Frame FrameOf(uint8_t* dst, const uint8_t* src, const KernelRect& rect, int32_t dstX, int32_t dstY,
              uint16_t dstBytesPerPixel, int32_t dstStride, int32_t srcStride) {
    return Frame{dst,       src,       dstX,      dstY,       dstBytesPerPixel, dstStride,
                 srcStride, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

// Folds a neighbour coordinate into a frame of `size` pixels. A neighbour
// outside the frame is replaced by the one of the same colour four pixels
// away on the other side. Frames of fewer than four pixels have no such
// neighbour: there the coordinate is clamped into the frame, one step back
// when that keeps the colour.
int32_t FoldCoordinate(int32_t c, int32_t size) {
    if (c < 0) {
        c += 4;
    } else if (c >= size) {
        c -= 4;
    }
    if (c >= 0 && c < size) return c;
    int32_t clamped = c < 0 ? 0 : size - 1;
    if (((clamped ^ c) & 1) != 0) {
        const int32_t sameColour = c < 0 ? clamped + 1 : clamped - 1;
        if (sameColour >= 0 && sameColour < size) clamped = sameColour;
    }
    return clamped;
}

template <typename Sample>
void BorderPixel(const Frame& frame, int32_t mode, Gains gains, int32_t maxValue, int32_t x, int32_t y) {
    const auto P = [&](int32_t dx, int32_t dy) {
        const int32_t row = FoldCoordinate(y + dy, frame.height);
        const int32_t column = FoldCoordinate(x + dx, frame.width);
        return demosaic::LoadSample<Sample>(demosaic::SourceRow(frame, row), frame.left + column);
    };
    demosaic::WritePixel<Sample>(P, demosaic::RowPhase(mode, y), demosaic::ColumnPhase(mode, x), gains, maxValue,
                                 demosaic::DestPixel(frame, x, y));
}

template <typename Sample>
void ReferenceInner(const Frame& frame, int32_t mode, Gains gains, int32_t maxValue) {
    if (frame.width <= 4 || frame.height <= 4) return;
    for (int32_t y = 2; y <= frame.height - 3; ++y) {
        for (int32_t x = 2; x <= frame.width - 3; ++x) {
            demosaic::InnerPixel<Sample>(frame, mode, gains, maxValue, x, y);
        }
    }
}

// The two-pixel frame: rows 0, 1, H-2, H-1 over all columns, then columns 0,
// 1, W-2, W-1 over all rows. In frames smaller than four pixels these lines
// coincide or fall outside; each existing line is computed (again).
template <typename Sample>
void Border(const Frame& frame, int32_t mode, Gains gains, int32_t maxValue) {
    const int32_t w = frame.width;
    const int32_t h = frame.height;
    if (w <= 0 || h <= 0) return;
    for (const int32_t y : {0, 1, h - 2, h - 1}) {
        if (y < 0 || y >= h) continue;
        for (int32_t x = 0; x < w; ++x) BorderPixel<Sample>(frame, mode, gains, maxValue, x, y);
    }
    for (const int32_t x : {0, 1, w - 2, w - 1}) {
        if (x < 0 || x >= w) continue;
        for (int32_t y = 0; y < h; ++y) BorderPixel<Sample>(frame, mode, gains, maxValue, x, y);
    }
}

constexpr int32_t kMax8 = 255;
constexpr int32_t kMax16 = 1023;

}  // namespace

namespace reference {

TAVRIN_PIXEL_KERNEL(Demosaic8Inner) {
    const Frame frame = FrameOf(dst, src, rect, dstX, dstY, dstBytesPerPixel, dstStride, srcStride);
    ReferenceInner<uint8_t>(frame, demosaic::ModeOf(params), demosaic::GainsOf(params), kMax8);
    return 1;
}

TAVRIN_PIXEL_KERNEL(Demosaic16Inner) {
    const Frame frame = FrameOf(dst, src, rect, dstX, dstY, dstBytesPerPixel, dstStride, srcStride);
    ReferenceInner<uint16_t>(frame, demosaic::ModeOf(params), demosaic::GainsOf(params), kMax16);
    return 1;
}

}  // namespace reference

TAVRIN_PIXEL_KERNEL(Demosaic8Inner) {
    const Frame frame = FrameOf(dst, src, rect, dstX, dstY, dstBytesPerPixel, dstStride, srcStride);
    const int32_t mode = demosaic::ModeOf(params);
    const Gains gains = demosaic::GainsOf(params);
    const bool packed = dstBytesPerPixel == 3 || dstBytesPerPixel == 4;
    if (frame.width <= 4 || frame.height <= 4) return 1;
    if (packed && UseAvx2Kernels()) {
        demosaic::Inner8Avx2(frame, mode, gains);
    } else if (packed && UseFastKernels()) {
        demosaic::Inner8Sse2(frame, mode, gains);
    } else {
        ReferenceInner<uint8_t>(frame, mode, gains, kMax8);
    }
    return 1;
}

TAVRIN_PIXEL_KERNEL(Demosaic16Inner) {
    const Frame frame = FrameOf(dst, src, rect, dstX, dstY, dstBytesPerPixel, dstStride, srcStride);
    const int32_t mode = demosaic::ModeOf(params);
    const Gains gains = demosaic::GainsOf(params);
    const bool packed = dstBytesPerPixel == 6 || dstBytesPerPixel == 8;
    if (frame.width <= 4 || frame.height <= 4) return 1;
    if (packed && UseAvx2Kernels()) {
        demosaic::Inner16Avx2(frame, mode, gains);
    } else if (packed && UseFastKernels()) {
        demosaic::Inner16Sse2(frame, mode, gains);
    } else {
        ReferenceInner<uint16_t>(frame, mode, gains, kMax16);
    }
    return 1;
}

TAVRIN_PIXEL_KERNEL(Demosaic8Border) {
    const Frame frame = FrameOf(dst, src, rect, dstX, dstY, dstBytesPerPixel, dstStride, srcStride);
    Border<uint8_t>(frame, demosaic::ModeOf(params), demosaic::GainsOf(params), kMax8);
    return 1;
}

TAVRIN_PIXEL_KERNEL(Demosaic16Border) {
    const Frame frame = FrameOf(dst, src, rect, dstX, dstY, dstBytesPerPixel, dstStride, srcStride);
    Border<uint16_t>(frame, demosaic::ModeOf(params), demosaic::GainsOf(params), kMax16);
    return 1;
}

}  // namespace tavrin
