// The TIFF still image, written with libtiff: uncompressed, one strip, rows
// from memory row 0 onward without the 4-byte row padding, samples red first
// and 16-bit samples in the machine's byte order (libtiff records the order in
// the file header). 10- and 12-bit samples are spread over 16 bits.
#pragma once

#include <cstdint>

#include "imaging/dib_image.h"

namespace tavrin {

// Writes `image` (8, 16, 24, 32, 48 or 64 bits per pixel). False for other
// images (before any file is made), when the file cannot be created, and when
// libtiff reports an error while writing or closing it.
bool WriteTiff(const char* path, const CDibImage& image, int32_t significantBits);

}  // namespace tavrin
