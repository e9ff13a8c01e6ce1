// Row functions behind the depth and flip kernels, one per instruction set:
// _C is the plain reference, _SSE2 the x86-64 baseline, _AVX2 needs a CPU
// check (imaging/kernels/dispatch.h picks them). Every version converts exactly `count`
// samples or `width` pixels and touches no byte outside them.
#pragma once

#include <cstdint>

#include "imaging/kernels/row_walk.h"

namespace tavrin::rows {

// dst[i] = low 8 bits of (16-bit word i >> shift), for `count` words.
void Words16ToBytes_C(uint8_t* dst, const uint8_t* src, int32_t count, int shift);
void Words16ToBytes_SSE2(uint8_t* dst, const uint8_t* src, int32_t count, int shift);
void Words16ToBytes_AVX2(uint8_t* dst, const uint8_t* src, int32_t count, int shift);

// 64-bit pixels (four words) to 24-bit pixels: first three words >> 2, low 8 bits.
void Rgb64ToRgb24_C(uint8_t* dst, const uint8_t* src, int32_t width);
void Rgb64ToRgb24_AVX2(uint8_t* dst, const uint8_t* src, int32_t width);

// 32-bit pixels to 24-bit pixels: the first three bytes.
void Rgb32ToRgb24_C(uint8_t* dst, const uint8_t* src, int32_t width);
void Rgb32ToRgb24_AVX2(uint8_t* dst, const uint8_t* src, int32_t width);

// The first three bytes of every pixel of 24- or 32-bit images (Rgb32To24,
// Rgb24Flip): 24 into 24 copies whole rows, 32 into 24 drops the fourth byte.
bool CopyRgbBytes(const KernelArea& area, RowOrder order);

}  // namespace tavrin::rows
