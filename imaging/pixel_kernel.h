// The calling conventions shared by every pixel kernel. A kernel never sees a
// CDibImage: the drivers (CDibImage::Convert and CDibImage::ConvertScaled)
// clip, turn the rectangle into memory rows and hand over raw pointers,
// strides and bytes per pixel, so kernels are plain functions over memory.
#pragma once

#include <cstdint>

namespace tavrin {

// A rectangle in pixels: left and top inclusive, right and bottom exclusive.
// A kernel gets its rows as memory rows counted from the start of the image's
// pixel memory.
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

// A pixel kernel, called by CDibImage::Convert.
//   dst, src              start of each image's pixel memory (the same image for
//                         kernels that work in place);
//   rect                  the clipped source rectangle in memory rows;
//   dstX, dstY            where the rectangle's first pixel lands, in memory
//                         columns and rows of the destination;
//   dstBytesPerPixel, srcBytesPerPixel, dstStride, srcStride;
//   params                the step's parameter record, or null;
//   extra                 carried for the driver's sake; no kernel reads it.
// Returns nonzero on success (the measurement kernels return their result).
using PixelKernel = int32_t (*)(uint8_t* dst, const uint8_t* src, const KernelRect& rect, int32_t dstX, int32_t dstY,
                                uint16_t dstBytesPerPixel, uint16_t srcBytesPerPixel, int32_t dstStride,
                                int32_t srcStride, void* params, void* extra);

// Image geometry as a ScaleKernel sees it.
struct ImageSize {
    int32_t width;
    int32_t height;
};

// A scaling kernel, called by CDibImage::ConvertScaled with both rectangles
// unclipped, both image sizes, bytes per pixel and strides.
using ScaleKernel = int32_t (*)(uint8_t* dst, const uint8_t* src, const KernelRect& dstRect, const KernelRect& srcRect,
                                ImageSize dstSize, ImageSize srcSize, uint16_t dstBytesPerPixel,
                                uint16_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride, void* extra1,
                                void* extra2);

// Declares or defines a kernel with the contract above, e.g.
// TAVRIN_PIXEL_KERNEL(FlipCopy); every parameter is marked maybe-unused
// because each kernel reads only some.
#define TAVRIN_PIXEL_KERNEL(name)                                                                  \
    int32_t name([[maybe_unused]] uint8_t* dst, [[maybe_unused]] const uint8_t* src,               \
                 [[maybe_unused]] const ::tavrin::KernelRect& rect, [[maybe_unused]] int32_t dstX, \
                 [[maybe_unused]] int32_t dstY, [[maybe_unused]] uint16_t dstBytesPerPixel,        \
                 [[maybe_unused]] uint16_t srcBytesPerPixel, [[maybe_unused]] int32_t dstStride,   \
                 [[maybe_unused]] int32_t srcStride, [[maybe_unused]] void* params, [[maybe_unused]] void* extra)

#define TAVRIN_SCALE_KERNEL(name)                                                                                    \
    int32_t name([[maybe_unused]] uint8_t* dst, [[maybe_unused]] const uint8_t* src,                                 \
                 [[maybe_unused]] const ::tavrin::KernelRect& dstRect,                                               \
                 [[maybe_unused]] const ::tavrin::KernelRect& srcRect, [[maybe_unused]] ::tavrin::ImageSize dstSize, \
                 [[maybe_unused]] ::tavrin::ImageSize srcSize, [[maybe_unused]] uint16_t dstBytesPerPixel,           \
                 [[maybe_unused]] uint16_t srcBytesPerPixel, [[maybe_unused]] int32_t dstStride,                     \
                 [[maybe_unused]] int32_t srcStride, [[maybe_unused]] void* extra1, [[maybe_unused]] void* extra2)

}  // namespace tavrin
