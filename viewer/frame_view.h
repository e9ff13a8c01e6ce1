// One picture as the viewer holds it: the SDK's image as it came (for the
// values under the pointer), the same picture as 32-bit pixels for cairo,
// its histogram and the frame's record. Three of these circulate between
// the camera thread and the interface, so neither allocates per frame.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "TavrinEx.h"

namespace tavrin::viewer {

// 256 bins per channel: 8-bit samples fall one to a bin, 10-bit samples
// four to a bin. Channels are red, green, blue and luminance; a monochrome
// picture fills only luminance.
struct Histogram {
    static constexpr int kBins = 256;
    enum Channel { kRed, kGreen, kBlue, kLuminance, kChannels };
    std::array<std::array<uint32_t, kBins>, kChannels> counts{};
    std::array<uint32_t, kChannels> atZero{};       // samples at 0
    std::array<uint32_t, kChannels> atFullScale{};  // samples at 255 (8-bit) or 1023 (10-bit)
    uint32_t samples = 0;                           // per channel
    bool colour = false;
};

struct FrameView {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;          // of the SDK's image: 8, 16, 24, 32, 48 or 64
    int stride = 0;                // bytes per row of the SDK's image (padded to 4)
    std::vector<uint8_t> image;    // the SDK's image, top line first
    std::vector<uint32_t> pixels;  // width x height, cairo's RGB24 (0x00RRGGBB)
    Histogram histogram;
    TavrinFrameMeta meta{};
    bool hasMeta = false;

    // Sizes the buffers for a picture; keeps their memory when the size is unchanged.
    void Shape(int newWidth, int newHeight, int newBitsPerPixel);
    size_t ImageBytes() const { return static_cast<size_t>(stride) * static_cast<size_t>(height); }
};

// Fills pixels and histogram from image.
void RenderView(FrameView& view);

// The values of the pixel at (x, y) as text ("R 12 G 200 B 7" or "gray 512"),
// empty outside the picture.
std::string PixelValues(const FrameView& view, int x, int y);

// The largest sample value of a format: 255 or 1023.
int FullScale(int bitsPerPixel);

}  // namespace tavrin::viewer
