// Gray gain rows per instruction set. Internal to the gray kernels.
#pragma once

#include <cstdint>

#include "imaging/kernels/kernel_area.h"

namespace tavrin {

// Gains and offsets of the two cells of one row, by column parity.
struct RowCells {
    int32_t gain[2];
    int32_t offset[2];
};

// One row of `width` samples (8-bit: bytes, else 16-bit words), from `in` to
// `out`, exactly as the reference. Gains 0..32767, offsets -65535..65535.
void GrayGainRow8_C(const uint8_t* in, uint8_t* out, int32_t width, const RowCells& cells);
void GrayGainRow8_AVX2(const uint8_t* in, uint8_t* out, int32_t width, const RowCells& cells);
void GrayGainRow16_C(const uint8_t* in, uint8_t* out, int32_t width, const RowCells& cells, int32_t maxValue);
void GrayGainRow16_AVX2(const uint8_t* in, uint8_t* out, int32_t width, const RowCells& cells, int32_t maxValue);

}  // namespace tavrin
