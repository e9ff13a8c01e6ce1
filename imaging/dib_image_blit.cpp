// CDibImage::DrawTo and CDibImage::StretchDraw: the graphics system's copies
// between drawable images (up to 32 bits per pixel), done in our own memory.
//
// Coordinates are the graphics system's: the header declares bottom-up rows,
// so line y of an image of height H is memory row H - 1 - y. Pixel formats are
// converted as the graphics system converts them: 8-bit images through their
// colour table, 16-bit images as 5-5-5 RGB, 24 and 32 bits as blue, green,
// red (a fourth byte written as 0). Same-format copies move the bytes as they
// are.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "imaging/dib_image.h"

namespace tavrin {
namespace {

struct Bgr {
    uint8_t blue, green, red;
};

uint8_t Expand5(uint32_t value) { return static_cast<uint8_t>((value << 3) | (value >> 2)); }

// Copies one pixel from a source format to a destination format.
class PixelConverter {
public:
    PixelConverter(const CDibImage& destination, const CDibImage& source)
        : dstBits_(destination.BitCount()),
          srcBits_(source.BitCount()),
          dstPalette_(destination.Palette()),
          srcPalette_(source.Palette()) {
        bytesToCopy_ = 0;
        if (dstBits_ == srcBits_ &&
            (dstBits_ != 8 || std::memcmp(dstPalette_, srcPalette_, sizeof(RgbQuad) * kColorTableEntries) == 0)) {
            bytesToCopy_ = dstBits_ / 8;
        }
    }

    // Bytes a same-format copy moves per pixel, or 0 when pixels are converted.
    int BytesToCopy() const { return bytesToCopy_; }

    void Copy(uint8_t* dst, const uint8_t* src) {
        if (bytesToCopy_ != 0) {
            std::memcpy(dst, src, bytesToCopy_);
        } else {
            Write(dst, Read(src));
        }
    }

private:
    Bgr Read(const uint8_t* src) const {
        switch (srcBits_) {
        case 8: {
            const RgbQuad& entry = srcPalette_[src[0]];
            return Bgr{entry.blue, entry.green, entry.red};
        }
        case 16: {
            const uint32_t value = static_cast<uint32_t>(src[0] | (src[1] << 8));
            return Bgr{Expand5(value & 31), Expand5((value >> 5) & 31), Expand5((value >> 10) & 31)};
        }
        default:
            return Bgr{src[0], src[1], src[2]};
        }
    }

    void Write(uint8_t* dst, Bgr color) {
        switch (dstBits_) {
        case 8:
            dst[0] = NearestEntry(color);
            break;
        case 16: {
            const auto value =
                static_cast<uint16_t>(((color.red >> 3) << 10) | ((color.green >> 3) << 5) | (color.blue >> 3));
            dst[0] = static_cast<uint8_t>(value);
            dst[1] = static_cast<uint8_t>(value >> 8);
            break;
        }
        case 32:
            dst[3] = 0;
            [[fallthrough]];
        default:
            dst[0] = color.blue;
            dst[1] = color.green;
            dst[2] = color.red;
            break;
        }
    }

    // The destination's colour table entry closest to the colour (the first
    // of equally close ones). The last answer is kept: pictures repeat colours.
    uint8_t NearestEntry(Bgr color) {
        const uint32_t key = static_cast<uint32_t>(color.blue | (color.green << 8) | (color.red << 16));
        if (key == lastKey_) {
            return lastEntry_;
        }
        int best = 0;
        int bestDistance = 1 << 30;
        for (int i = 0; i < kColorTableEntries && bestDistance != 0; ++i) {
            const int db = dstPalette_[i].blue - color.blue;
            const int dg = dstPalette_[i].green - color.green;
            const int dr = dstPalette_[i].red - color.red;
            const int distance = db * db + dg * dg + dr * dr;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = i;
            }
        }
        lastKey_ = key;
        lastEntry_ = static_cast<uint8_t>(best);
        return lastEntry_;
    }

    uint16_t dstBits_;
    uint16_t srcBits_;
    const RgbQuad* dstPalette_;
    const RgbQuad* srcPalette_;
    int bytesToCopy_ = 0;
    uint32_t lastKey_ = 0xFFFFFFFFu;
    uint8_t lastEntry_ = 0;
};

// 8-bit pixels through a colour table into 24- or 32-bit pixels (a fourth
// byte written as 0), as PixelConverter would, without its per-pixel switch.
void ExpandThroughPalette(uint8_t* dst, int dstBytes, const uint8_t* src, const RgbQuad* palette, int64_t count) {
    for (int64_t j = 0; j < count; ++j) {
        const RgbQuad& entry = palette[src[j]];
        uint8_t* pixel = dst + j * dstBytes;
        pixel[0] = entry.blue;
        pixel[1] = entry.green;
        pixel[2] = entry.red;
        if (dstBytes == 4) {
            pixel[3] = 0;
        }
    }
}

// Memory row of graphics line y.
int32_t MemoryRow(const CDibImage& image, int64_t line) { return static_cast<int32_t>(image.Height() - 1 - line); }

bool Inside(const CDibImage& image, int64_t column, int64_t line) {
    return column >= 0 && column < image.Width() && line >= 0 && line < image.Height();
}

// Position of step k along an area that starts at origin and runs forwards
// (extent > 0) or backwards (extent < 0) from it.
int64_t StepPosition(int64_t origin, int64_t extent, int64_t step) {
    return extent > 0 ? origin + step : origin - 1 - step;
}

// The steps [first, last) of an area whose positions fall inside 0..size-1.
void StepsInside(int64_t origin, int64_t extent, int64_t size, int64_t& first, int64_t& last) {
    const int64_t steps = std::llabs(extent);
    if (extent > 0) {
        first = std::max<int64_t>(0, -origin);
        last = std::min<int64_t>(steps, size - origin);
    } else {
        first = std::max<int64_t>(0, origin - size);
        last = std::min<int64_t>(steps, origin);
    }
}

}  // namespace

