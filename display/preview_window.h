// The preview window: a plain surface that shows every processed frame,
// either as a child of the application's window or as a top-level window
// sized to the image. The acquisition thread draws into it under the frame
// lock; the thread that starts or closes acquisition creates and destroys it.
#pragma once

#include <cstdint>
#include <memory>

#include "imaging/color_mode.h"
#include "platform/messages.h"

namespace tavrin {

namespace platform {
class PreviewSurface;
}

struct PreviewRequest {
    platform::WindowHandle parent = nullptr;  // null: a top-level window
    int32_t x = 0, y = 0, width = 0, height = 0;
    int32_t clientWidth = 0, clientHeight = 0;  // the image size, for a top-level window
    uint32_t ownerTag = 0;                      // names the window class
};

class PreviewWindow {
public:
    PreviewWindow();
    ~PreviewWindow();
    PreviewWindow(const PreviewWindow&) = delete;
    PreviewWindow& operator=(const PreviewWindow&) = delete;

    // A window is asked for when a parent is set or any of the four numbers
    // is not 0.
    static bool IsConfigured(const PreviewRequest& request);

    // Creates the window, or keeps the one an earlier start left open, so
    // there is never more than one. False when no window can be made.
    bool Open(const PreviewRequest& request);
    bool IsOpen() const;
    void Close();

    // Sizes the display image to the window's client area for a colour mode
    // (8-bit gray for the monochrome modes, 24-bit otherwise).
    void PrepareDisplayImage(const ImageSet& images, int32_t mode);
    // Shows the output image of the mode; nothing when the window is hidden
    // or has no area.
    void Draw(const ImageSet& images, int32_t mode);

private:
    std::unique_ptr<platform::PreviewSurface> surface_;
};

}  // namespace tavrin
