// Preview surfaces on Win32: a window of a class registered for it, drawn
// through a device context kept for the window's whole life.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/window.h"

namespace tavrin::platform {
namespace {

constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;                                  // 0x52000000
constexpr DWORD kTopLevelStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;  // 0x16CF0000
constexpr int kChildId = 6540;

class Win32Surface final : public PreviewSurface {
public:
    Win32Surface(HWND window, HDC dc, std::string className)
        : window_(window), dc_(dc), className_(std::move(className)) {}
    ~Win32Surface() override {
        ReleaseDC(window_, dc_);
        DestroyWindow(window_);
        UnregisterClassA(className_.c_str(), GetModuleHandleA(nullptr));
    }

    WindowHandle Handle() const override { return window_; }
    bool Visible() const override { return IsWindowVisible(window_) != FALSE; }
    bool ClientSize(int32_t& width, int32_t& height) const override {
        RECT client{};
        if (!GetClientRect(window_, &client)) {
            return false;
        }
        width = client.right - client.left;
        height = client.bottom - client.top;
        return true;
    }

    void Present(const SurfaceBitmap& bitmap, bool topRowFirst) override {
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colors[256];
        } info{};
        info.header.biSize = sizeof(BITMAPINFOHEADER);
        info.header.biWidth = bitmap.width;
        // A negative height makes memory row 0 the top line.
        info.header.biHeight = topRowFirst ? -bitmap.height : bitmap.height;
        info.header.biPlanes = 1;
        info.header.biBitCount = static_cast<WORD>(bitmap.bitsPerPixel);
        info.header.biCompression = BI_RGB;
        if (bitmap.bitsPerPixel == 8 && bitmap.colorTable != nullptr) {
            std::memcpy(info.colors, bitmap.colorTable, sizeof info.colors);
        }
        StretchDIBits(dc_, 0, 0, bitmap.width, bitmap.height, 0, 0, bitmap.width, bitmap.height, bitmap.bits,
                      reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
    }

private:
    HWND window_;
    HDC dc_;
    std::string className_;
};

// A class of its own for every window, named after its owner and the time.
std::string RegisterSurfaceClass(uint32_t classTag) {
    char name[64];
    std::snprintf(name, sizeof name, "VideoRenderer_%08x_%08x", classTag,
                  static_cast<unsigned>(timeGetTime() + static_cast<DWORD>(std::rand())));
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = name;
    return RegisterClassExA(&windowClass) != 0 ? std::string(name) : std::string();
}

std::unique_ptr<PreviewSurface> Finish(HWND window, const std::string& className) {
    if (window == nullptr) {
        UnregisterClassA(className.c_str(), GetModuleHandleA(nullptr));
        return nullptr;
    }
    SetFocus(window);
    ShowWindow(window, SW_SHOW);
    HDC dc = UpdateWindow(window) ? GetDC(window) : nullptr;
    if (dc == nullptr) {
        DestroyWindow(window);
        UnregisterClassA(className.c_str(), GetModuleHandleA(nullptr));
        return nullptr;
    }
    return std::make_unique<Win32Surface>(window, dc, className);
}

}  // namespace

std::unique_ptr<PreviewSurface> PreviewSurface::CreateChild(WindowHandle parent, int32_t x, int32_t y, int32_t width,
                                                            int32_t height, uint32_t classTag) {
    const std::string className = RegisterSurfaceClass(classTag);
    if (className.empty()) {
        return nullptr;
    }
    HWND window = CreateWindowExA(0, className.c_str(), "ActiveMovie Window", kChildStyle, x, y, width, height,
                                  static_cast<HWND>(parent), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kChildId)),
                                  GetModuleHandleA(nullptr), nullptr);
    return Finish(window, className);
}

std::unique_ptr<PreviewSurface> PreviewSurface::CreateTopLevel(int32_t clientWidth, int32_t clientHeight,
                                                               uint32_t classTag) {
    RECT frame{0, 0, clientWidth, clientHeight};
    if (!AdjustWindowRectEx(&frame, kTopLevelStyle, FALSE, 0)) {
        return nullptr;
    }
    const std::string className = RegisterSurfaceClass(classTag);
    if (className.empty()) {
        return nullptr;
    }
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    HWND window = CreateWindowExA(0, className.c_str(), "Active Window", kTopLevelStyle, x < 0 ? 0 : x, y < 0 ? 0 : y,
                                  width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return Finish(window, className);
}

}  // namespace tavrin::platform
