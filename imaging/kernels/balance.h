// Automatic balance measurements over the source's rectangle (the raw frame).
#pragma once

#include "imaging/kernels/params.h"

namespace tavrin {

// White balance: per-colour means by Bayer cell; returns red and blue gains
// (per cent) that bring their means to the green mean, and green 100. A
// frame without a sample of some colour (smaller than 2x2) gives 100 for all
// three; a colour whose mean is 0 gets the largest int32.
BalanceGains WhiteBalance8(const KernelArea& area, const BalanceParams& params);
BalanceGains WhiteBalance16(const KernelArea& area, const BalanceParams& params);

// Automatic gray gain: per-cell means without black and saturated samples;
// returns the record with the four gains measured (the brightest cell gets
// 128), or as given when a cell has no usable sample. 8-bit source when the
// record's bits are 8, 16-bit otherwise.
GrayParams GrayAutoGain(const KernelArea& area, const GrayParams& params);

}  // namespace tavrin
