// Session recording's exports: each finds its camera object and forwards.
#include <string>

#include "TavrinEx.h"
#include "api/export_frame.h"
#include "camera/text_out.h"
#include "platform/read_file.h"
#include "session/session_summary.h"

using tavrin::CallCamera;
using tavrin::CTavrin;

extern "C" {

TAVRIN_API int TAVRIN_CALL TavrinEx_StartSessionRecording(int h, const char* path) {
    return TavrinEx_StartSessionRecordingEx(h, path, 0);
}

TAVRIN_API int TAVRIN_CALL TavrinEx_StartSessionRecordingEx(int h, const char* path, int flags) {
    return CallCamera(h, [=](CTavrin& c) {
        if ((flags & ~TAVRIN_SESSION_COMPRESS_FRAMES) != 0) {
            c.Context().Report(tavrin::kErrParameter);
            return 0;
        }
        return c.Session().Start(path, (flags & TAVRIN_SESSION_COMPRESS_FRAMES) != 0,
                                 static_cast<uint32_t>(Tavrin_GetDllVersion()));
    });
}

TAVRIN_API int TAVRIN_CALL TavrinEx_StopSessionRecording(int h) {
    return CallCamera(h, [](CTavrin& c) { return c.Session().Stop(); });
}

TAVRIN_API int TAVRIN_CALL TavrinEx_GetSessionRecordingState(int h, char* reason, int reasonSize) {
    return CallCamera(h, [=](CTavrin& c) { return c.Session().State(reason, reasonSize); });
}

TAVRIN_API int TAVRIN_CALL TavrinEx_DescribeSession(const char* path, char* text, int textSize) {
    try {
        std::string summary = "the file does not open";
        bool read = false;
        if (const auto file = tavrin::platform::OpenReadOnlyFile(path)) {
            read = tavrin::session::SummarizeSession(*file, summary);
        }
        tavrin::CopyTextOut(summary, text, textSize);
        return read ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

}  // extern "C"
