// The readout region (capture window) and the preview window's placement.
#include "camera/CTavrin.h"

namespace tavrin {

namespace {

void StoreIfWanted(int* out, const std::atomic<int32_t>& field) {
    if (out != nullptr) {
        *out = field.load(std::memory_order_relaxed);
    }
}

}  // namespace

// Hands out the stored window as it is, valid or not; needs no camera.
int CTavrin::GetCaptureWindowEx(int* th, int* ehs, int* eh, int* tv, int* evs, int* ev) const {
    StoreIfWanted(th, capture_.TH);
    StoreIfWanted(ehs, capture_.EHS);
    StoreIfWanted(eh, capture_.EH);
    StoreIfWanted(tv, capture_.TV);
    StoreIfWanted(evs, capture_.EVS);
    StoreIfWanted(ev, capture_.EV);
    return 1;
}

// Nothing is created here: the preview window takes its parent and
// rectangle when an acquisition creates it.
int CTavrin::SetPreviewWindow(platform::WindowHandle parent, int x, int y, int width, int height) {
    if (!RequireDevice()) {
        return 0;
    }
    preview_.parent.store(parent, std::memory_order_relaxed);
    preview_.SetRectangle(x, y, width, height);
    return 1;
}

}  // namespace tavrin
