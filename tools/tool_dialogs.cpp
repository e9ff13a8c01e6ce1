#include "tools/tool_dialogs.h"

#include <cstdio>
#include <initializer_list>
#include <optional>

#include "TavrinEx.h"
#include "TavrinSdk.h"
#include "tools/tool_report.h"
#include "tools/tool_settings.h"

namespace tavrin::tool {
namespace {

void Print(int camera, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        const auto setting = FindSetting(name);
        const auto value = setting ? GetSetting(camera, *setting) : std::nullopt;
        if (value)
            std::printf("%s = %d\n", name, *value);
    }
}

}  // namespace

int RunDialog(int camera, const std::string& which) {
    using Open = int (*)(int, HWND);
    Open open = which == "camera"   ? Tavrin_SetCameraDlg
                : which == "analog" ? Tavrin_SetAnalogDlg
                : which == "image"  ? Tavrin_SetImageDlg
                                    : nullptr;
    if (!open)
        return 2;
    // The dialog exports answer 1 even when no window could be made, so
    // the reason is asked for first and told.
    char reason[512];
    if (TavrinEx_CanShowDialogs(reason, sizeof reason) == 0) {
        std::fprintf(stderr, "tavrin: cannot show the %s dialog: %s\n", which.c_str(), reason);
        return 1;
    }
    // The analog and image dialogs act on the running picture, so a preview
    // window shows every change at once.
    const bool live = which != "camera" && Tavrin_Preview(camera) == 1;
    const int shown = open(camera, nullptr);
    if (live)
        Tavrin_StopPreview(camera);
    if (!shown)
        return Fail(camera, "opening the " + which + " dialog");
    if (which == "camera") {
        Print(camera, {"color-mode", "wait-time"});
        std::printf("size = %d x %d\n", Tavrin_Width(camera), Tavrin_Height(camera));
    } else if (which == "analog") {
        Print(camera, {"gain", "exposure-lines", "mirror-v", "mirror-h", "auto-iris"});
    } else {
        Print(camera,
              {"brightness", "contrast", "hue", "saturation", "sharpness", "bayer-gain-red", "bayer-gain-green",
               "bayer-gain-blue", "gamma", "bayer-mode", "gray-mode", "gray-gain-r", "gray-gain-g1", "gray-gain-g2",
               "gray-gain-b", "gray-offset-r", "gray-offset-g1", "gray-offset-g2", "gray-offset-b"});
    }
    return 0;
}

}  // namespace tavrin::tool
