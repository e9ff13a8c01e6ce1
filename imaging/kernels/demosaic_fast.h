// The vectorised inner passes of the demosaic, one per instruction set. They
// produce exactly what the reference produces; the caller has checked that
// the frame is larger than 4 x 4 and that the destination has 3 or 4
// samples per pixel.
#pragma once

#include <cstdint>

#include "imaging/kernels/demosaic_pixel.h"

namespace tavrin::demosaic {

void Inner8Sse2(const Frame& frame, int32_t mode, Gains gains);
void Inner16Sse2(const Frame& frame, int32_t mode, Gains gains);
void Inner8Avx2(const Frame& frame, int32_t mode, Gains gains);
void Inner16Avx2(const Frame& frame, int32_t mode, Gains gains);

}  // namespace tavrin::demosaic
