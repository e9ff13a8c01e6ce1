// The frame record's, trigger mode's and the recording's exports: each
// finds its camera object and forwards.
#include "TavrinEx.h"
#include "api/export_frame.h"
#include "platform/time.h"

using tavrin::CallCamera;
using tavrin::CTavrin;

extern "C" {

TAVRIN_API int TAVRIN_CALL TavrinEx_GetFrameMeta(int h, TavrinFrameMeta* meta) {
    return CallCamera(h, [=](CTavrin& c) { return c.Acquisition().GetFrameMeta(meta); });
}

TAVRIN_API int TAVRIN_CALL TavrinEx_ExchangeFrameBuffer(int h, void* next, int nextSize, void** given,
                                                        TavrinFrameMeta* meta) {
    return CallCamera(h, [=](CTavrin& c) {
        return c.Acquisition().ExchangeFrameBuffer(static_cast<uint8_t*>(next), nextSize,
                                                   reinterpret_cast<uint8_t**>(given), meta);
    });
}

TAVRIN_API int TAVRIN_CALL TavrinEx_SoftwareTrigger(int h) {
    return CallCamera(h, [](CTavrin& c) { return c.Acquisition().SoftwareTrigger(); });
}

TAVRIN_API int TAVRIN_CALL TavrinEx_GetRecordingState(int h, int* writing, int* frames) {
    return CallCamera(h, [=](CTavrin& c) { return c.Acquisition().RecordingState(writing, frames); });
}

TAVRIN_API int TAVRIN_CALL TavrinEx_GetClocks(uint64_t* monotonicNs, int64_t* systemTimeNs) {
    if (monotonicNs != nullptr) {
        *monotonicNs = tavrin::platform::MonotonicNanoseconds();
    }
    if (systemTimeNs != nullptr) {
        *systemTimeNs = tavrin::platform::SystemTimeNanoseconds();
    }
    return 1;
}

}  // extern "C"
