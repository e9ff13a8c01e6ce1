// tavrin: the SDK's command-line tool, built on the public exports only.
//
//   tavrin [--sim SLOTS] [--device N] COMMAND [options]
//
// Commands: list, info, snap, record, stream, get, set, dialog. Run `tavrin help`.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "TavrinSdk.h"
#include "tools/tool_dialogs.h"
#include "tools/tool_messages.h"
#include "tools/tool_settings.h"

namespace {

using tavrin::tool::SdkMessage;

struct Options {
    std::string command;
    std::vector<std::string> arguments;
    std::string output;
    std::string format = "bmp";
    int mode = 24;
    int milliseconds = 3000;
    int frames = 30;
    int device = 0;
};

const char* ErrorName(int code) {
    switch (code) {
    case SDKERR_NOT_READY: return "SDKERR_NOT_READY";
    case SDKERR_DEVICE: return "SDKERR_DEVICE";
    case SDKERR_THREAD: return "SDKERR_THREAD";
    case SDKERR_WINDOW: return "SDKERR_WINDOW";
    case SDKERR_BUFFER: return "SDKERR_BUFFER";
    case SDKERR_DEVICE_IO: return "SDKERR_DEVICE_IO";
    case SDKERR_CAPTURE_WINDOW: return "SDKERR_CAPTURE_WINDOW";
    case SDKERR_FRAME: return "SDKERR_FRAME";
    case SDKERR_PARAMETER: return "SDKERR_PARAMETER";
    case SDKERR_UNSUPPORTED: return "SDKERR_UNSUPPORTED";
    case SDKERR_FILE: return "SDKERR_FILE";
    case SDKERR_TRANSFER: return "SDKERR_TRANSFER";
    default: return "unknown error";
    }
}

// Prints what failed and every code the SDK queued for it, newest first.
int Fail(int camera, const char* what) {
    std::fprintf(stderr, "tavrin: %s failed", what);
    const char* separator = ":";
    for (int code = Tavrin_GetLastError(camera); code != 0; code = Tavrin_GetLastError(camera)) {
        std::fprintf(stderr, "%s error %d (%s)", separator, code, ErrorName(code));
        separator = ",";
    }
    std::fprintf(stderr, "\n");
    return 1;
}

int Usage(const char* problem) {
    if (problem != nullptr) {
        std::fprintf(stderr, "tavrin: %s\n\n", problem);
    }
    std::fprintf(problem != nullptr ? stderr : stdout,
                 "usage: tavrin [--sim SLOTS] [--device N] COMMAND [options]\n"
                 "  list                         cameras found\n"
                 "  info                         sensor, limits and current settings\n"
                 "  snap -o FILE [--format bmp|raw|jpeg|jpeg70|jpeg20|png|tiff] [--mode 8|16|24|32|48|64]\n"
                 "  record -o FILE.avi [--ms N] [--mode ...]   record N milliseconds of video\n"
                 "  stream [--frames N] [--mode ...]            receive frames, print rate and levels\n"
                 "  dialog camera|analog|image   a built-in dialog; prints the settings it leaves\n"
                 "  get NAME | set NAME VALUE    a setting; names:\n%s"
                 "--sim SLOTS runs on the simulated camera (e.g. --sim 0 or --sim \"0,2;pattern=3\").\n",
                 tavrin::tool::SettingNames().c_str());
    return problem != nullptr ? 2 : 0;
}

bool ParseInt(const std::string& text, int& value) {
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || parsed < INT32_MIN || parsed > INT32_MAX) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

// Returns an error text, or null when the command line made sense.
const char* ParseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        auto intValue = [&](int& target) { return hasValue && ParseInt(argv[++i], target); };
        if (arg == "--sim" && hasValue) {
            tavrin::tool::SetToolEnvironment("TAVRIN_SIM", argv[++i]);
        } else if (arg == "--device") {
            if (!intValue(options.device)) return "--device needs a slot number";
        } else if (arg == "-o" && hasValue) {
            options.output = argv[++i];
        } else if (arg == "--format" && hasValue) {
            options.format = argv[++i];
        } else if (arg == "--mode") {
            if (!intValue(options.mode)) return "--mode needs 8, 16, 24, 32, 48 or 64";
        } else if (arg == "--ms") {
            if (!intValue(options.milliseconds) || options.milliseconds <= 0) return "--ms needs a positive number";
        } else if (arg == "--frames") {
            if (!intValue(options.frames) || options.frames <= 0) return "--frames needs a positive number";
        } else if (!arg.empty() && arg[0] == '-') {
            return "unknown option";
        } else if (options.command.empty()) {
            options.command = arg;
        } else {
            options.arguments.push_back(arg);
        }
    }
    return options.command.empty() ? "no command given" : nullptr;
}

