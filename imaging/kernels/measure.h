// Region means for the automatic exposure: the mean sample of the area's
// source rectangle (0 for an empty area), for CDibImage::Measure. 16-bit
// samples count by their 8-bit form, (v >> 2) & 0xFF.
#pragma once

#include "imaging/kernels/params.h"

namespace tavrin {

int32_t RegionMean8(const KernelArea& area);
int32_t RegionMean16(const KernelArea& area);

}  // namespace tavrin
