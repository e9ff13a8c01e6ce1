// Byte moves and in-place mirroring of rows, per instruction set.
#pragma once

#include <cstdint>

namespace tavrin::rows {

// `bytes` bytes from src to dst; overlapping ranges give the bytes the
// source held before the move.
void MoveBytes_C(uint8_t* dst, const uint8_t* src, int32_t bytes);
// The C library's memmove, which picks its own vector width.
void MoveBytes_SSE2(uint8_t* dst, const uint8_t* src, int32_t bytes);

// Reverses the order of the `width` pixels of a row, each `bytesPerPixel`
// bytes, keeping the bytes of each pixel in their order.
void MirrorRow_C(uint8_t* row, int32_t width, int32_t bytesPerPixel);

}  // namespace tavrin::rows
