// CDibImage: the one image type of the SDK. A device-independent bitmap with
// its 40-byte header, a 256-entry colour table and zeroed pixel memory of its
// own. Every camera buffer, the preview's display image and the temporary
// images of the file writers are CDibImage objects.
//
// Row order: memory row 0 is the top line of the picture, although the header
// declares a positive height (which bitmap readers take as bottom-up). Writers
// and the preview reverse the rows themselves.
//
// Stride: (width * (bits / 8) + 3) rounded down to a multiple of 4.
//
// Images of up to 32 bits per pixel behave as if they had a memory device
// context: they can be blitted with DrawTo and StretchDraw, which convert
// between pixel formats as the graphics system does. Images of 48 and 64 bits
// have none; they are only processed by kernels and written by the writers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <type_traits>

#include "imaging/pixel_kernel.h"

namespace tavrin {

// The Windows BITMAPINFOHEADER, byte for byte (little-endian on every target).
struct BitmapInfoHeader {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;  // BI_RGB
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40, "BITMAPINFOHEADER is 40 bytes");

// The Windows RGBQUAD: blue, green, red, reserved.
struct RgbQuad {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t reserved = 0;
    bool operator==(const RgbQuad&) const = default;
};
static_assert(sizeof(RgbQuad) == 4, "RGBQUAD is 4 bytes");

inline constexpr int kColorTableEntries = 256;

// BITMAPINFO with a full 256-entry colour table, as the image holds it.
struct BitmapInfo {
    BitmapInfoHeader header;
    RgbQuad colors[kColorTableEntries];
};
static_assert(sizeof(BitmapInfo) == 40 + 4 * kColorTableEntries, "header plus colour table");

inline constexpr uint32_t kBiRgb = 0;
inline constexpr int32_t kPaletteGray = 0;     // SetPalette selector: the gray ramp
inline constexpr int32_t kPaletteEntries = 2;  // SetPalette selector: entries given by the caller

class CDibImage {
public:
    CDibImage();
    ~CDibImage();
    CDibImage(const CDibImage&) = delete;
    CDibImage& operator=(const CDibImage&) = delete;
    CDibImage(CDibImage&& other) noexcept;
    CDibImage& operator=(CDibImage&& other) noexcept;

    // Makes a zeroed image. Returns 0 and leaves the image as it was for a
    // non-positive size or zero bits; returns 0 with the image empty when the
    // memory cannot be had. 8-bit images get the gray colour table.
    int32_t Create(int32_t width, int32_t height, int32_t bits);
    // A new zeroed image with the header and geometry of `other`.
    int32_t CreateLike(const CDibImage& other);
    // The image becomes a copy of `other` with pixel memory of its own:
    // header, colour tables and pixels. Reuses its memory when the geometry
    // is the same. Returns 0 (and an empty image) when `other` is empty or
    // the memory cannot be had.
    int32_t CopyFrom(const CDibImage& other);
    // Makes the image a view of pixel memory it does not own (a frame where
    // the device left it, say), with rows of `stride` bytes, which need not
    // be the image's own rounding. Kernels read and write it like the image's
    // own memory; it has no device context and is never freed here. Returns
    // 0 and leaves the image empty for null pixels or a bad geometry.
    int32_t Borrow(uint8_t* pixels, int32_t width, int32_t height, int32_t bits, int32_t stride);
    // Frees the pixels (a view only forgets them) and returns to the empty
    // state. Safe on an empty image.
    void Release();

    // Selector kPaletteGray writes the gray ramp into the header's table and
    // the drawing table; kPaletteEntries sets `count` entries of the drawing
    // table from `start`; other selectors do nothing. Returns 1.
    int32_t SetPalette(int32_t selector, const RgbQuad* entries = nullptr, int32_t start = 0, int32_t count = 0);
    int32_t SetGrayPalette() { return SetPalette(kPaletteGray); }

    // Copies `rect` of `source` (or all of it) to (x, y) of this image, in the
    // graphics system's coordinates (y grows towards memory row 0, since the
    // header declares bottom-up rows), converting the pixel format; 8-bit
    // sources expand through their colour table. Nothing happens when either
    // image has no device context. Returns 1 if something could be drawn.
    int32_t DrawTo(const CDibImage& source, const ImageRect* rect, int32_t x, int32_t y);
    // StretchBlt with SRCCOPY and nearest-neighbour sampling: the source area
    // (sourceX, sourceY, sourceWidth, sourceHeight) fills the destination area;
    // a negative extent mirrors. With sourceY = height and sourceHeight =
    // -height the image comes out upside down.
    int32_t StretchDraw(const CDibImage& source, int32_t x, int32_t y, int32_t width, int32_t height, int32_t sourceX,
                        int32_t sourceY, int32_t sourceWidth, int32_t sourceHeight);

