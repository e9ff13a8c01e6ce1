// Preview surfaces on X11. Each surface has its own display connection; the
// thread that creates it and the acquisition thread that draws into it never
// use it at the same time (the window is closed only after acquisition ends).
// A parent window on POSIX hosts is an X11 window id.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <vector>

#include "platform/window.h"

namespace tavrin::platform {
namespace {

// Xlib's default error handler ends the process; a bad parent window id must
// only make the window creation fail. Errors on the surfaces' own
// connections are ignored, others go to the handler that was there before.
std::mutex g_displaysLock;
std::set<Display*> g_displays;
XErrorHandler g_previousHandler = nullptr;

int OnXError(Display* display, XErrorEvent* event) {
    {
        std::lock_guard lock(g_displaysLock);
        if (g_displays.count(display) != 0) {
            return 0;
        }
    }
    return g_previousHandler != nullptr ? g_previousHandler(display, event) : 0;
}

void Track(Display* display, bool add) {
    static std::once_flag installed;
    std::call_once(installed, [] { g_previousHandler = XSetErrorHandler(OnXError); });
    std::lock_guard lock(g_displaysLock);
    if (add) {
        g_displays.insert(display);
    } else {
        g_displays.erase(display);
    }
}

void CloseDisplay(Display* display) {
    Track(display, false);
    XCloseDisplay(display);
}

// A window manager ends a client that does not take part in its close
// protocol, and Xlib then ends the whole process. The surface takes part: a
// close request hides the window (the stream goes on without drawing, as it
// does into a closed window on Windows), and Close removes it.
class X11Surface final : public PreviewSurface {
public:
    X11Surface(Display* display, Window window) : display_(display), window_(window) {
        gc_ = XCreateGC(display_, window_, 0, nullptr);
        deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display_, window_, &deleteWindow_, 1);
    }
    ~X11Surface() override {
        XFreeGC(display_, gc_);
        XDestroyWindow(display_, window_);
        CloseDisplay(display_);
    }

    WindowHandle Handle() const override { return reinterpret_cast<WindowHandle>(window_); }

    bool Visible() const override {
        TakeCloseRequests();
        XWindowAttributes attributes{};
        return XGetWindowAttributes(display_, window_, &attributes) != 0 && attributes.map_state == IsViewable;
    }

    bool ClientSize(int32_t& width, int32_t& height) const override {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display_, window_, &attributes) == 0) {
            return false;
        }
        width = attributes.width;
        height = attributes.height;
        return true;
    }

    void Present(const SurfaceBitmap& bitmap, bool topRowFirst) override {
        if (bitmap.bits == nullptr || bitmap.width <= 0 || bitmap.height <= 0) {
            return;
        }
        const int32_t width = bitmap.width;
        const int32_t height = bitmap.height;
        pixels_.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* row = bitmap.bits + static_cast<size_t>(topRowFirst ? y : height - 1 - y) * bitmap.stride;
            uint32_t* out = pixels_.data() + static_cast<size_t>(y) * width;
            for (int32_t x = 0; x < width; ++x) {
                const uint8_t* bgr = bitmap.bitsPerPixel == 8 ? bitmap.colorTable + row[x] * 4 : row + x * 3;
                out[x] = uint32_t{bgr[0]} | uint32_t{bgr[1]} << 8 | uint32_t{bgr[2]} << 16;
            }
        }
        Visual* visual = DefaultVisual(display_, DefaultScreen(display_));
        XImage* image = XCreateImage(display_, visual, 24, ZPixmap, 0, reinterpret_cast<char*>(pixels_.data()),
                                     static_cast<unsigned>(width), static_cast<unsigned>(height), 32, width * 4);
        if (image == nullptr) {
            return;
        }
        XPutImage(display_, window_, gc_, image, 0, 0, 0, 0, static_cast<unsigned>(width),
                  static_cast<unsigned>(height));
        image->data = nullptr;  // the pixels belong to this surface
        XDestroyImage(image);
        XFlush(display_);
    }

private:
    // The only events the surface receives are client messages; a close
    // request unmaps the window.
    void TakeCloseRequests() const {
        while (XPending(display_) > 0) {
            XEvent event{};
            XNextEvent(display_, &event);
            if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_) {
                XUnmapWindow(display_, window_);
                XFlush(display_);
            }
        }
    }

    Display* display_;
    Window window_;
    Atom deleteWindow_ = 0;
    GC gc_{};
    std::vector<uint32_t> pixels_;
};

// Only 24-bit TrueColor displays are served; others get no surface.
Display* OpenDisplay() {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        return nullptr;
    }
    Display* display = XOpenDisplay(name);
    if (display != nullptr && DefaultDepth(display, DefaultScreen(display)) < 24) {
        XCloseDisplay(display);
        return nullptr;
    }
    if (display != nullptr) {
        Track(display, true);
    }
    return display;
}

std::unique_ptr<PreviewSurface> MakeWindow(Display* display, Window parent, int32_t x, int32_t y, int32_t width,
                                           int32_t height, const char* title) {
    if (width <= 0 || height <= 0) {
        CloseDisplay(display);
        return nullptr;
    }
    const int screen = DefaultScreen(display);
    const Window window =
        XCreateSimpleWindow(display, parent, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                            BlackPixel(display, screen), BlackPixel(display, screen));
    XSync(display, False);
    XWindowAttributes attributes{};
    if (window == 0 || XGetWindowAttributes(display, window, &attributes) == 0) {
        CloseDisplay(display);  // a bad parent: the creation failed
        return nullptr;
    }
    XStoreName(display, window, title);
    XMapWindow(display, window);
    XSync(display, False);
    return std::make_unique<X11Surface>(display, window);
}

}  // namespace

std::unique_ptr<PreviewSurface> PreviewSurface::CreateChild(WindowHandle parent, int32_t x, int32_t y, int32_t width,
                                                            int32_t height, uint32_t) {
    Display* display = OpenDisplay();
    if (display == nullptr) {
        return nullptr;
    }
    return MakeWindow(display, static_cast<Window>(reinterpret_cast<uintptr_t>(parent)), x, y, width, height,
                      "ActiveMovie Window");
}

std::unique_ptr<PreviewSurface> PreviewSurface::CreateTopLevel(int32_t clientWidth, int32_t clientHeight, uint32_t) {
    Display* display = OpenDisplay();
    if (display == nullptr) {
        return nullptr;
    }
    const int screen = DefaultScreen(display);
    const int32_t x = (DisplayWidth(display, screen) - clientWidth) / 2;
    const int32_t y = (DisplayHeight(display, screen) - clientHeight) / 2;
    return MakeWindow(display, RootWindow(display, screen), x < 0 ? 0 : x, y < 0 ? 0 : y, clientWidth, clientHeight,
                      "Active Window");
}

}  // namespace tavrin::platform
