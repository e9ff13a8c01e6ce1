// The tool's own top-level window for `tavrin preview`. The SDK's preview
// draws into a child of it, so the tool sees what the user does to the
// window: closing it, or pressing q or Escape while it has the focus, ends
// the preview.
#pragma once

#include <memory>
#include <string>

#include "TavrinSdk.h"

namespace tavrin::tool {

class PreviewFrame {
public:
    // A window whose client area is width x height, titled "tavrin preview";
    // null with the reason in `problem` when no window can be made (no display).
    static std::unique_ptr<PreviewFrame> Create(int width, int height, std::string& problem);
    virtual ~PreviewFrame() = default;

    // The parent to give Tavrin_SetPreviewWindow.
    virtual HWND Handle() const = 0;
    // Takes the window's pending events; true once the user closed the
    // window or pressed q or Escape in it.
    virtual bool StopRequested() = 0;
};

}  // namespace tavrin::tool
