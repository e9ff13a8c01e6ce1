// Respacing of a raw frame in place: the device library writes a frame as
// packed rows (width * bytes per pixel apart); the image wants rows one
// stride apart. Respace8 (1 byte per pixel) and Respace16 (2 bytes) move the
// rows, from the last row up and within a row from the last pixel back, so
// that no packed byte is overwritten before it is read.
//
// The packed frame starts at the source's first byte and holds rows of the
// rectangle's width; pixel (c, r) of the rectangle comes from packed offset
// (r * width + c) * bytes per pixel and lands at destination row dstY + r,
// column dstX + c. Source and destination must have the kernel's bytes per
// pixel; nothing happens otherwise (returns false).
#pragma once

#include "imaging/pixel_kernel.h"

namespace tavrin {

bool Respace8(const KernelArea& area);
bool Respace16(const KernelArea& area);

}  // namespace tavrin
