// The preview surface: a window that shows a bitmap, either as a child of an
// application window or as a top-level window centred on the screen. Win32
// windows with GDI on Windows; X11 windows on POSIX hosts when DISPLAY names
// a reachable display (otherwise no surface can be made).
#pragma once

#include <cstdint>
#include <memory>

#include "platform/messages.h"

namespace tavrin::platform {

// A bitmap in the layout of a device-independent bitmap: rows `stride`
// bytes apart, 8-bit pixels through a 256-entry BGRX colour table, or
// 24-bit pixels in B, G, R order.
struct SurfaceBitmap {
    const uint8_t* bits = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    int32_t bitsPerPixel = 0;
    const uint8_t* colorTable = nullptr;  // 256 x 4 bytes, for 8-bit bitmaps
};

class PreviewSurface {
public:
    // A child window at (x, y) of the parent's client area, or null.
    static std::unique_ptr<PreviewSurface> CreateChild(WindowHandle parent, int32_t x, int32_t y, int32_t width,
                                                       int32_t height, uint32_t classTag);
    // A top-level window whose client area has the given size, centred on
    // the screen (at 0, 0 when the screen is smaller), or null.
    static std::unique_ptr<PreviewSurface> CreateTopLevel(int32_t clientWidth, int32_t clientHeight, uint32_t classTag);

    virtual ~PreviewSurface() = default;

    virtual WindowHandle Handle() const = 0;
    virtual bool Visible() const = 0;
    // The client area's size; false when it cannot be read.
    virtual bool ClientSize(int32_t& width, int32_t& height) const = 0;
    // Shows the bitmap 1:1 from the top-left corner. topRowFirst: memory row
    // 0 is the window's top line; otherwise the last memory row is (as a
    // bottom-up bitmap is shown).
    virtual void Present(const SurfaceBitmap& bitmap, bool topRowFirst) = 0;
};

}  // namespace tavrin::platform
