// The PNG still image, written with libpng: 8-bit gray, 16-bit gray, 24-bit
// RGB, 32-bit RGBA, 48-bit RGB and 64-bit RGBA from the SDK's B, G, R(, A)
// pixels with little-endian 16-bit samples. Rows are taken from memory row 0
// onward, one stride apart, so the file shows memory row 0 on top.
#pragma once

#include <cstdint>

namespace tavrin {

// Writes `height` rows of `width` pixels of `bits` (8, 16, 24, 32, 48 or 64)
// bits, one stride apart (width * bytes per pixel rounded up to 4). False for
// other bit counts (before any file is made), when the file cannot be created,
// and on any libpng error, which is reported on standard error as
// "libpng error: <message>" and may leave a partial file.
bool WritePng(const char* path, const uint8_t* pixels, int32_t width, int32_t height, int32_t bits);

}  // namespace tavrin
