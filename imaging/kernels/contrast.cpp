#include "imaging/kernels/contrast.h"

#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/tone_family.h"
#include "imaging/kernels/tone_lut.h"

namespace tavrin {
namespace {

// Entry i of a table of `size` entries for contrast c: k = c x size / 256
// entries are clipped at each end and the rest stretched (negative k
// compresses the whole range towards the middle).
int32_t ContrastEntry(int32_t i, int64_t k, int32_t size) {
    if (i < k) return 0;
    if (i > size - 1 - k) return size - 1;
    // Here k < size / 2, so the divisor is positive and the value in range.
    return static_cast<int32_t>(static_cast<double>(size) / static_cast<double>(size - 2 * k) *
                                static_cast<double>(i - k));
}

int64_t ClippedEntries(int32_t contrast, int32_t size) { return static_cast<int64_t>(contrast) * size / 256; }

void Contrast8(const ToneArea& area, int32_t channels, int32_t contrast) {
    uint8_t table[256];
    BuildContrastTable8(contrast, table);
    Kernels().applyTable8(area, channels, table);
}

void Contrast16(const ToneArea& area, int32_t channels, int32_t contrast, int32_t bits) {
    // Room for the largest table (16 significant bits); the sensor's 10 bits use 1024 entries.
    uint16_t table[1 << 16];
    BuildContrastTable16(contrast, bits, table);
    Kernels().applyTable16(area, channels, table, 1 << SignificantBits(bits));
}

struct ContrastStep {
    static void Apply8(const ToneArea& area, int32_t channels, const void* params) {
        Contrast8(area, channels, ToneValue(params));
    }
    static void Apply16(const ToneArea& area, int32_t channels, const void* params) {
        Contrast16(area, channels, ToneValue(params), ToneBits(params));
    }
};

}  // namespace

void BuildContrastTable8(int32_t contrast, uint8_t (&table)[256]) {
    const int64_t k = ClippedEntries(contrast, 256);
    for (int32_t i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(ContrastEntry(i, k, 256));
}

void BuildContrastTable16(int32_t contrast, int32_t bits, uint16_t* table) {
    const int32_t size = 1 << SignificantBits(bits);
    const int64_t k = ClippedEntries(contrast, size);
    for (int32_t i = 0; i < size; ++i) table[i] = static_cast<uint16_t>(ContrastEntry(i, k, size));
}

TAVRIN_TONE_FAMILY(Contrast, ContrastStep)

}  // namespace tavrin
