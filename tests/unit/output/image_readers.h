// Decoders for the files the writers make, built on the decoding side of
// libpng, libjpeg and libtiff (the writers use only the encoding side).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavrin::test {

struct DecodedPng {
    bool ok = false;
    uint32_t width = 0;
    uint32_t height = 0;
    int bitDepth = 0;
    int colorType = 0;
    // Rows as stored: top line first, 16-bit samples high byte first.
    std::vector<std::vector<uint8_t>> rows;
};
DecodedPng ReadPng(const std::string& path);

struct DecodedJpeg {
    bool ok = false;
    uint32_t width = 0;
    uint32_t height = 0;
    int components = 0;
    bool progressive = false;
    // First entry of the luminance quantisation table.
    unsigned lumaQuantizer0 = 0;
    // Top line first, packed, R, G, B or gray.
    std::vector<uint8_t> pixels;
};
DecodedJpeg ReadJpeg(const std::string& path);

struct DecodedTiff {
    bool ok = false;
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bitsPerSample = 0;
    uint16_t samplesPerPixel = 0;
    uint16_t photometric = 0;
    uint16_t compression = 0;
    uint16_t planarConfig = 0;
    uint16_t orientation = 0;
    uint16_t extraSampleCount = 0;
    uint32_t strips = 0;
    bool byteSwapped = false;  // stored in the other byte order than this machine's
    std::vector<uint64_t> stripByteCounts;
    std::vector<uint8_t> firstStrip;  // as stored
};
DecodedTiff ReadTiff(const std::string& path);

}  // namespace tavrin::test
