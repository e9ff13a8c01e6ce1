#include "output/save_image.h"

#include "imaging/kernels/convert_kernels.h"
#include "output/jpeg_writer.h"
#include "output/png_writer.h"
#include "output/raw_writer.h"
#include "output/replacing_save.h"
#include "output/sample_scaling.h"
#include "output/tiff_writer.h"

namespace tavrin {

namespace {

// BMP readers take the declared positive height as bottom-up rows, so the
// copy has its rows reversed to show memory row 0 on top.
int32_t SaveBmp(const char* path, const CDibImage& image) {
    CDibImage flipped;
    if (!flipped.CreateLike(image) || flipped.Convert(FlipCopy, image) == 0) {
        return 0;
    }
    return flipped.WriteBmp(path) != 0 ? 1 : 0;
}

// An 8- or 24-bit image with the rows reversed, which WriteJpeg feeds from the
// last row up. False for bit counts JPEG cannot take.
bool PrepareJpegImage(const CDibImage& image, int32_t significantBits, CDibImage& prepared) {
    const int32_t width = image.Width();
    const int32_t height = image.Height();
    switch (image.BitCount()) {
    case 8:
        return prepared.Create(width, height, 8) != 0 && prepared.Convert(FlipCopy, image) != 0;
    case 16:
        return prepared.Create(width, height, 8) != 0 &&
               prepared.Convert(ScalingForSignificantBits(significantBits).gray16To8Flipped, image) != 0;
    case 24:
    case 32:
        // Drawn upside down: source origin at the last line, source height negated.
        return prepared.Create(width, height, 24) != 0 &&
               prepared.StretchDraw(image, 0, 0, width, height, 0, height, width, -height) != 0;
    case 48:
    case 64:
        return prepared.Create(width, height, 24) != 0 && prepared.Convert(Rgb48To24Flip, image) != 0;
    default:
        return false;
    }
}

int32_t SaveJpeg(const char* path, const CDibImage& image, int32_t quality, int32_t significantBits) {
    CDibImage prepared;
    if (!PrepareJpegImage(image, significantBits, prepared)) {
        return 0;
    }
    return WriteJpeg(path, prepared, quality, /*progressive=*/true) ? 1 : 0;
}

// The kernel that brings the image to PNG's sample layout, or null when the
// pixels go out as they are.
ConvertKernel PngKernel(int32_t bits, int32_t significantBits) {
    const SampleScaling scaling = ScalingForSignificantBits(significantBits);
    switch (bits) {
    case 16:
        return scaling.gray16;
    case 32:
        return Rgb32InvertAlpha;  // the fourth byte is 0 in camera images: make it opaque
    case 48:
        return scaling.rgb48;
    case 64:
        return scaling.rgb64;
    default:
        return nullptr;
    }
}

int32_t SavePng(const char* path, const CDibImage& image, int32_t significantBits) {
    const int32_t bits = image.BitCount();
    const ConvertKernel kernel = PngKernel(bits, significantBits);
    if (kernel == nullptr) {
        return WritePng(path, image.Bits(), image.Width(), image.Height(), bits) ? 1 : 0;
    }
    CDibImage scaled;
    if (!scaled.CreateLike(image) || scaled.Convert(kernel, image) == 0) {
        return 0;
    }
    return WritePng(path, scaled.Bits(), scaled.Width(), scaled.Height(), bits) ? 1 : 0;
}

int32_t SaveAs(const char* path, const CDibImage& image, int32_t formatCode, int32_t significantBits) {
    switch (formatCode) {
    case kStillBmp:
        return SaveBmp(path, image);
    case kStillRaw:
        return WriteRaw(image, path) ? 1 : 0;
    case kStillJpegQuality100:
        return SaveJpeg(path, image, 100, significantBits);
    case kStillJpegQuality70:
        return SaveJpeg(path, image, 70, significantBits);
    case kStillJpegQuality20:
        return SaveJpeg(path, image, 20, significantBits);
    case kStillPng:
        return SavePng(path, image, significantBits);
    case kStillTiff:
        return WriteTiff(path, image, significantBits) ? 1 : 0;
    default:
        return 0;
    }
}

}  // namespace

int32_t SaveImage(const char* path, const CDibImage& image, int32_t formatCode, int32_t significantBits) {
    if (path == nullptr || image.IsEmpty() || formatCode < kStillBmp || formatCode > kStillTiff) {
        return 0;
    }
    const bool saved = SaveReplacing(
        path, [&](const char* writePath) { return SaveAs(writePath, image, formatCode, significantBits) == 1; });
    return saved ? 1 : 0;
}

}  // namespace tavrin