int32_t CDibImage::DrawTo(const CDibImage& source, const ImageRect* rect, int32_t x, int32_t y) {
    if (!HasDeviceContext() || !source.HasDeviceContext()) {
        return 0;
    }
    if (&source == this) {
        // Source and destination areas of one image may overlap; draw from a copy.
        CDibImage copy;
        if (copy.CreateLike(*this) == 0) {
            return 0;
        }
        std::memcpy(copy.pixels_, pixels_, ImageBytes());
        std::copy(std::begin(drawingColors_), std::end(drawingColors_), std::begin(copy.drawingColors_));
        return DrawTo(copy, rect, x, y);
    }
    const ImageRect area = rect != nullptr ? *rect : ImageRect{0, 0, source.Width(), source.Height()};
    // The copied block, clipped so that both its source and its destination
    // lie inside their images.
    int64_t columnFrom = 0, columnTo = area.Width(), lineFrom = 0, lineTo = area.Height();
    columnFrom = std::max<int64_t>({columnFrom, -int64_t{area.left}, -int64_t{x}});
    lineFrom = std::max<int64_t>({lineFrom, -int64_t{area.top}, -int64_t{y}});
    columnTo = std::min<int64_t>({columnTo, int64_t{source.Width()} - area.left, int64_t{width_} - x});
    lineTo = std::min<int64_t>({lineTo, int64_t{source.Height()} - area.top, int64_t{height_} - y});
    if (columnFrom >= columnTo || lineFrom >= lineTo) {
        return 1;
    }
    PixelConverter converter(*this, source);
    const int dstBytes = BytesPerPixel();
    const int srcBytes = source.BytesPerPixel();
    for (int64_t i = lineFrom; i < lineTo; ++i) {
        uint8_t* dst = Row(MemoryRow(*this, y + i)) + (x + columnFrom) * dstBytes;
        const uint8_t* src = source.Row(MemoryRow(source, area.top + i)) + (area.left + columnFrom) * srcBytes;
        const int64_t count = columnTo - columnFrom;
        if (converter.BytesToCopy() != 0) {
            std::memcpy(dst, src, static_cast<size_t>(count * dstBytes));
            continue;
        }
        if (srcBytes == 1 && dstBytes >= 3) {
            // The recorder draws every 8-bit frame into 24 bits: a plain table walk.
            ExpandThroughPalette(dst, dstBytes, src, source.Palette(), count);
            continue;
        }
        for (int64_t j = 0; j < count; ++j) {
            converter.Copy(dst + j * dstBytes, src + j * srcBytes);
        }
    }
    return 1;
}

int32_t CDibImage::StretchDraw(const CDibImage& source, int32_t x, int32_t y, int32_t width, int32_t height,
                               int32_t sourceX, int32_t sourceY, int32_t sourceWidth, int32_t sourceHeight) {
    if (!HasDeviceContext() || !source.HasDeviceContext()) {
        return 0;
    }
    if (width == 0 || height == 0 || sourceWidth == 0 || sourceHeight == 0) {
        return 1;
    }
    // Step k of the destination takes step k * |source extent| / |extent| of
    // the source; only steps that land inside the destination are walked.
    const int64_t lines = std::llabs(height), columns = std::llabs(width);
    const int64_t sourceLines = std::llabs(sourceHeight), sourceColumns = std::llabs(sourceWidth);
    int64_t lineFirst = 0, lineLast = 0, columnFirst = 0, columnLast = 0;
    StepsInside(y, height, height_, lineFirst, lineLast);
    StepsInside(x, width, width_, columnFirst, columnLast);
    PixelConverter converter(*this, source);
    const int dstBytes = BytesPerPixel();
    const int srcBytes = source.BytesPerPixel();
    for (int64_t i = lineFirst; i < lineLast; ++i) {
        const int64_t sourceLine = StepPosition(sourceY, sourceHeight, i * sourceLines / lines);
        if (!Inside(source, 0, sourceLine)) {
            continue;
        }
        uint8_t* dstRow = Row(MemoryRow(*this, StepPosition(y, height, i)));
        const uint8_t* srcRow = source.Row(MemoryRow(source, sourceLine));
        for (int64_t j = columnFirst; j < columnLast; ++j) {
            const int64_t sourceColumn = StepPosition(sourceX, sourceWidth, j * sourceColumns / columns);
            if (Inside(source, sourceColumn, sourceLine)) {
                converter.Copy(dstRow + StepPosition(x, width, j) * dstBytes, srcRow + sourceColumn * srcBytes);
            }
        }
    }
    return 1;
}

}  // namespace tavrin
