// The calling conventions shared by every pixel kernel. A kernel never sees a
// CDibImage: the drivers (CDibImage::Convert, Measure and ConvertScaled)
// clip, turn the rectangle into memory rows and hand over an area of raw
// pointers, strides and bytes per pixel, so kernels are plain functions over
// memory. Each family has its own signature: the area, then the family's
// own settings record (none for the plain conversions); measurements return
// what they measured.
#pragma once

#include <cstdint>

namespace tavrin {

// A rectangle in pixels: left and top inclusive, right and bottom exclusive.
struct KernelRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool operator==(const KernelRect&) const = default;
};
// The same rectangle where callers of the drivers name an image area.
using ImageRect = KernelRect;

// One kernel call's pixels: the clipped source rectangle (left, top, width,
// height in memory rows of the source), where its first pixel lands in the
// destination (dstX, dstY in memory columns and rows), and both images'
// layouts. `dst` and `src` are the start of each image's pixel memory, the
// same image for kernels that work in place; a measurement's area has no
// destination (null), it reads the source only.
struct KernelArea {
    uint8_t* dst;
    const uint8_t* src;
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
    int32_t dstX;
    int32_t dstY;
    int32_t dstBytesPerPixel;
    int32_t srcBytesPerPixel;
    int32_t dstStride;
    int32_t srcStride;
};

// A conversion without settings (bit depth, flips, shifts, channel order,
// respacing). Returns false, writing nothing, when an image's bytes per
// pixel do not fit the kernel.
using ConvertKernel = bool (*)(const KernelArea& area);

// A processing step with its settings record (imaging/kernels/params.h
// names one per family: ToneKernel, DemosaicKernel, ...). Returns false,
// writing nothing, when an image's layout does not fit the kernel.
template <typename Params>
using StepKernel = bool (*)(const KernelArea& area, const Params& params);

// A measurement of the area's source, with or without settings.
template <typename Result>
using MeasureKernel = Result (*)(const KernelArea& area);
template <typename Result, typename Params>
using MeasureKernelWith = Result (*)(const KernelArea& area, const Params& params);

// Image geometry as a ScaleKernel sees it.
struct ImageSize {
    int32_t width;
    int32_t height;
};

// What CDibImage::ConvertScaled hands a scaling kernel: both rectangles
// unclipped, both image sizes and layouts.
struct ScaleArea {
    uint8_t* dst;
    const uint8_t* src;
    KernelRect dstRect;
    KernelRect srcRect;
    ImageSize dstSize;
    ImageSize srcSize;
    int32_t dstBytesPerPixel;
    int32_t srcBytesPerPixel;
    int32_t dstStride;
    int32_t srcStride;
};

// Returns false when the images' layouts do not fit the kernel.
using ScaleKernel = bool (*)(const ScaleArea& area);

}  // namespace tavrin
