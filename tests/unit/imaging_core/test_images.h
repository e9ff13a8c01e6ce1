// Helpers for the imaging tests: images filled with known or random bytes,
// and raw buffers sized exactly, so that AddressSanitizer catches any access
// past either end.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "imaging/dib_image.h"

namespace tavrin::testing {

inline void FillRandom(uint8_t* bytes, size_t count, uint32_t seed) {
    std::mt19937 random(seed);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<uint8_t>(random());
    }
}

inline void FillRandom(CDibImage& image, uint32_t seed) { FillRandom(image.Bits(), image.ImageBytes(), seed); }

inline std::vector<uint8_t> BytesOf(const CDibImage& image) {
    return std::vector<uint8_t>(image.Bits(), image.Bits() + image.ImageBytes());
}

inline uint16_t WordAt(const CDibImage& image, int32_t x, int32_t y, int channel = 0) {
    const uint8_t* p = image.Row(y) + x * image.BytesPerPixel() + 2 * channel;
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline void SetWord(CDibImage& image, int32_t x, int32_t y, int channel, uint16_t value) {
    uint8_t* p = image.Row(y) + x * image.BytesPerPixel() + 2 * channel;
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace tavrin::testing
