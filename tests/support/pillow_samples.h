// What Pillow reports for the pixels of a file we wrote from an image in
// memory order: the samples it returns (getdata, flattened) for each way
// the file stores them.
#pragma once

#include <cstdint>
#include <vector>

namespace tavrin::test {

enum class ReadBack {
    kGray8,            // 8-bit gray
    kGray16Scaled,     // 16-bit gray, 10-bit samples scaled to 16 bits
    kRgb8,             // 24-bit colour, B G R in memory
    kRgba8Opaque,      // 32-bit colour read as RGBA with an opaque alpha
    kRgbx8Zero,        // 32-bit colour read with a zero fourth sample
    kRgb16To8,         // 48-bit colour (10-bit words) read as 8-bit RGB
    kRgba16To8Opaque,  // 64-bit colour (10-bit words) read as 8-bit RGBA
};

// bits: the first row, rows `stride` bytes apart, `bytesPerPixel` bytes a pixel.
std::vector<uint32_t> ExpectedSamples(const uint8_t* bits, int width, int height, int stride, int bytesPerPixel,
                                      ReadBack form);

}  // namespace tavrin::test
