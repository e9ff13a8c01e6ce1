#include "output/jpeg_writer.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "output/output_file.h"

namespace tavrin {

namespace {

// libjpeg's standard error manager would end the process on a fatal error;
// this one reports the message the standard way and jumps back to the writer.
struct JpegErrorManager {
    jpeg_error_mgr standard;
    std::jmp_buf returnPoint;
};

void OnJpegError(j_common_ptr compressor) {
    (*compressor->err->output_message)(compressor);
    std::longjmp(reinterpret_cast<JpegErrorManager*>(compressor->err)->returnPoint, 1);
}

// Everything an error must clean up lives here, outside the function that
// holds the return point.
struct JpegJob {
    std::FILE* stream = nullptr;
    const CDibImage* image = nullptr;
    int quality = 0;
    bool progressive = false;
    jpeg_compress_struct compressor{};
    JpegErrorManager errors{};
};

void FillLine(const uint8_t* row, int32_t width, int components, JSAMPLE* line) {
    if (components == 1) {
        for (int32_t x = 0; x < width; ++x) {
            line[x] = row[x];
        }
        return;
    }
    for (int32_t x = 0; x < width; ++x, row += 3, line += 3) {
        line[0] = row[2];
        line[1] = row[1];
        line[2] = row[0];
    }
}

void EncodeLines(JpegJob& job) {
    jpeg_compress_struct& c = job.compressor;
    const CDibImage& image = *job.image;
    const int components = image.BitCount() == 8 ? 1 : 3;
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, job.stream);
    c.image_width = static_cast<JDIMENSION>(image.Width());
    c.image_height = static_cast<JDIMENSION>(image.Height());
    c.input_components = components;
    c.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, job.quality, TRUE);
    if (job.progressive) {
        jpeg_simple_progression(&c);
    }
    jpeg_start_compress(&c, TRUE);

    // The line buffer comes from libjpeg's own pools: a failed allocation is a
    // libjpeg error like any other, and destroying the compressor frees it.
    JSAMPARRAY lines = (*c.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&c), JPOOL_IMAGE,
                                              static_cast<JDIMENSION>(image.Width() * components), 1);
    while (c.next_scanline < c.image_height) {
        const int32_t memoryRow = image.Height() - 1 - static_cast<int32_t>(c.next_scanline);
        FillLine(image.Row(memoryRow), image.Width(), components, lines[0]);
        jpeg_write_scanlines(&c, lines, 1);
    }
    jpeg_finish_compress(&c);
}

// Holds the return point: a libjpeg error comes back here as a jump.
bool Encode(JpegJob& job) {
    if (setjmp(job.errors.returnPoint) != 0) {
        return false;
    }
    EncodeLines(job);
    return true;
}

}  // namespace

bool WriteJpeg(const char* path, const CDibImage& image, int32_t quality, bool progressive) {
    if (image.IsEmpty() || (image.BitCount() != 8 && image.BitCount() != 24)) {
        return false;
    }
    OutputFile file;
    if (!file.Open(path)) {
        return false;
    }
    JpegJob job;
    job.stream = file.Stream();
    job.image = &image;
    job.quality = quality;
    job.progressive = progressive;
    job.compressor.err = jpeg_std_error(&job.errors.standard);
    job.errors.standard.error_exit = OnJpegError;
    const bool encoded = Encode(job);
    // Safe whether or not the compressor got as far as being created.
    jpeg_destroy_compress(&job.compressor);
    return file.Close() && encoded;
}

}  // namespace tavrin
