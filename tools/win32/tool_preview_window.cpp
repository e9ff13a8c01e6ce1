// The preview's top-level window on Windows. The SDK's child window is made
// on this thread when the preview starts, so the tool's message loop
// (WaitSdkMessage) dispatches both windows' messages.
#include <windows.h>

#include <string>

#include "tools/tool_preview_window.h"

namespace tavrin::tool {
namespace {

constexpr const char* kClassName = "TavrinToolPreview";

class Win32PreviewFrame final : public PreviewFrame {
public:
    explicit Win32PreviewFrame(HWND window) : window_(window) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Win32PreviewFrame() override {
        if (IsWindow(window_)) {
            SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
            DestroyWindow(window_);
        }
    }

    HWND Handle() const override { return window_; }

    // The tool's message loop (WaitSdkMessage) dispatches the window's
    // messages to Procedure, which marks a stop.
    bool StopRequested() override { return stop_ || !IsWindow(window_); }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Win32PreviewFrame*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        const bool stopKey = message == WM_KEYDOWN && (wParam == VK_ESCAPE || wParam == 'Q');
        if (self != nullptr && (message == WM_CLOSE || message == WM_DESTROY || stopKey)) {
            self->stop_ = true;
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

private:
    HWND window_;
    bool stop_ = false;
};

}  // namespace

std::unique_ptr<PreviewFrame> PreviewFrame::Create(int width, int height, std::string& problem) {
    static const ATOM registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = Win32PreviewFrame::Procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        windowClass.lpszClassName = kClassName;
        return RegisterClassA(&windowClass);
    }();
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame{0, 0, width, height};
    AdjustWindowRect(&frame, style, FALSE);
    const int outerWidth = frame.right - frame.left;
    const int outerHeight = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2;
    HWND window = registered == 0 ? nullptr
                                  : CreateWindowExA(0, kClassName, "tavrin preview", style, x < 0 ? 0 : x,
                                                    y < 0 ? 0 : y, outerWidth, outerHeight, nullptr, nullptr,
                                                    GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) {
        problem = "the preview window could not be made (error " + std::to_string(GetLastError()) + ")";
        return nullptr;
    }
    auto made = std::make_unique<Win32PreviewFrame>(window);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return made;
}

}  // namespace tavrin::tool
