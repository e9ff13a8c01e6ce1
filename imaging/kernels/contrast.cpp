#include "imaging/kernels/contrast.h"

#include "imaging/kernels/tone_family.h"

namespace tavrin {
namespace {

// Entry i of a table of `size` entries for contrast c: k = c x size / 256
// entries are clipped at each end and the rest stretched (negative k
// compresses the whole range towards the middle).
int32_t ContrastEntry(int32_t i, int64_t k, int32_t size) {
    if (i < k)
        return 0;
    if (i > size - 1 - k)
        return size - 1;
    // Here k < size / 2, so the divisor is positive and the value in range.
    return static_cast<int32_t>(static_cast<double>(size) / static_cast<double>(size - 2 * k) *
                                static_cast<double>(i - k));
}

int64_t ClippedEntries(int32_t contrast, int32_t size) { return static_cast<int64_t>(contrast) * size / 256; }

struct ContrastTables {
    static void Build8(int32_t contrast, int32_t, uint8_t (&table)[256]) { BuildContrastTable8(contrast, table); }
    static void Build16(int32_t contrast, int32_t bits, uint16_t* table) {
        BuildContrastTable16(contrast, bits, table);
    }
};

}  // namespace

void BuildContrastTable8(int32_t contrast, uint8_t (&table)[256]) {
    const int64_t k = ClippedEntries(contrast, 256);
    for (int32_t i = 0; i < 256; ++i)
        table[i] = static_cast<uint8_t>(ContrastEntry(i, k, 256));
}

void BuildContrastTable16(int32_t contrast, int32_t bits, uint16_t* table) {
    const int32_t size = 1 << SignificantBits(bits);
    const int64_t k = ClippedEntries(contrast, size);
    for (int32_t i = 0; i < size; ++i)
        table[i] = static_cast<uint16_t>(ContrastEntry(i, k, size));
}

TAVRIN_TONE_FAMILY(Contrast, TableStep<ContrastTables>)

}  // namespace tavrin
