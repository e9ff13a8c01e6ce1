// The preview's top-level window on X11, on a display connection of the
// tool's own: the SDK's child window has another, so the two never share one.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdint>
#include <cstdlib>

#include "tools/tool_preview_window.h"

namespace tavrin::tool {
namespace {

class X11PreviewFrame final : public PreviewFrame {
public:
    X11PreviewFrame(Display* display, Window window) : display_(display), window_(window) {
        deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display_, window_, &deleteWindow_, 1);
    }
    ~X11PreviewFrame() override {
        XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }

    HWND Handle() const override { return reinterpret_cast<HWND>(static_cast<uintptr_t>(window_)); }

    // Keys pressed over the SDK's child window reach this window too: the
    // child does not take them, so the server passes them up to the parent.
    bool StopRequested() override {
        while (!stop_ && XPending(display_) > 0) {
            XEvent event{};
            XNextEvent(display_, &event);
            if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_) {
                stop_ = true;
            } else if (event.type == DestroyNotify && event.xdestroywindow.window == window_) {
                stop_ = true;
            } else if (event.type == KeyPress) {
                const KeySym key = XLookupKeysym(&event.xkey, 0);
                stop_ = key == XK_q || key == XK_Q || key == XK_Escape;
            }
        }
        return stop_;
    }

private:
    Display* display_;
    Window window_;
    Atom deleteWindow_ = 0;
    bool stop_ = false;
};

}  // namespace

std::unique_ptr<PreviewFrame> PreviewFrame::Create(int width, int height, std::string& problem) {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        problem = "the preview needs a display, and DISPLAY is not set";
        return nullptr;
    }
    Display* display = XOpenDisplay(name);
    if (display == nullptr) {
        problem = std::string("the preview cannot open the display '") + name + "'";
        return nullptr;
    }
    const int screen = DefaultScreen(display);
    const int x = (DisplayWidth(display, screen) - width) / 2;
    const int y = (DisplayHeight(display, screen) - height) / 2;
    const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), x < 0 ? 0 : x, y < 0 ? 0 : y,
                                              static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                                              BlackPixel(display, screen), BlackPixel(display, screen));
    XStoreName(display, window, "tavrin preview");
    // The image has one size: the window keeps it.
    XSizeHints* hints = XAllocSizeHints();
    if (hints != nullptr) {
        hints->flags = PMinSize | PMaxSize;
        hints->min_width = hints->max_width = width;
        hints->min_height = hints->max_height = height;
        XSetWMNormalHints(display, window, hints);
        XFree(hints);
    }
    XSelectInput(display, window, KeyPressMask | StructureNotifyMask);
    XMapWindow(display, window);
    XSync(display, False);
    return std::make_unique<X11PreviewFrame>(display, window);
}

}  // namespace tavrin::tool
