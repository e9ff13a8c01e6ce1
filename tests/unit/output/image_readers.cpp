#include "image_readers.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

namespace tavrin::test {

namespace {

struct PngRead {
    std::FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    DecodedPng* out = nullptr;
};

void ReadPngRows(PngRead& r) {
    png_init_io(r.png, r.file);
    png_read_png(r.png, r.info, PNG_TRANSFORM_IDENTITY, nullptr);
    r.out->width = png_get_image_width(r.png, r.info);
    r.out->height = png_get_image_height(r.png, r.info);
    r.out->bitDepth = png_get_bit_depth(r.png, r.info);
    r.out->colorType = png_get_color_type(r.png, r.info);
    const size_t rowBytes = png_get_rowbytes(r.png, r.info);
    png_bytepp rows = png_get_rows(r.png, r.info);
    for (uint32_t y = 0; y < r.out->height; ++y) {
        r.out->rows.emplace_back(rows[y], rows[y] + rowBytes);
    }
    r.out->ok = true;
}

bool DecodePng(PngRead& r) {
    if (setjmp(png_jmpbuf(r.png)) != 0) {
        return false;
    }
    ReadPngRows(r);
    return true;
}

struct JpegErrors {
    jpeg_error_mgr standard;
    std::jmp_buf returnPoint;
};

void OnJpegError(j_common_ptr c) { std::longjmp(reinterpret_cast<JpegErrors*>(c->err)->returnPoint, 1); }

struct JpegRead {
    std::FILE* file = nullptr;
    jpeg_decompress_struct d{};
    JpegErrors errors{};
    DecodedJpeg* out = nullptr;
};

void ReadJpegLines(JpegRead& r) {
    jpeg_create_decompress(&r.d);
    jpeg_stdio_src(&r.d, r.file);
    jpeg_read_header(&r.d, TRUE);
    r.out->progressive = r.d.progressive_mode != 0;
    if (r.d.quant_tbl_ptrs[0] != nullptr) {
        r.out->lumaQuantizer0 = r.d.quant_tbl_ptrs[0]->quantval[0];
    }
    jpeg_start_decompress(&r.d);
    r.out->width = r.d.output_width;
    r.out->height = r.d.output_height;
    r.out->components = r.d.output_components;
    const size_t rowBytes = static_cast<size_t>(r.d.output_width) * static_cast<size_t>(r.d.output_components);
    r.out->pixels.resize(rowBytes * r.d.output_height);
    while (r.d.output_scanline < r.d.output_height) {
        JSAMPROW line = r.out->pixels.data() + rowBytes * r.d.output_scanline;
        jpeg_read_scanlines(&r.d, &line, 1);
    }
    jpeg_finish_decompress(&r.d);
    r.out->ok = true;
}

bool DecodeJpeg(JpegRead& r) {
    if (setjmp(r.errors.returnPoint) != 0) {
        return false;
    }
    ReadJpegLines(r);
    return true;
}

}  // namespace

DecodedPng ReadPng(const std::string& path) {
    DecodedPng out;
    PngRead r;
    r.out = &out;
    r.file = std::fopen(path.c_str(), "rb");
    if (r.file == nullptr) {
        return out;
    }
    r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    r.info = r.png != nullptr ? png_create_info_struct(r.png) : nullptr;
    if (r.info == nullptr || !DecodePng(r)) {
        out.ok = false;
    }
    png_destroy_read_struct(&r.png, r.info != nullptr ? &r.info : nullptr, nullptr);
    std::fclose(r.file);
    return out;
}

DecodedJpeg ReadJpeg(const std::string& path) {
    DecodedJpeg out;
    JpegRead r;
    r.out = &out;
    r.file = std::fopen(path.c_str(), "rb");
    if (r.file == nullptr) {
        return out;
    }
    r.d.err = jpeg_std_error(&r.errors.standard);
    r.errors.standard.error_exit = OnJpegError;
    if (!DecodeJpeg(r)) {
        out.ok = false;
    }
    jpeg_destroy_decompress(&r.d);
    std::fclose(r.file);
    return out;
}

DecodedTiff ReadTiff(const std::string& path) {
    DecodedTiff out;
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    if (tiff == nullptr) {
        return out;
    }
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &out.width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &out.height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &out.bitsPerSample);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &out.samplesPerPixel);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &out.photometric);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &out.compression);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &out.planarConfig);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &out.orientation);
    uint16_t* extraTypes = nullptr;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &out.extraSampleCount, &extraTypes);
    out.byteSwapped = TIFFIsByteSwapped(tiff) != 0;
    out.strips = TIFFNumberOfStrips(tiff);
    uint64_t* counts = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_STRIPBYTECOUNTS, &counts) == 1 && counts != nullptr) {
        out.stripByteCounts.assign(counts, counts + out.strips);
    }
    if (!out.stripByteCounts.empty()) {
        out.firstStrip.resize(static_cast<size_t>(out.stripByteCounts[0]));
        const tmsize_t read =
            TIFFReadRawStrip(tiff, 0, out.firstStrip.data(), static_cast<tmsize_t>(out.firstStrip.size()));
        out.ok = read == static_cast<tmsize_t>(out.firstStrip.size());
    }
    TIFFClose(tiff);
    return out;
}

}  // namespace tavrin::test
