// Bayer demosaic: raw mosaic (8 or 16-bit samples) to blue, green, red.
//
// Each output pixel is rebuilt at the centre of the 2x2 sensor block that
// ends at it: green is the mean of the block's two greens, red and blue are
// bilinear (weights 9, 3, 3, 1 in sixteenths) from the four nearest samples of
// their colour, scaled by the red and blue gains of the BayerParams record.
// The inner pass covers the pixels at least two away from every edge, the
// border pass the two-pixel frame, with out-of-frame neighbours replaced by
// the same colour on the other side.
//
// Sources: 8-bit (Demosaic8*) into 3 or 4 bytes per pixel, 16-bit with 10
// significant bits (Demosaic16*) into 6 or 8 bytes per pixel. A fourth
// channel is never written. All return true.
#pragma once

#include <cstdint>

#include "imaging/kernels/params.h"

namespace tavrin {

bool Demosaic8Inner(const KernelArea& area, const BayerParams& params);
bool Demosaic8Border(const KernelArea& area, const BayerParams& params);
bool Demosaic16Inner(const KernelArea& area, const BayerParams& params);
bool Demosaic16Border(const KernelArea& area, const BayerParams& params);

// Demosaic8Inner and Demosaic8Border followed by a table of the sample for
// the three colour samples of every pixel (the tone steps that follow the
// demosaic, as one table): byte for byte the three steps, in one pass where
// the vector rows look the table up before they store.
struct BayerTableParams {
    BayerParams bayer;
    const uint8_t* table256;
};
bool Demosaic8Table(const KernelArea& area, const BayerTableParams& params);

}  // namespace tavrin
