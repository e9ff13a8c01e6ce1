// Session recording's exports: each finds its camera object and forwards.
#include "TavrinEx.h"
#include "api/export_frame.h"

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

}  // extern "C"
