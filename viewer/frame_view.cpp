#include "viewer/frame_view.h"

#include <cstring>

namespace tavrin::viewer {
namespace {

bool IsColour(int bitsPerPixel) { return bitsPerPixel >= 24; }
bool IsWide(int bitsPerPixel) { return bitsPerPixel == 16 || bitsPerPixel == 48 || bitsPerPixel == 64; }

int BytesPerPixel(int bitsPerPixel) { return bitsPerPixel / 8; }

uint16_t Word(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// Reads one pixel as red, green, blue samples in the format's own scale.
void Samples(const uint8_t* p, int bitsPerPixel, int& r, int& g, int& b) {
    switch (bitsPerPixel) {
    case 8:
        r = g = b = p[0];
        break;
    case 16:
        r = g = b = Word(p) & 0x3FF;
        break;
    case 24:
    case 32:
        b = p[0];
        g = p[1];
        r = p[2];
        break;
    default:  // 48 and 64: blue, green, red words
        b = Word(p) & 0x3FF;
        g = Word(p + 2) & 0x3FF;
        r = Word(p + 4) & 0x3FF;
        break;
    }
}

}  // namespace

int FullScale(int bitsPerPixel) { return IsWide(bitsPerPixel) ? 1023 : 255; }

void FrameView::Shape(int newWidth, int newHeight, int newBitsPerPixel) {
    width = newWidth > 0 ? newWidth : 0;
    height = newHeight > 0 ? newHeight : 0;
    bitsPerPixel = newBitsPerPixel;
    stride = (width * BytesPerPixel(bitsPerPixel) + 3) & ~3;
    image.resize(ImageBytes());
    pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
}

void RenderView(FrameView& view) {
    Histogram& h = view.histogram;
    for (auto& channel : h.counts) {
        channel.fill(0);
    }
    h.atZero.fill(0);
    h.atFullScale.fill(0);
    h.colour = IsColour(view.bitsPerPixel);
    h.samples = static_cast<uint32_t>(view.width) * static_cast<uint32_t>(view.height);
    if (view.image.size() < view.ImageBytes() || view.pixels.size() < h.samples) {
        h.samples = 0;
        return;
    }
    const int full = FullScale(view.bitsPerPixel);
    const int shift = IsWide(view.bitsPerPixel) ? 2 : 0;
    const int bytes = BytesPerPixel(view.bitsPerPixel);
    auto count = [&](int channel, int value) {
        ++h.counts[channel][value >> shift];
        h.atZero[channel] += value == 0;
        h.atFullScale[channel] += value >= full;
    };
    for (int y = 0; y < view.height; ++y) {
        const uint8_t* row = view.image.data() + static_cast<size_t>(y) * static_cast<size_t>(view.stride);
        uint32_t* out = view.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(view.width);
        for (int x = 0; x < view.width; ++x) {
            int r = 0, g = 0, b = 0;
            Samples(row + x * bytes, view.bitsPerPixel, r, g, b);
            if (h.colour) {
                count(Histogram::kRed, r);
                count(Histogram::kGreen, g);
                count(Histogram::kBlue, b);
                // Rec. 601 weights in 1/256ths.
                count(Histogram::kLuminance, (77 * r + 150 * g + 29 * b) >> 8);
            } else {
                count(Histogram::kLuminance, g);
            }
            const uint32_t r8 = static_cast<uint32_t>(r >> shift);
            const uint32_t g8 = static_cast<uint32_t>(g >> shift);
            const uint32_t b8 = static_cast<uint32_t>(b >> shift);
            out[x] = (r8 << 16) | (g8 << 8) | b8;
        }
    }
}

std::string PixelValues(const FrameView& view, int x, int y) {
    if (x < 0 || y < 0 || x >= view.width || y >= view.height || view.image.size() < view.ImageBytes()) {
        return {};
    }
    const uint8_t* p = view.image.data() + static_cast<size_t>(y) * static_cast<size_t>(view.stride) +
                       static_cast<size_t>(x) * static_cast<size_t>(BytesPerPixel(view.bitsPerPixel));
    int r = 0, g = 0, b = 0;
    Samples(p, view.bitsPerPixel, r, g, b);
    if (!IsColour(view.bitsPerPixel)) {
        return "gray " + std::to_string(g);
    }
    return "R " + std::to_string(r) + "  G " + std::to_string(g) + "  B " + std::to_string(b);
}

}  // namespace tavrin::viewer
