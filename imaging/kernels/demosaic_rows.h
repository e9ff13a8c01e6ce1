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

}  // namespace tavrin::demosaic
