#include "tools/tool_session.h"

#include <chrono>
#include <cstdio>
#include <vector>

#include "TavrinEx.h"
#include "tools/tool_messages.h"
#include "tools/tool_report.h"

namespace tavrin::tool {

std::string CheckSessionCommand(const Options& options) {
    const std::vector<std::string>& arguments = options.arguments;
    if (arguments.empty() || (arguments[0] != "record" && arguments[0] != "info")) {
        return "session needs record or info";
    }
    if (arguments[0] == "info" && arguments.size() != 2) {
        return "session info needs one FILE";
    }
    if (arguments[0] == "record" && (arguments.size() != 1 || options.output.empty())) {
        return "session record needs -o FILE";
    }
    return {};
}

bool SessionCommandNeedsNoCamera(const Options& options) {
    return options.command == "session" && !options.arguments.empty() && options.arguments[0] == "info";
}

std::string ReplaySetting(const std::string& path) { return "0;replay=" + path; }

int SessionInfo(const std::string& path) {
    std::vector<char> text(65536, '\0');
    const int read = TavrinEx_DescribeSession(path.c_str(), text.data(), static_cast<int>(text.size()));
    if (read == 0) {
        std::fprintf(stderr, "tavrin: %s: %s\n", path.c_str(), text.data());
        return 1;
    }
    std::printf("file        %s\n%s", path.c_str(), text.data());
    return 0;
}

// Streams for --ms milliseconds (3000 by default) with the recording on.
int SessionRecord(int camera, HWND window, const Options& options) {
    if (!Tavrin_SetColorMode(camera, options.mode) || !Tavrin_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0)) {
        return Fail(camera, "setting up the stream");
    }
    if (!TavrinEx_StartSessionRecording(camera, options.output.c_str())) {
        const std::string problem = FileProblem(options.output);
        return Fail(camera, "starting the session recording into " + options.output, problem);
    }
    if (!Tavrin_CallBackPreview(camera, window, nullptr, 0, 1)) {
        const int result = Fail(camera, "starting the stream");
        TavrinEx_StopSessionRecording(camera);
        return result;
    }
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(options.milliseconds);
    int frames = 0;
    int errors = 0;
    for (auto now = Clock::now(); now < end; now = Clock::now()) {
        SdkMessage message{};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
        if (!WaitSdkMessage(window, message, static_cast<int>(left))) {
            continue;
        }
        if (message.message == WM_SDK_FRAME && message.wParam != 0) {
            ++frames;
        } else {
            ++errors;  // kept in the session; the recording goes on
        }
    }
    Tavrin_StopPreview(camera);
    if (!TavrinEx_StopSessionRecording(camera)) {
        char reason[256] = "";
        TavrinEx_GetSessionRecordingState(camera, reason, sizeof reason);
        return Fail(camera, "completing the session recording", reason);
    }
    std::printf("recorded %s: %d frames given, %d errors in %d ms\n", options.output.c_str(), frames, errors,
                options.milliseconds);
    return 0;
}

}  // namespace tavrin::tool
