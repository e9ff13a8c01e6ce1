// One entry point per kernel family and layout, as dispatch.cpp fills it for
// an instruction set. Row entries convert exactly the samples or pixels they
// are given and touch no byte outside them; area entries take any layout and
// hand the ones their vector code does not cover to the reference.
#pragma once

#include <cstdint>

namespace tavrin {

struct KernelArea;
struct HueSatTables;
struct RowCells;
namespace huesat {
struct HueShift;
}
namespace demosaic {
struct Frame;
struct Gains;
}  // namespace demosaic

struct KernelTable {
    // Bit depth: words >> shift to bytes; 64- and 32-bit pixels to 24-bit.
    void (*words16ToBytes)(uint8_t* dst, const uint8_t* src, int32_t count, int shift);
    void (*rgb64ToRgb24)(uint8_t* dst, const uint8_t* src, int32_t width);
    void (*rgb32ToRgb24)(uint8_t* dst, const uint8_t* src, int32_t width);
    // Shifts: words << shift; 64-bit pixels << shift with an opaque fourth word.
    void (*shiftWordsLeft)(uint8_t* dst, const uint8_t* src, int32_t count, int shift);
    void (*rgb64ShiftOpaque)(uint8_t* dst, const uint8_t* src, int32_t width, int shift);
    // `bytes` bytes, right also when the two ranges overlap.
    void (*moveBytes)(uint8_t* dst, const uint8_t* src, int32_t bytes);
    // One row of `width` pixels of `bytesPerPixel` bytes reversed in place.
    void (*mirrorRow)(uint8_t* row, int32_t width, int32_t bytesPerPixel);

    // Tone steps over an area.
    void (*applyTable8)(const KernelArea& area, int32_t channels, const uint8_t* table256);
    void (*applyTable16)(const KernelArea& area, int32_t channels, const uint16_t* table, int32_t size);
    void (*bright)(const KernelArea& area, int32_t channels, float factor, int32_t sampleBytes, int32_t maxValue);
    // Sharpening; for 8-bit samples then the destination area through
    // `table256` when it is given (not null). In place with `ring` (three
    // rows of the area) when the source is the destination.
    void (*sharpen8)(const KernelArea& area, int32_t channels, int32_t strength, const uint8_t* table256,
                     uint8_t* ring);
    void (*sharpen16)(const KernelArea& area, int32_t channels, int32_t strength, int32_t maxValue, uint8_t* ring);
    // Hue and saturation; for 8-bit pixels then each colour sample through
    // `table256` when it is given (not null).
    void (*hueSat8)(const KernelArea& area, const HueSatTables& tables, huesat::HueShift shift,
                    const uint8_t* table256);
    void (*hueSat16)(const KernelArea& area, const HueSatTables& tables, huesat::HueShift shift, int32_t sampleShift);

    // Gray gain rows of packed samples.
    void (*grayGainRow8)(const uint8_t* in, uint8_t* out, int32_t width, const RowCells& cells);
    void (*grayGainRow16)(const uint8_t* in, uint8_t* out, int32_t width, const RowCells& cells, int32_t maxValue);

    // Measurements over rows of packed samples (bytes, or words when `wide`).
    void (*paritySums)(const uint8_t* row, int32_t count, bool wide, uint64_t sums[2]);
    uint64_t (*sumBytes)(const uint8_t* row, int32_t count);
    uint64_t (*sumWords8BitForm)(const uint8_t* row, int32_t count);

    // Demosaic rows into 3/4-byte (8-bit) or 6/8-byte (16-bit) pixels.
    void (*demosaicRows8)(const demosaic::Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode,
                          demosaic::Gains gains);
    void (*demosaicRows16)(const demosaic::Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode,
                           demosaic::Gains gains);
    // 8-bit demosaic rows, then each colour sample written through `table256`.
    void (*demosaicRows8Table)(const demosaic::Frame& frame, int32_t yBegin, int32_t yEnd, bool fold, int32_t mode,
                               demosaic::Gains gains, const uint8_t* table256);
};

}  // namespace tavrin
