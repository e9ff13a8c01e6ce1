// The demosaic rows, one version per instruction set (_C the reference). Each computes
// columns 2..W-3 of the output rows [yBegin, yEnd) exactly as the reference
// does; with `fold` the rows read are substituted as at the frame's top and
// bottom edges (the border pass), otherwise they are taken as they are. The
// caller has checked that the frame is wider than 4 and that the destination
// has 3 or 4 samples per pixel.
#pragma once

#include <cstdint>

#include "imaging/kernels/demosaic_pixel.h"

namespace tavrin::demosaic {

void Rows8_C(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains);
void Rows16_C(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains);
void Rows8_SSE2(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains);
void Rows16_SSE2(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains);
void Rows8_AVX2(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains);
void Rows16_AVX2(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains);
// AVX-512 F, BW, VL and VBMI; only where the build compiles that file.
void Rows8_AVX512(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains);
void Rows16_AVX512(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains);

// 8-bit rows whose three colour samples then go through `table256`: the
// AVX-512 version looks the table up before each store, the others run
// their rows and then the table step over the pixels just written.
using TableRowsFn = void (*)(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains,
                             const uint8_t* table256);
void Rows8Table_C(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains,
                  const uint8_t* table256);
void Rows8Table_SSE2(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains,
                     const uint8_t* table256);
void Rows8Table_AVX2(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains,
                     const uint8_t* table256);
void Rows8Table_AVX512(const Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode, Gains gains,
                       const uint8_t* table256);

}  // namespace tavrin::demosaic
