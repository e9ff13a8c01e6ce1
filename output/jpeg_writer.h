// The JPEG still image, written with libjpeg: 8-bit images as gray, 24-bit
// images as RGB. The writer feeds the rows from the last memory row up to row
// 0; the images the dispatcher prepares have their rows reversed already, so
// the file shows memory row 0 of the camera's image on top.
#pragma once

#include <cstdint>

#include "imaging/dib_image.h"

namespace tavrin {

// Encodes `image` (8 or 24 bits per pixel) with `quality` (0..100, baseline
// quantisation tables), in progressive scans when asked. False for other
// images (before any file is made), when the file cannot be created, and on
// any libjpeg error, a failed write included: libjpeg's message goes to
// standard error and the writer cleans up instead of ending the process.
bool WriteJpeg(const char* path, const CDibImage& image, int32_t quality, bool progressive);

}  // namespace tavrin