int FormatCode(const std::string& format) {
    static const std::map<std::string, int> codes = {{"bmp", 0},    {"raw", 1},  {"jpeg", 2}, {"jpg", 2},
                                                     {"jpeg70", 3}, {"jpeg20", 4}, {"png", 5}, {"tiff", 6},
                                                     {"tif", 6}};
    const auto it = codes.find(format);
    return it == codes.end() ? -1 : it->second;
}

int List(int camera) {
    std::vector<char> names(10 * 256, '\0');
    const int count = Tavrin_EnumDevice(camera, names.data());
    if (count == 0 && Tavrin_GetLastError(camera) != 0) {
        return Fail(camera, "listing cameras");
    }
    std::printf("%d camera(s) found\n", count);
    for (int i = 0; i < count && i < 10; ++i) {
        std::printf("  %s\n", &names[static_cast<size_t>(i) * 256]);
    }
    return 0;
}

int Info(int camera) {
    TavrinCameraInfo info{};
    info.size = sizeof info;
    if (!Tavrin_GetCameraInfo(camera, &info)) {
        return Fail(camera, "reading the camera information");
    }
    int error = 0;
    std::printf("SDK version        %d\n", Tavrin_GetDllVersion());
    std::printf("sensor             %d x %d\n", info.sensorWidth, info.sensorHeight);
    std::printf("gain range         %d..%d (now %d)\n", info.globalGainMin, info.globalGainMax,
                Tavrin_GetGlobalGain(camera, &error));
    std::printf("exposure range     %d..%d lines (now %d lines, %d us)\n", info.exposureMinLines,
                info.exposureMaxLines, Tavrin_GetExposureTime(camera, &error),
                Tavrin_GetRealExposureTime(camera, &error));
    std::printf("image              %d x %d, colour mode %d bits\n", Tavrin_Width(camera), Tavrin_Height(camera),
                Tavrin_GetColorMode(camera));
    return 0;
}

// Every capture runs without a preview window: this is a terminal tool.
bool PrepareCapture(int camera, const Options& options) {
    return Tavrin_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0) && Tavrin_SetColorMode(camera, options.mode);
}

int Snap(int camera, const Options& options) {
    const int code = FormatCode(options.format);
    if (options.output.empty() || code < 0) {
        return Usage("snap needs -o FILE and a known --format");
    }
    if (!PrepareCapture(camera, options)) {
        return Fail(camera, "setting up the capture");
    }
    if (!Tavrin_SnapShot(camera, nullptr, 0, 1)) {
        return Fail(camera, "taking a snapshot");
    }
    if (!Tavrin_SaveImage(camera, options.output.c_str(), code)) {
        return Fail(camera, "saving the image");
    }
    std::printf("saved %d x %d image to %s\n", Tavrin_Width(camera), Tavrin_Height(camera), options.output.c_str());
    return 0;
}

int Record(int camera, HWND window, const Options& options) {
    if (options.output.empty()) {
        return Usage("record needs -o FILE.avi");
    }
    if (!PrepareCapture(camera, options)) {
        return Fail(camera, "setting up the recording");
    }
    if (!Tavrin_Record(camera, options.output.c_str(), options.milliseconds, 0)) {
        return Fail(camera, "starting the recording");
    }
    // The recording ends by itself after the duration, counted from its
    // first frame; allow a little more before stopping the stream.
    const int total = options.milliseconds + 1000;
    int failure = 0;
    for (int elapsed = 0; elapsed < total && failure == 0; elapsed += 250) {
        std::printf("\rrecording %s: %d.%d s of %d.%d s", options.output.c_str(), elapsed / 1000,
                    (elapsed % 1000) / 100, options.milliseconds / 1000, (options.milliseconds % 1000) / 100);
        std::fflush(stdout);
        SdkMessage message{};
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(250);
        while (tavrin::tool::WaitSdkMessage(window, message, 50)) {
            if (message.message == WM_SDK_ERROR) {
                failure = static_cast<int>(message.lParam);
            }
        }
        std::this_thread::sleep_until(until);
    }
    std::printf("\n");
    Tavrin_StopPreview(camera);
    if (failure != 0) {
        std::fprintf(stderr, "tavrin: recording ended with error %d (%s)\n", failure, ErrorName(failure));
        return 1;
    }
    std::printf("recorded %s\n", options.output.c_str());
    return 0;
}

// The mean sample of an image, for a quick look at the level.
double MeanLevel(const std::vector<BYTE>& image, int bitsPerPixel) {
    if (image.empty()) {
        return 0;
    }
    double sum = 0;
    if (bitsPerPixel == 16 || bitsPerPixel == 48 || bitsPerPixel == 64) {
        for (size_t i = 0; i + 1 < image.size(); i += 2) {
            sum += image[i] | (image[i + 1] << 8);
        }
        return sum / static_cast<double>(image.size() / 2);
    }
    for (BYTE b : image) {
        sum += b;
    }
    return sum / static_cast<double>(image.size());
}

// The SDK rewrites the frame record for every frame, field by field; a
// field is read whole.
int32_t ReadField(const int32_t& field) {
    return std::atomic_ref<int32_t>(const_cast<int32_t&>(field)).load(std::memory_order_relaxed);
}

