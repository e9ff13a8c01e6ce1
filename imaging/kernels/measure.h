// Region means for the automatic exposure: the mean sample of the
// destination image over the driver's rectangle placed at the destination
// position, as the kernel's return value (0 for an empty area). 16-bit
// samples count by their 8-bit form, (v >> 2) & 0xFF.
#pragma once

#include "imaging/kernels/params.h"

namespace tavrin {

TAVRIN_PIXEL_KERNEL(RegionMean8);
TAVRIN_PIXEL_KERNEL(RegionMean16);

}  // namespace tavrin
