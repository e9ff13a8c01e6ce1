#include "tools/tool_capture.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tools/tool_messages.h"
#include "tools/tool_preview_window.h"
#include "tools/tool_region.h"
#include "tools/tool_report.h"

namespace tavrin::tool {
namespace {

using Clock = std::chrono::steady_clock;

// Snap, record and stream run without a preview window: this is a terminal
// tool. The preview draws into a child of the tool's own window (`parent`),
// the size of the image.
bool PrepareCapture(int camera, const Options& options, HWND parent = nullptr) {
    if (!Tavrin_SetColorMode(camera, options.mode)) {
        return false;
    }
    const int width = parent != nullptr ? Tavrin_Width(camera) : 0;
    const int height = parent != nullptr ? Tavrin_Height(camera) : 0;
    return Tavrin_SetPreviewWindow(camera, parent, 0, 0, width, height) != 0;
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

// A copy of the current image, taken with Tavrin_GetImage under the SDK's
// frame lock so that the next frame never overwrites it half-read.
class ImageCopy {
public:
    ImageCopy(int camera, int mode) : camera_(camera) {
        const int stride = (Tavrin_Width(camera) * (mode / 8) + 3) & ~3;
        pixels_.resize(static_cast<size_t>(stride) * static_cast<size_t>(Tavrin_Height(camera)));
    }
    double Mean(int bitsPerPixel) {
        const bool copied = Tavrin_GetImage(camera_, pixels_.data(), static_cast<int>(pixels_.size()), 1) != 0;
        return copied ? MeanLevel(pixels_, bitsPerPixel) : 0.0;
    }

private:
    int camera_;
    std::vector<BYTE> pixels_;
};

// A frame message carries the frame record; a failure carries its code.
bool IsFailure(const SdkMessage& message) {
    return message.message == WM_SDK_ERROR || (message.message == WM_SDK_FRAME && message.wParam == 0);
}

int ReportFailure(const SdkMessage& message) {
    const int code = static_cast<int>(message.lParam);
    std::fprintf(stderr, "tavrin: error %d (%s)\n", code, ErrorName(code).c_str());
    return 1;
}

}  // namespace

int FormatCode(const std::string& format) {
    static const std::map<std::string, int> codes = {{"bmp", 0},    {"raw", 1}, {"jpeg", 2}, {"jpg", 2}, {"jpeg70", 3},
                                                     {"jpeg20", 4}, {"png", 5}, {"tiff", 6}, {"tif", 6}};
    const auto it = codes.find(format);
    return it == codes.end() ? -1 : it->second;
}

std::string FormatOfFileName(const std::string& path) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string extension = path.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    // Only the plain names: the quality variants of JPEG are asked for by --format.
    for (const char* known : {"bmp", "raw", "jpeg", "jpg", "png", "tiff", "tif"}) {
        if (extension == known)
            return extension;
    }
    return {};
}

int Snap(int camera, const Options& options) {
    if (const int failed = ApplyRegion(camera, options)) {
        return failed;
    }
    const int code = FormatCode(options.formatGiven ? options.format : FormatOfFileName(options.output));
    if (!PrepareCapture(camera, options)) {
        return Fail(camera, "setting up the capture");
    }
    if (!Tavrin_SnapShot(camera, nullptr, 0, 1)) {
        return Fail(camera, "taking a snapshot");
    }
    if (!Tavrin_SaveImage(camera, options.output.c_str(), code)) {
        const std::string reason = FileProblem(options.output);
        return Fail(camera, "saving " + options.output, reason.empty() ? "" : options.output + ": " + reason);
    }
    std::printf("saved %d x %d image to %s\n", Tavrin_Width(camera), Tavrin_Height(camera), options.output.c_str());
    return 0;
}

int Record(int camera, HWND window, const Options& options) {
    if (const int failed = ApplyRegion(camera, options)) {
        return failed;
    }
    if (!PrepareCapture(camera, options)) {
        return Fail(camera, "setting up the recording");
    }
    if (!Tavrin_Record(camera, options.output.c_str(), options.milliseconds, 0)) {
        const std::string reason = FileProblem(options.output);
        return Fail(camera, "recording to " + options.output, reason.empty() ? "" : options.output + ": " + reason);
    }
    // The recording ends by itself after the duration, counted from its
    // first frame; allow a little more before stopping the stream.
    // Counted in 64 bits: --ms may be as large as an int goes.
    const int64_t duration = options.milliseconds;
    const int64_t total = duration + 1000;
    int failure = 0;
    for (int64_t elapsed = 0; elapsed < total && failure == 0; elapsed += 250) {
        // The extra second is the recording's own ending, not more video.
        const int64_t shown = std::min(elapsed, duration);
        std::printf("\rrecording %s: %lld.%lld s of %lld.%lld s", options.output.c_str(),
                    static_cast<long long>(shown / 1000), static_cast<long long>((shown % 1000) / 100),
                    static_cast<long long>(duration / 1000), static_cast<long long>((duration % 1000) / 100));
        std::fflush(stdout);
        SdkMessage message{};
        const auto until = Clock::now() + std::chrono::milliseconds(250);
        while (WaitSdkMessage(window, message, 50)) {
            if (message.message == WM_SDK_ERROR) {
                failure = static_cast<int>(message.lParam);
            }
        }
        std::this_thread::sleep_until(until);
    }
    std::printf("\n");
    Tavrin_StopPreview(camera);
    if (failure != 0) {
        std::fprintf(stderr, "tavrin: recording ended with error %d (%s)\n", failure, ErrorName(failure).c_str());
        return 1;
    }
    std::printf("recorded %s\n", options.output.c_str());
    return 0;
}

// Frames are announced without a buffer of the caller's: each frame's
// statistics come from a copy of the current image.
int Stream(int camera, HWND window, const Options& options) {
    if (const int failed = ApplyRegion(camera, options)) {
        return failed;
    }
    if (!PrepareCapture(camera, options)) {
        return Fail(camera, "setting up the stream");
    }
    ImageCopy image(camera, options.mode);
    if (!Tavrin_CallBackPreview(camera, window, nullptr, 0, 1)) {
        return Fail(camera, "starting the stream");
    }
    int frames = 0;
    int result = 0;
    const auto start = Clock::now();
    while (frames < options.frames) {
        SdkMessage message{};
        if (!WaitSdkMessage(window, message, 10000)) {
            std::fprintf(stderr, "tavrin: no frame for 10 s\n");
            result = 1;
            break;
        }
        if (IsFailure(message)) {
            result = ReportFailure(message);
            break;
        }
        const auto* info = reinterpret_cast<const TavrinFrameInfo*>(message.wParam);
        const int bits = ReadField(info->bitsPerPixel);
        const int rate = ReadField(info->frameRate);
        ++frames;
        std::printf("frame %4d  %d x %d  %2d bpp  rate %d.%d fps  mean %.1f\n", frames, ReadField(info->width),
                    ReadField(info->height), bits, rate / 10, rate % 10, image.Mean(bits));
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    Tavrin_StopPreview(camera);
    if (frames > 0) {
        std::printf("%d frames in %.2f s: %.1f frames per second\n", frames, seconds, frames / seconds);
    }
    return result;
}

// Live view in the SDK's preview window, with the frame rate and mean level
// once a second, until a key in the terminal, q or Escape in the window, the
// window closing or --ms.
int Preview(int camera, HWND window, const Options& options) {
    if (const int failed = ApplyRegion(camera, options)) {
        return failed;
    }
    std::string problem;
    const auto frame = PreviewFrame::Create(Tavrin_Width(camera), Tavrin_Height(camera), problem);
    if (!frame) {
        std::fprintf(stderr, "tavrin: %s\n", problem.c_str());
        return 1;
    }
    if (!PrepareCapture(camera, options, frame->Handle())) {
        return Fail(camera, "setting up the preview");
    }
    ImageCopy image(camera, options.mode);
    if (!Tavrin_CallBackPreview(camera, window, nullptr, 0, 1)) {
        return Fail(camera, "opening the preview");
    }
    std::printf("previewing; press q or Escape in the window, a key here, or close the window to stop\n");
    std::fflush(stdout);
    KeyWatch keys;
    const auto start = Clock::now();
    auto second = start;
    int frames = 0;
    int bits = options.mode;
    int result = 0;
    while (result == 0 && !keys.Pressed() && !frame->StopRequested()) {
        const auto now = Clock::now();
        if (options.millisecondsGiven && now - start >= std::chrono::milliseconds(options.milliseconds)) {
            break;
        }
        if (now - second >= std::chrono::seconds(1)) {
            const double seconds = std::chrono::duration<double>(now - second).count();
            std::printf("%.1f fps  mean %.1f\n", frames / seconds, image.Mean(bits));
            std::fflush(stdout);
            frames = 0;
            second = now;
        }
        SdkMessage message{};
        if (WaitSdkMessage(window, message, 50)) {
            if (IsFailure(message)) {
                result = ReportFailure(message);
            } else if (message.message == WM_SDK_FRAME) {
                bits = ReadField(reinterpret_cast<const TavrinFrameInfo*>(message.wParam)->bitsPerPixel);
                ++frames;
            }
        }
    }
    // The SDK's window goes first: it lives inside the tool's.
    Tavrin_Close(camera);
    return result;
}

}  // namespace tavrin::tool
