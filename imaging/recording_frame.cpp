#include "imaging/recording_frame.h"

#include <cstddef>

#include "imaging/kernels/dispatch.h"

namespace tavrin {
namespace {

void ExpandPalette8(uint8_t* dst, const uint8_t* src, int32_t width, const RgbQuad* palette) {
    for (int32_t x = 0; x < width; ++x, dst += 3) {
        const RgbQuad& entry = palette[src[x]];
        dst[0] = entry.blue;
        dst[1] = entry.green;
        dst[2] = entry.red;
    }
}

// The sensor's 10 significant bits of a 16-bit gray sample, as three equal bytes.
void ExpandGray16(uint8_t* dst, const uint8_t* src, int32_t width) {
    for (int32_t x = 0; x < width; ++x, dst += 3) {
        const auto level = static_cast<uint8_t>((src[2 * x] | (src[2 * x + 1] << 8)) >> 2);
        dst[0] = dst[1] = dst[2] = level;
    }
}

}  // namespace

bool ConvertToRecordingFrame(const CDibImage& output, CDibImage& frame) {
    const int32_t width = output.Width();
    const int32_t height = output.Height();
    if (frame.BitCount() != 24 || frame.Width() != width || frame.Height() != height || output.Bits() == nullptr) {
        return false;
    }
    const int32_t bits = output.BitCount();
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32 && bits != 48 && bits != 64)
        return false;
    const KernelTable& k = Kernels();
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* dst = frame.Row(y);
        const uint8_t* src = output.Row(height - 1 - y);
        switch (bits) {
        case 8:
            ExpandPalette8(dst, src, width, output.Palette());
            break;
        case 16:
            ExpandGray16(dst, src, width);
            break;
        case 24:
            k.moveBytes(dst, src, 3 * width);
            break;
        case 32:
            k.rgb32ToRgb24(dst, src, width);
            break;
        case 48:
            k.words16ToBytes(dst, src, 3 * width, 2);
            break;
        default:
            k.rgb64ToRgb24(dst, src, width);
            break;
        }
    }
    return true;
}

}  // namespace tavrin
