// The record that every frame message points at, as the camera object fills
// it: 32 bytes, packed to 4 like the public TavrinFrameInfo (the exports
// check at compile time that the two have the same layout). The caller reads
// it on its own thread while the next frame is being announced, so the
// acquisition thread writes each field with an atomic store.
#pragma once

#include <cstdint>

namespace tavrin {

#pragma pack(push, 4)
struct FrameInfo {
    int32_t size;          // always 32
    int32_t width;         // pixels
    int32_t height;        // lines
    int32_t bitsPerPixel;  // 8, 16, 24, 32, 48 or 64
    int32_t frameRate;     // frames per second times 10; 0 in trigger mode
    int32_t reserved;
    uint8_t* buffer;  // the caller's buffer, or null
};
#pragma pack(pop)

static_assert(sizeof(FrameInfo) == 32);

}  // namespace tavrin
