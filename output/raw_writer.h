// The raw still image: the image's pixel memory as it is, height * stride
// bytes (row padding included) from memory row 0 onward, with no header.
#pragma once

#include "imaging/dib_image.h"

namespace tavrin {

// Creates or truncates `path` and writes the pixels. False when the image is
// empty, the file cannot be created, or any byte fails to reach it.
bool WriteRaw(const CDibImage& image, const char* path);

}  // namespace tavrin
