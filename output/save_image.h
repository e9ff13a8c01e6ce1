// The still image dispatcher: saves the camera's current output image in the
// format the caller asks for. Where the format needs another sample layout or
// row order it prepares a temporary image with the conversion kernels, then
// calls one of the five writers. Every file shows memory row 0 of the image
// as its top line.
#pragma once

#include <cstdint>

#include "imaging/dib_image.h"

namespace tavrin {

// The format codes of Tavrin_SaveImage.
enum StillImageFormat : int32_t {
    kStillBmp = 0,
    kStillRaw = 1,
    kStillJpegQuality100 = 2,
    kStillJpegQuality70 = 3,
    kStillJpegQuality20 = 4,
    kStillPng = 5,
    kStillTiff = 6,
};

// Saves `image` (8, 16, 24, 32, 48 or 64 bits per pixel) to `path`.
// `significantBits` says how many bits of each 16-bit sample carry the value
// (the camera passes 10; 12 is understood too). Returns 1 on success, 0 on
// failure; an unknown format code, an empty image or a bit count the format
// cannot take returns 0 without creating a file. Temporary images are gone
// when it returns. The image goes to a temporary file that replaces `path`
// only when complete, so a failed save leaves an earlier file untouched.
// The caller holds the lock that keeps the image still.
int32_t SaveImage(const char* path, const CDibImage& image, int32_t formatCode, int32_t significantBits);

}  // namespace tavrin
