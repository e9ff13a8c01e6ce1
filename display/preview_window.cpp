#include "display/preview_window.h"

#include "imaging/dib_image.h"
#include "imaging/kernels/depth.h"
#include "imaging/kernels/scale.h"
#include "platform/window.h"

namespace tavrin {

PreviewWindow::PreviewWindow() = default;
PreviewWindow::~PreviewWindow() = default;

bool PreviewWindow::IsConfigured(const PreviewRequest& request) {
    return request.parent != nullptr || request.x != 0 || request.y != 0 || request.width != 0 || request.height != 0;
}

bool PreviewWindow::Open(const PreviewRequest& request) {
    if (surface_) {
        return true;  // one window: an earlier start's window is reused
    }
    if (request.parent != nullptr) {
        surface_ = platform::PreviewSurface::CreateChild(request.parent, request.x, request.y, request.width,
                                                         request.height, request.ownerTag);
    } else if (IsConfigured(request)) {
        surface_ =
            platform::PreviewSurface::CreateTopLevel(request.clientWidth, request.clientHeight, request.ownerTag);
    }
    return surface_ != nullptr;
}

bool PreviewWindow::IsOpen() const { return surface_ != nullptr; }

void PreviewWindow::Close() { surface_.reset(); }

namespace {

// The image the window shows for a mode, converted first where the mode
// needs it; null for a mode that shows nothing.
CDibImage* ShownImage(const ImageSet& images, int32_t mode) {
    switch (mode) {
    case MODE_MONO8:
        return images.image8;
    case MODE_MONO16:
        images.image8->Convert(Gray16To8, *images.image16);
        return images.image8;
    case MODE_RGB24:
        return images.image24;
    case MODE_RGB32:
        images.image24->Convert(Rgb32To24, *images.image32);
        return images.image24;
    case MODE_RGB48:
        images.image24->Convert(Rgb48To24, *images.image48);
        return images.image24;
    case MODE_RGB64:
        images.image24->Convert(Rgb48To24, *images.image64);
        return images.image24;
    default:
        return nullptr;
    }
}

platform::SurfaceBitmap BitmapOf(const CDibImage& image) {
    return platform::SurfaceBitmap{image.Bits(),   image.Width(),    image.Height(),
                                   image.Stride(), image.BitCount(), reinterpret_cast<const uint8_t*>(image.Palette())};
}

}  // namespace

void PreviewWindow::PrepareDisplayImage(const ImageSet& images, int32_t mode) {
    int32_t width = 0;
    int32_t height = 0;
    if (!surface_ || !surface_->Visible() || !surface_->ClientSize(width, height) || width <= 0 || height <= 0) {
        return;
    }
    images.display->Create(width, height, IsMonoMode(mode) ? 8 : 24);
}

void PreviewWindow::Draw(const ImageSet& images, int32_t mode) {
    if (!surface_) {
        return;
    }
    CDibImage* shown = ShownImage(images, mode);
    int32_t width = 0;
    int32_t height = 0;
    if (shown == nullptr || shown->IsEmpty() || !surface_->Visible() || !surface_->ClientSize(width, height) ||
        width <= 0 || height <= 0) {
        return;
    }
    // The direct path copies the frame 1:1; monochrome 10-bit frames always
    // go through the display image, as do frames of another size.
    if (width == shown->Width() && height == shown->Height() && mode != MODE_MONO16) {
        surface_->Present(BitmapOf(*shown), true);
        return;
    }
    CDibImage& display = *images.display;
    const int32_t bits = IsMonoMode(mode) ? 8 : 24;
    if (display.Width() != width || display.Height() != height || display.BitCount() != bits) {
        display.Release();
        if (!display.Create(width, height, bits)) {
            return;
        }
    }
    display.ConvertScaled(IsMonoMode(mode) ? ScaleGray8 : ScaleRgb24, *shown);
    surface_->Present(BitmapOf(display), false);
}

}  // namespace tavrin
