// Software mirroring of a frame in place: a horizontal mirror reverses the
// pixels of every row, a vertical one the order of the rows (each row whole,
// padding included); both together turn the frame by 180 degrees.
#pragma once

#include <cstdint>

namespace tavrin {

// `height` rows of `width` pixels of `bytesPerPixel` bytes, `stride` bytes
// apart. Does nothing for a null image or a size that is not positive.
void MirrorInPlace(uint8_t* pixels, int32_t width, int32_t height, int32_t stride, int32_t bytesPerPixel,
                   bool horizontal, bool vertical);

}  // namespace tavrin
