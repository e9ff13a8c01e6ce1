// Row functions of the shift kernels: _C reference, _SSE2 baseline.
#pragma once

#include <cstdint>

namespace tavrin::rows {

// dst word i = (src word i << shift), low 16 bits, for `count` words.
void ShiftWordsLeft_C(uint8_t* dst, const uint8_t* src, int32_t count, int shift);
void ShiftWordsLeft_SSE2(uint8_t* dst, const uint8_t* src, int32_t count, int shift);

// 64-bit pixels: first three words << shift, fourth word 0xFFFF.
void Rgb64ShiftOpaque_C(uint8_t* dst, const uint8_t* src, int32_t width, int shift);
void Rgb64ShiftOpaque_SSE2(uint8_t* dst, const uint8_t* src, int32_t width, int shift);

}  // namespace tavrin::rows
