// tavrin-viewer [--sim SLOTS] [--device N] [--output-dir DIR]
//
// Shows a camera live, with its settings, histogram and readout region,
// and takes pictures and video of it into the output folder.
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "viewer/viewer_window.h"

namespace {

constexpr const char* kUsage =
    "usage: tavrin-viewer [--sim SLOTS] [--device N] [--output-dir DIR]\n"
    "  --sim SLOTS       run on the simulated camera (as TAVRIN_SIM, e.g. 0 or \"0,2;pattern=3\")\n"
    "  --device N        the camera's device slot (0 to 31; default: the first camera found)\n"
    "  --output-dir DIR  where Ctrl+S and Ctrl+R save (default: the Pictures folder)\n";

bool ParseSlot(const char* text, int& slot) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > 31) {
        return false;
    }
    slot = static_cast<int>(value);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    tavrin::viewer::ViewerOptions options;
    const char* simulator = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--sim" && hasValue) {
            simulator = argv[++i];
        } else if (arg == "--device" && hasValue && ParseSlot(argv[i + 1], options.slot)) {
            ++i;
        } else if (arg == "--output-dir" && hasValue && *argv[i + 1]) {
            options.outputDir = argv[++i];
        } else {
            std::fprintf(stderr, "tavrin-viewer: bad argument '%s'\n%s", arg.c_str(), kUsage);
            return 2;
        }
    }
    // The library reads TAVRIN_SIM when it first needs the driver, so it is
    // set before any call into it.
    if (simulator) {
        g_setenv("TAVRIN_SIM", simulator, TRUE);
    }
    if (options.outputDir.empty()) {
        const char* pictures = g_get_user_special_dir(G_USER_DIRECTORY_PICTURES);
        options.outputDir = pictures ? pictures : g_get_home_dir();
    }
    if (!gtk_init_check(nullptr, nullptr)) {
        std::fprintf(stderr, "tavrin-viewer: cannot open the display (is DISPLAY set?)\n");
        return 1;
    }
    g_set_prgname("tavrin-viewer");
    tavrin::viewer::ViewerWindow window(options);
    if (!window.Start()) {
        std::fprintf(stderr, "tavrin-viewer: the camera library could not make a camera handle\n");
        return 1;
    }
    gtk_main();
    return 0;
}
