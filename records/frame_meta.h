// The record of one frame (TavrinEx_GetFrameMeta): which frame the camera
// sent, when its transfer completed, how many frames before it no caller was
// given, and the exposure and gain it was taken with. Same layout as the
// public TavrinFrameMeta (the exports check it at compile time).
#pragma once

#include <cstdint>

namespace tavrin {

#pragma pack(push, 4)
struct FrameMeta {
    int32_t size;
    int32_t status;  // 0 for a whole frame, else the SDK's error code
    uint64_t frameNumber;
    uint64_t captureTimeNs;
    uint64_t droppedFrames;
    int32_t exposureLines;
    int32_t gain;
};
#pragma pack(pop)

static_assert(sizeof(FrameMeta) == 40);

}  // namespace tavrin
