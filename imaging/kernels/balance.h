// Automatic balance measurements over the source's rectangle (the raw frame).
#pragma once

#include "imaging/kernels/params.h"

namespace tavrin {

// White balance: per-colour means by Bayer cell; writes red and blue gains
// (per cent) that bring their means to the green mean, and green 100, into
// BalanceParams. A frame without a sample of some colour (smaller than 2x2)
// gives 100 for all three; a colour whose mean is 0 gets the largest int32.
// Returns 1.
TAVRIN_PIXEL_KERNEL(WhiteBalance8);
TAVRIN_PIXEL_KERNEL(WhiteBalance16);

// Automatic gray gain: per-cell means without black and saturated samples;
// writes the four gains (the brightest cell gets 128) into GrayParams, or
// leaves them when a cell has no usable sample. 8-bit source when the
// record's bits are 8, 16-bit otherwise. Returns 1.
TAVRIN_PIXEL_KERNEL(GrayAutoGain);

}  // namespace tavrin
