#include "imaging/dib_image.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>
#include <utility>

#include "imaging/convert.h"

namespace tavrin {
namespace {

// Pixel memory starts on a cache line, which the vector kernels like.
constexpr std::align_val_t kPixelAlignment{64};

// The largest pixel block we hand out: far beyond any frame, far below what
// the 32-bit sizes of the header and the BMP file can describe.
constexpr int64_t kMaxImageBytes = int64_t{1} << 30;

bool IsSupportedBitCount(int32_t bits) { return bits > 0 && bits <= 64 && bits % 8 == 0; }

}  // namespace

CDibImage::CDibImage() = default;

CDibImage::~CDibImage() { Release(); }

CDibImage::CDibImage(CDibImage&& other) noexcept { *this = std::move(other); }

CDibImage& CDibImage::operator=(CDibImage&& other) noexcept {
    if (this != &other) {
        Release();
        info_ = other.info_;
        std::memcpy(drawingColors_, other.drawingColors_, sizeof(drawingColors_));
        pixels_ = std::exchange(other.pixels_, nullptr);
        width_ = other.width_;
        height_ = other.height_;
        stride_ = other.stride_;
        bits_ = other.bits_;
        hasDeviceContext_ = other.hasDeviceContext_;
        ownsPixels_ = other.ownsPixels_;
        other.Release();
    }
    return *this;
}

int32_t CDibImage::StrideFor(int32_t width, int32_t bits) {
    const int64_t rowBytes = static_cast<int64_t>(width) * (bits / 8);
    return static_cast<int32_t>((rowBytes + 3) & ~int64_t{3});
}

int32_t CDibImage::Create(int32_t width, int32_t height, int32_t bits) {
    // Bit counts that are not whole bytes would give a stride too short for
    // the row, so they are refused like a zero bit count.
    if (width <= 0 || height <= 0 || !IsSupportedBitCount(bits)) {
        return 0;
    }
    const int64_t stride = ((static_cast<int64_t>(width) * (bits / 8)) + 3) & ~int64_t{3};
    if (stride > kMaxImageBytes / height) {
        Release();
        return 0;
    }
    Release();
    SetGeometry(width, height, bits, static_cast<int32_t>(stride));
    return Allocate();
}

int32_t CDibImage::CopyFrom(const CDibImage& other) {
    if (&other == this) {
        return IsEmpty() ? 0 : 1;
    }
    const bool sameGeometry = ownsPixels_ && pixels_ != nullptr && width_ == other.width_ && height_ == other.height_ &&
                              stride_ == other.stride_ && bits_ == other.bits_;
    if (other.IsEmpty() || (!sameGeometry && CreateLike(other) == 0)) {
        Release();
        return 0;
    }
    info_ = other.info_;
    std::memcpy(drawingColors_, other.drawingColors_, sizeof drawingColors_);
    std::memcpy(pixels_, other.pixels_, ImageBytes());
    return 1;
}

int32_t CDibImage::CreateLike(const CDibImage& other) {
    if (other.width_ <= 0 || other.height_ <= 0 || other.bits_ == 0) {
        return 0;
    }
    if (&other == this) {
        // Re-creating an image from itself: keep a copy of what we read.
        const BitmapInfoHeader header = info_.header;
        const int32_t width = width_, height = height_, stride = stride_;
        const uint16_t bits = bits_;
        Release();
        info_.header = header;
        width_ = width, height_ = height, stride_ = stride, bits_ = bits;
        return Allocate();
    }
    Release();
    info_.header = other.info_.header;
    width_ = other.width_;
    height_ = other.height_;
    stride_ = other.stride_;
    bits_ = other.bits_;
    return Allocate();
}

int32_t CDibImage::Borrow(uint8_t* pixels, int32_t width, int32_t height, int32_t bits, int32_t stride) {
    Release();
    if (pixels == nullptr || width <= 0 || height <= 0 || !IsSupportedBitCount(bits) ||
        int64_t{stride} < int64_t{width} * (bits / 8)) {
        return 0;
    }
    SetGeometry(width, height, bits, stride);
    pixels_ = pixels;
    return 1;
}

void CDibImage::SetGeometry(int32_t width, int32_t height, int32_t bits, int32_t stride) {
    BitmapInfoHeader& header = info_.header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<uint16_t>(bits);
    header.biCompression = kBiRgb;
    width_ = width;
    height_ = height;
    bits_ = static_cast<uint16_t>(bits);
    stride_ = stride;
}

int32_t CDibImage::Allocate() {
    if (bits_ == 8) {
        WriteGrayRamp(info_.colors);
    }
    const size_t bytes = ImageBytes();
    pixels_ = static_cast<uint8_t*>(::operator new(bytes, kPixelAlignment, std::nothrow));
    if (pixels_ == nullptr) {
        Release();
        return 0;
    }
    ownsPixels_ = true;
    std::memset(pixels_, 0, bytes);
    // The graphics system offers drawing surfaces up to 32 bits per pixel; its
    // colour table starts as the header's.
    hasDeviceContext_ = bits_ <= 32;
    if (hasDeviceContext_ && bits_ <= 8) {
        std::memcpy(drawingColors_, info_.colors, sizeof(drawingColors_));
    }
    return 1;
}

void CDibImage::Release() {
    if (pixels_ != nullptr && ownsPixels_) {
        ::operator delete(pixels_, kPixelAlignment);
    }
    pixels_ = nullptr;
    ownsPixels_ = false;
    info_ = BitmapInfo{};
    std::fill(std::begin(drawingColors_), std::end(drawingColors_), RgbQuad{});
    width_ = height_ = stride_ = 0;
    bits_ = 0;
    hasDeviceContext_ = false;
}

void CDibImage::WriteGrayRamp(RgbQuad* table) {
    for (int i = 0; i < kColorTableEntries; ++i) {
        const auto level = static_cast<uint8_t>(i);
        table[i] = RgbQuad{level, level, level, 0};
    }
}

int32_t CDibImage::SetPalette(int32_t selector, const RgbQuad* entries, int32_t start, int32_t count) {
    // Only surfaces of up to 8 bits per pixel have a drawing colour table.
    const bool hasDrawingTable = HasDeviceContext() && bits_ <= 8;
    if (selector == kPaletteGray) {
        WriteGrayRamp(info_.colors);
        if (hasDrawingTable) {
            WriteGrayRamp(drawingColors_);
        }
    } else if (selector == kPaletteEntries && hasDrawingTable && entries != nullptr) {
        // Entries beyond the table are ignored, as the graphics system does.
        for (int32_t i = 0; i < count && start >= 0 && start + i < kColorTableEntries; ++i) {
            drawingColors_[start + i] = entries[i];
        }
    }
    return 1;
}

std::optional<KernelArea> CDibImage::ClippedArea(const CDibImage& source, const ImageRect* sourceRect, int32_t x,
                                                 int32_t y) const {
    ConversionPlacement placement;
    if (!ClipConversion(ImageSize{width_, height_}, ImageSize{source.width_, source.height_}, sourceRect, x, y,
                        placement)) {
        return std::nullopt;
    }
    const KernelRect& r = placement.rect;
    return KernelArea{pixels_,    source.pixels_, r.left,         r.top,           r.Width(),
                      r.Height(), placement.dstX, placement.dstY, BytesPerPixel(), source.BytesPerPixel(),
                      stride_,    source.stride_};
}

std::optional<KernelArea> CDibImage::MeasuredArea(const ImageRect* rect) const {
    // The rectangle onto itself: the same clipping as a conversion, and the
    // area's source is exactly the rectangle.
    std::optional<KernelArea> area =
        ClippedArea(*this, rect, rect != nullptr ? rect->left : 0, rect != nullptr ? rect->top : 0);
    if (area.has_value())
        area->dst = nullptr;
    return area;
}

bool CDibImage::Convert(ConvertKernel kernel, const CDibImage& source, const ImageRect* sourceRect, int32_t x,
                        int32_t y) {
    const std::optional<KernelArea> area = ClippedArea(source, sourceRect, x, y);
    return kernel != nullptr && area.has_value() && kernel(*area);
}

bool CDibImage::ConvertScaled(ScaleKernel kernel, const CDibImage& source, const ImageRect* sourceRect,
                              const ImageRect* destinationRect) {
    // An image without pixels gives the kernel nothing to read or write.
    if (kernel == nullptr || IsEmpty() || source.IsEmpty()) {
        return false;
    }
    const KernelRect dstRect = destinationRect != nullptr ? *destinationRect : KernelRect{0, 0, width_, height_};
    const KernelRect srcRect = sourceRect != nullptr ? *sourceRect : KernelRect{0, 0, source.width_, source.height_};
    return kernel(ScaleArea{pixels_, source.pixels_, dstRect, srcRect, ImageSize{width_, height_},
                            ImageSize{source.width_, source.height_}, BytesPerPixel(), source.BytesPerPixel(), stride_,
                            source.stride_});
}

}  // namespace tavrin