// Frames are announced without a buffer of the caller's: each frame's
// statistics come from Tavrin_GetImage, which copies the current image under
// the SDK's frame lock, so the next frame never overwrites it half-read.
int Stream(int camera, HWND window, const Options& options) {
    if (!PrepareCapture(camera, options)) {
        return Fail(camera, "setting up the stream");
    }
    const int bytesPerPixel = options.mode / 8;
    const int stride = (Tavrin_Width(camera) * bytesPerPixel + 3) & ~3;
    std::vector<BYTE> image(static_cast<size_t>(stride) * static_cast<size_t>(Tavrin_Height(camera)));
    if (!Tavrin_CallBackPreview(camera, window, nullptr, 0, 1)) {
        return Fail(camera, "starting the stream");
    }
    int frames = 0;
    int result = 0;
    const auto start = std::chrono::steady_clock::now();
    while (frames < options.frames) {
        SdkMessage message{};
        if (!tavrin::tool::WaitSdkMessage(window, message, 10000)) {
            std::fprintf(stderr, "tavrin: no frame for 10 s\n");
            result = 1;
            break;
        }
        if (message.message == WM_SDK_ERROR || (message.message == WM_SDK_FRAME && message.wParam == 0)) {
            std::fprintf(stderr, "tavrin: error %d (%s)\n", static_cast<int>(message.lParam),
                         ErrorName(static_cast<int>(message.lParam)));
            result = 1;
            break;
        }
        const auto* info = reinterpret_cast<const TavrinFrameInfo*>(message.wParam);
        const int bits = ReadField(info->bitsPerPixel);
        const int rate = ReadField(info->frameRate);
        const double mean =
            Tavrin_GetImage(camera, image.data(), static_cast<int>(image.size()), 1) ? MeanLevel(image, bits) : 0.0;
        ++frames;
        std::printf("frame %4d  %d x %d  %2d bpp  rate %d.%d fps  mean %.1f\n", frames, ReadField(info->width),
                    ReadField(info->height), bits, rate / 10, rate % 10, mean);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Tavrin_StopPreview(camera);
    if (frames > 0) {
        std::printf("%d frames in %.2f s: %.1f frames per second\n", frames, seconds, frames / seconds);
    }
    return result;
}

int Get(int camera, const Options& options) {
    if (options.arguments.size() != 1) {
        return Usage("get needs one setting name");
    }
    bool known = false;
    const auto value = tavrin::tool::GetSetting(camera, options.arguments[0], known);
    if (!known) {
        return Usage("unknown setting");
    }
    if (!value) {
        return Fail(camera, "reading the setting");
    }
    std::printf("%s = %d\n", options.arguments[0].c_str(), *value);
    return 0;
}

int Set(int camera, const Options& options) {
    int value = 0;
    if (options.arguments.size() != 2 || !ParseInt(options.arguments[1], value)) {
        return Usage("set needs a setting name and a number");
    }
    bool known = false;
    const bool done = tavrin::tool::SetSetting(camera, options.arguments[0], value, known);
    if (!known) {
        return Usage("unknown setting");
    }
    if (!done) {
        return Fail(camera, "changing the setting");
    }
    std::printf("%s = %d\n", options.arguments[0].c_str(), value);
    return 0;
}

int Dialog(int camera, const Options& options) {
    if (options.arguments.size() != 1) {
        return Usage("dialog needs camera, analog or image");
    }
    const int result = tavrin::tool::RunDialog(camera, options.arguments[0]);
    if (result == 2) {
        return Usage("dialog needs camera, analog or image");
    }
    return result == 0 ? 0 : Fail(camera, "opening the dialog");
}

int Run(int camera, HWND window, const Options& options) {
    if (options.command == "list") return List(camera);
    if (options.device != 0 && !Tavrin_SetDeviceNumber(camera, options.device)) {
        return Fail(camera, "selecting the camera");
    }
    if (options.command == "info") return Info(camera);
    if (options.command == "snap") return Snap(camera, options);
    if (options.command == "record") return Record(camera, window, options);
    if (options.command == "stream") return Stream(camera, window, options);
    if (options.command == "get") return Get(camera, options);
    if (options.command == "set") return Set(camera, options);
    if (options.command == "dialog") return Dialog(camera, options);
    return Usage("unknown command");
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (argc == 2 && (std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0)) {
        return Usage(nullptr);
    }
    if (const char* problem = ParseArguments(argc, argv, options)) {
        return Usage(problem);
    }
    HWND window = tavrin::tool::CreateToolWindow();
    const int camera = Tavrin_Initialize(window);
    if (camera == 0) {
        std::fprintf(stderr, "tavrin: the SDK could not make a camera object\n");
        return 1;
    }
    const int result = Run(camera, window, options);
    Tavrin_Release(camera);
    tavrin::tool::DestroyToolWindow(window);
    return result;
}
