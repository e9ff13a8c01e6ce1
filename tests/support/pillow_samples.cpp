#include "support/pillow_samples.h"

#include <cstddef>

namespace tavrin::test {
namespace {

uint32_t Word(const uint8_t* p) { return p[0] | p[1] << 8; }

// A 10-bit sample in a 16-bit word, as the writers scale it.
uint32_t Scaled(const uint8_t* p) { return (Word(p) << 6) & 0xFFFFu; }

}  // namespace

std::vector<uint32_t> ExpectedSamples(const uint8_t* bits, int width, int height, int stride, int bytesPerPixel,
                                      ReadBack form) {
    std::vector<uint32_t> samples;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = bits + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * bytesPerPixel;
            switch (form) {
            case ReadBack::kGray8:
                samples.push_back(p[0]);
                break;
            case ReadBack::kGray16Scaled:
                samples.push_back(Scaled(p));
                break;
            case ReadBack::kRgb8:
            case ReadBack::kRgba8Opaque:
            case ReadBack::kRgbx8Zero:
                samples.insert(samples.end(), {p[2], p[1], p[0]});
                if (form == ReadBack::kRgba8Opaque)
                    samples.push_back(255);
                if (form == ReadBack::kRgbx8Zero)
                    samples.push_back(0);
                break;
            case ReadBack::kRgb16To8:
            case ReadBack::kRgba16To8Opaque:
                for (int c = 2; c >= 0; --c) {
                    samples.push_back(Scaled(p + 2 * c) >> 8);
                }
                if (form == ReadBack::kRgba16To8Opaque)
                    samples.push_back(255);
                break;
            }
        }
    }
    return samples;
}

}  // namespace tavrin::test
