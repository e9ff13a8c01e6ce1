#include "output/tiff_writer.h"

#include <cstdarg>
#include <cstring>
#include <new>
#include <vector>

#include <tiffio.h>

#include "imaging/kernels/convert_kernels.h"
#include "output/sample_scaling.h"

namespace tavrin {

namespace {

struct TiffLayout {
    uint16_t bitsPerSample;
    uint16_t photometric;
    uint16_t samplesPerPixel;
};

bool LayoutForBits(int32_t bits, TiffLayout& layout) {
    switch (bits) {
    case 8:
        layout = {8, PHOTOMETRIC_MINISBLACK, 1};
        return true;
    case 16:
        layout = {16, PHOTOMETRIC_MINISBLACK, 1};
        return true;
    case 24:
        layout = {8, PHOTOMETRIC_RGB, 3};
        return true;
    case 32:
        layout = {8, PHOTOMETRIC_RGB, 4};
        return true;
    case 48:
        layout = {16, PHOTOMETRIC_RGB, 3};
        return true;
    case 64:
        layout = {16, PHOTOMETRIC_RGB, 4};
        return true;
    default:
        return false;
    }
}

// Red and blue words trade places; for samples that need no scaling.
void SwapRedBlueWords(CDibImage& image) {
    const int32_t bytesPerPixel = image.BytesPerPixel();
    for (int32_t y = 0; y < image.Height(); ++y) {
        uint8_t* pixel = image.Row(y);
        for (int32_t x = 0; x < image.Width(); ++x, pixel += bytesPerPixel) {
            uint8_t blue[2];
            std::memcpy(blue, pixel, 2);
            std::memcpy(pixel, pixel + 4, 2);
            std::memcpy(pixel + 4, blue, 2);
        }
    }
}

// Fills `copy` with the image's samples in TIFF order and range. Returns the
// image whose rows are to be written: `copy`, or `image` itself for 8 bits.
const CDibImage* PrepareSamples(const CDibImage& image, int32_t significantBits, CDibImage& copy) {
    const int32_t bits = image.BitCount();
    if (bits == 8) {
        return &image;
    }
    if (!copy.CreateLike(image)) {
        return nullptr;
    }
    const SampleScaling scaling = ScalingForSignificantBits(significantBits);
    ConvertKernel kernel = nullptr;
    switch (bits) {
    case 16:
        kernel = scaling.gray16;
        break;
    case 24:
    case 32:
        kernel = Rgb24Swap;
        break;  // on 4-byte pixels the fourth byte stays 0
    case 48:
        kernel = scaling.rgb48Swapped;
        break;
    case 64:
        kernel = scaling.rgb64Swapped;
        break;
    default:
        return nullptr;
    }
    if (kernel != nullptr) {
        return copy.Convert(kernel, image) != 0 ? &copy : nullptr;
    }
    std::memcpy(copy.Bits(), image.Bits(), image.ImageBytes());
    if (bits >= 48) {
        SwapRedBlueWords(copy);
    }
    return &copy;
}

// The strip: each row without its padding.
bool PackRows(const CDibImage& image, size_t rowBytes, std::vector<uint8_t>& strip) {
    try {
        strip.resize(rowBytes * static_cast<size_t>(image.Height()));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int32_t y = 0; y < image.Height(); ++y) {
        std::memcpy(strip.data() + rowBytes * static_cast<size_t>(y), image.Row(y), rowBytes);
    }
    return true;
}

// libtiff reports some failures (a directory that cannot be written at close)
// only through its error handler; this one remembers them for the writer and
// lets the process-wide handlers report them as usual.
int RememberError(TIFF*, void* userData, const char*, const char*, va_list) {
    *static_cast<bool*>(userData) = true;
    return 0;
}

TIFF* OpenForWriting(const char* path, bool* errorSeen) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr) {
        return nullptr;
    }
    TIFFOpenOptionsSetErrorHandlerExtR(options, RememberError, errorSeen);
    TIFF* tiff = TIFFOpenExt(path, "w", options);
    TIFFOpenOptionsFree(options);
    return tiff;
}

bool SetTags(TIFF* tiff, const CDibImage& image, const TiffLayout& layout) {
    bool ok = TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image.Width())) == 1 &&
              TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image.Height())) == 1 &&
              TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE) == 1 &&
              TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) == 1 &&
              TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, layout.bitsPerSample) == 1 &&
              TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, layout.photometric) == 1 &&
              TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, layout.samplesPerPixel) == 1;
    if (ok && layout.samplesPerPixel == 4) {
        // A fourth sample beside R, G, B must be declared; it carries no meaning
        // (0 in 32-bit images, 0xFFFF in 64-bit ones), so it is "unspecified".
        const uint16_t extraSamples[1] = {EXTRASAMPLE_UNSPECIFIED};
        ok = TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extraSamples) == 1;
    }
    return ok;
}

}  // namespace

bool WriteTiff(const char* path, const CDibImage& image, int32_t significantBits) {
    TiffLayout layout{};
    if (path == nullptr || image.IsEmpty() || !LayoutForBits(image.BitCount(), layout)) {
        return false;
    }
    CDibImage copy;
    const CDibImage* samples = PrepareSamples(image, significantBits, copy);
    const size_t rowBytes = static_cast<size_t>(image.Width()) * layout.samplesPerPixel * layout.bitsPerSample / 8;
    std::vector<uint8_t> strip;
    if (samples == nullptr || !PackRows(*samples, rowBytes, strip)) {
        return false;
    }
    bool errorSeen = false;
    TIFF* tiff = OpenForWriting(path, &errorSeen);
    if (tiff == nullptr) {
        return false;
    }
    const tmsize_t stripBytes = static_cast<tmsize_t>(strip.size());
    bool ok = SetTags(tiff, image, layout) && TIFFWriteEncodedStrip(tiff, 0, strip.data(), stripBytes) == stripBytes;
    // TIFFClose cannot report a failed directory write; TIFFFlush can.
    ok = TIFFFlush(tiff) == 1 && ok;
    TIFFClose(tiff);
    return ok && !errorSeen;
}

}  // namespace tavrin
