// Nearest-neighbour scaling with row reversal, for the preview when the
// window's client area differs from the frame: the stored top-down rows come
// out upright in the bottom-up display image (with equal sizes it is a plain
// vertical flip).
//
// Ratios are single precision: fx = source width / destination width and
// fy = source height / destination height of the two rectangles. Destination
// row i of the rectangle takes source row (source bottom - 1 - trunc(i * fy)),
// destination column j takes source column (source left + trunc(j * fx)),
// both kept inside the source image; destination pixels outside the
// destination image are skipped.
//
//   ScaleGray8   copies one byte per pixel
//   ScaleRgb24   copies bytes 0..2, each image stepped by its own bytes per pixel
//
// Scale kernels (imaging/pixel_kernel.h): false when a layout does not fit.
#pragma once

#include "imaging/pixel_kernel.h"

namespace tavrin {

bool ScaleGray8(const ScaleArea& area);
bool ScaleRgb24(const ScaleArea& area);

}  // namespace tavrin