    // The rectangle conversion driver; this image is the destination. Clips,
    // turns the rectangle into memory rows and calls the kernel with that
    // area (and a step's settings record). Returns false for an empty
    // rectangle, no kernel, or a kernel that does not take these layouts.
    bool Convert(ConvertKernel kernel, const CDibImage& source, const ImageRect* sourceRect = nullptr, int32_t x = 0,
                 int32_t y = 0);
    template <typename Params>
    bool Convert(StepKernel<Params> kernel, const CDibImage& source, const std::type_identity_t<Params>& params,
                 const ImageRect* sourceRect = nullptr, int32_t x = 0, int32_t y = 0) {
        const std::optional<KernelArea> area = ClippedArea(source, sourceRect, x, y);
        return kernel != nullptr && area.has_value() && kernel(*area, params);
    }
    // A measurement of `rect` of this image (or all of it), clipped like a
    // conversion of the rectangle onto itself. Empty when nothing is left
    // of the rectangle or there is no kernel.
    template <typename Result>
    std::optional<Result> Measure(MeasureKernel<Result> kernel, const ImageRect* rect = nullptr) const {
        const std::optional<KernelArea> area = MeasuredArea(rect);
        return kernel != nullptr && area.has_value() ? std::optional<Result>(kernel(*area)) : std::nullopt;
    }
    template <typename Result, typename Params>
    std::optional<Result> Measure(MeasureKernelWith<Result, Params> kernel, const std::type_identity_t<Params>& params,
                                  const ImageRect* rect = nullptr) const {
        const std::optional<KernelArea> area = MeasuredArea(rect);
        return kernel != nullptr && area.has_value() ? std::optional<Result>(kernel(*area, params)) : std::nullopt;
    }
    // The two-rectangle driver: no clipping; absent rectangles mean whole
    // images. Returns false for an empty image, no kernel, or a kernel that
    // does not take these layouts.
    bool ConvertScaled(ScaleKernel kernel, const CDibImage& source, const ImageRect* sourceRect = nullptr,
                       const ImageRect* destinationRect = nullptr);

    // Writes a BMP file (rows as in memory, header as held; 8-bit images and
    // smaller with the 1024-byte colour table). Returns 1 when every byte was
    // written, 0 when the file cannot be created or a write fails.
    int32_t WriteBmp(const char* fileName) const;

    bool IsEmpty() const { return pixels_ == nullptr; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t Stride() const { return stride_; }
    uint16_t BitCount() const { return bits_; }
    uint16_t BytesPerPixel() const { return static_cast<uint16_t>(bits_ / 8); }
    // height * stride: the bytes of pixel memory.
    size_t ImageBytes() const { return static_cast<size_t>(height_) * static_cast<size_t>(stride_); }
    uint8_t* Bits() { return pixels_; }
    const uint8_t* Bits() const { return pixels_; }
    // Memory row y (0 = top line of the picture).
    uint8_t* Row(int32_t y) { return pixels_ + static_cast<ptrdiff_t>(y) * stride_; }
    const uint8_t* Row(int32_t y) const { return pixels_ + static_cast<ptrdiff_t>(y) * stride_; }
    // Images of up to 32 bits per pixel can be drawn; 48 and 64 bits cannot.
    bool HasDeviceContext() const { return pixels_ != nullptr && hasDeviceContext_; }

    // The header and colour table exactly as held (BITMAPINFO).
    const BitmapInfo& Info() const { return info_; }
    const BitmapInfoHeader& Header() const { return info_.header; }
    // The colour table the graphics system uses for drawing and that WriteBmp
    // stores: the header's table at creation, then changed by SetPalette.
    const RgbQuad* Palette() const { return drawingColors_; }

    // Row stride for a width and bit count, as the image computes it.
    static int32_t StrideFor(int32_t width, int32_t bits);

private:
    // The clipped area of a conversion from `source` into this image, as the
    // kernels get it; empty when nothing is left to convert.
    std::optional<KernelArea> ClippedArea(const CDibImage& source, const ImageRect* sourceRect, int32_t x,
                                          int32_t y) const;
    // The same for a measurement of `rect` of this image: no destination.
    std::optional<KernelArea> MeasuredArea(const ImageRect* rect) const;
    // The header and the fields of a bottom-up BI_RGB image of this geometry.
    void SetGeometry(int32_t width, int32_t height, int32_t bits, int32_t stride);
    int32_t Allocate();
    void WriteGrayRamp(RgbQuad* table);

    BitmapInfo info_{};
    RgbQuad drawingColors_[kColorTableEntries]{};
    uint8_t* pixels_ = nullptr;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t stride_ = 0;
    uint16_t bits_ = 0;
    bool hasDeviceContext_ = false;
    bool ownsPixels_ = false;
};

}  // namespace tavrin
