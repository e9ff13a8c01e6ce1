#include "output/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include "imaging/dib_image.h"
#include "output/output_file.h"

namespace tavrin {

namespace {

struct PngLayout {
    int bitDepth;
    int colorType;
};

bool LayoutForBits(int32_t bits, PngLayout& layout) {
    switch (bits) {
    case 8:
        layout = {8, PNG_COLOR_TYPE_GRAY};
        return true;
    case 16:
        layout = {16, PNG_COLOR_TYPE_GRAY};
        return true;
    case 24:
        layout = {8, PNG_COLOR_TYPE_RGB};
        return true;
    case 32:
        layout = {8, PNG_COLOR_TYPE_RGB_ALPHA};
        return true;
    case 48:
        layout = {16, PNG_COLOR_TYPE_RGB};
        return true;
    case 64:
        layout = {16, PNG_COLOR_TYPE_RGB_ALPHA};
        return true;
    default:
        return false;
    }
}

void OnPngError(png_structp png, png_const_charp message) {
    std::fprintf(stderr, "libpng error: %s\n", message);
    png_longjmp(png, 1);
}

// Everything an error must clean up lives here, outside the function that
// holds the error return point, so nothing in that frame is left stale by the
// jump back.
struct PngJob {
    std::FILE* stream = nullptr;
    const uint8_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    PngLayout layout{};
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_bytep* rows = nullptr;
    uint8_t* swapped = nullptr;
};

// PNG stores 16-bit samples high byte first; ours are low byte first.
void SwapSampleBytes(const uint8_t* source, uint8_t* target, size_t bytes) {
    for (size_t i = 0; i + 1 < bytes; i += 2) {
        target[i] = source[i + 1];
        target[i + 1] = source[i];
    }
}

void EncodeRows(PngJob& job) {
    png_init_io(job.png, job.stream);
    png_set_IHDR(job.png, job.info, static_cast<png_uint_32>(job.width), static_cast<png_uint_32>(job.height),
                 job.layout.bitDepth, job.layout.colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(job.png, job.info);
    png_set_bgr(job.png);

    const size_t imageBytes = static_cast<size_t>(job.height) * static_cast<size_t>(job.stride);
    job.rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * static_cast<size_t>(job.height)));
    if (job.rows == nullptr) {
        png_error(job.png, "Visualpng: Out of memory");
    }
    const uint8_t* source = job.pixels;
    if (job.layout.bitDepth == 16) {
        job.swapped = static_cast<uint8_t*>(std::malloc(imageBytes));
        if (job.swapped == nullptr) {
            png_error(job.png, "Visualpng: Out of memory");
        }
        SwapSampleBytes(job.pixels, job.swapped, imageBytes);
        source = job.swapped;
    }
    for (int32_t y = 0; y < job.height; ++y) {
        // libpng reads the rows and transforms copies of them; the image is not changed.
        job.rows[y] = const_cast<uint8_t*>(source + static_cast<size_t>(y) * static_cast<size_t>(job.stride));
    }
    png_write_image(job.png, job.rows);
    png_write_end(job.png, nullptr);
}

// Holds the error return point: libpng errors come back here as a jump.
bool Encode(PngJob& job) {
    if (setjmp(png_jmpbuf(job.png)) != 0) {
        return false;
    }
    EncodeRows(job);
    return true;
}

}  // namespace

bool WritePng(const char* path, const uint8_t* pixels, int32_t width, int32_t height, int32_t bits) {
    PngJob job;
    if (pixels == nullptr || width <= 0 || height <= 0 || !LayoutForBits(bits, job.layout)) {
        return false;
    }
    OutputFile file;
    if (!file.Open(path)) {
        return false;
    }
    job.stream = file.Stream();
    job.pixels = pixels;
    job.width = width;
    job.height = height;
    job.stride = CDibImage::StrideFor(width, bits);
    job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, nullptr);
    if (job.png == nullptr) {
        file.Close();
        return false;
    }
    job.info = png_create_info_struct(job.png);
    bool encoded = job.info != nullptr && Encode(job);
    png_destroy_write_struct(&job.png, job.info != nullptr ? &job.info : nullptr);
    std::free(job.swapped);
    std::free(job.rows);
    return file.Close() && encoded;
}

}  // namespace tavrin
