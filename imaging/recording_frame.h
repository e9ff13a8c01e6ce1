// The recorder's frame: every output image becomes a 24-bit picture of the
// same size with its rows in reverse memory order (bottom line first, as the
// AVI stream stores it), in one pass.
#pragma once

#include "imaging/dib_image.h"

namespace tavrin {

// 8-bit images expand through their colour table; 16-bit gray images keep
// bits 2..9 of every sample as a gray level; 24- and 32-bit images keep blue,
// green and red; 48- and 64-bit images keep bits 2..9 of their first three
// samples. Rows keep the frame's padding. Returns false, changing nothing,
// when `frame` is not a 24-bit image of the output's size or the output has
// another depth.
bool ConvertToRecordingFrame(const CDibImage& output, CDibImage& frame);

}  // namespace tavrin
