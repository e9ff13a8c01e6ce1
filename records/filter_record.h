// The camera object's image processing settings: one record of thirty signed
// 32-bit fields. The caller's threads and the dialogs write them while the
// acquisition thread reads them for the next frame, so every field is an
// atomic, read and written relaxed: a frame sees each value whole, and a
// change shows from the next frame on.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace tavrin {

enum FilterField : int {
    kBrightness = 0,    // -255..255
    kContrast = 1,      // -127..127
    kHue = 2,           // -360..360
    kSaturation = 3,    // -255..255
    kSharpness = 4,     // 0..30
    kBayerGainRed = 5,  // per cent, 100 is unity
    kBayerGainGreen = 6,
    kBayerGainBlue = 7,
    kGamma = 8,       // 100 is neutral
    kBayerMode = 9,   // colour phase of the first pixel, 0..3
    kGrayMode = 11,   // 0 off, 1 gray gains and offsets, 2 colour to gray
    kGrayGainR = 12,  // 128 is unity
    kGrayGainG1 = 13,
    kGrayGainG2 = 14,
    kGrayGainB = 15,
    kGrayOffsetR = 16,
    kGrayOffsetG1 = 17,
    kGrayOffsetG2 = 18,
    kGrayOffsetB = 19,
    kBayerGainAuto = 25,      // automatic white balance on
    kWhiteBalanceMark1 = 26,  // one-pass marks of the automatic white balance
    kWhiteBalanceMark2 = 27,
    kGrayAutoBalance = 29,  // request counter of the automatic gray balance
    kFilterFieldCount = 30,
};

struct FilterRecord {
    std::array<std::atomic<int32_t>, kFilterFieldCount> fields{};

    int32_t Get(FilterField field) const { return fields[field].load(std::memory_order_relaxed); }
    void Set(FilterField field, int32_t value) { fields[field].store(value, std::memory_order_relaxed); }

    // Plain copies, for the dialogs' Cancel and for the registry store.
    std::array<int32_t, kFilterFieldCount> Snapshot() const {
        std::array<int32_t, kFilterFieldCount> copy{};
        for (int i = 0; i < kFilterFieldCount; ++i) {
            copy[i] = fields[i].load(std::memory_order_relaxed);
        }
        return copy;
    }
    void Restore(const std::array<int32_t, kFilterFieldCount>& copy) {
        for (int i = 0; i < kFilterFieldCount; ++i) {
            fields[i].store(copy[i], std::memory_order_relaxed);
        }
    }
};

}  // namespace tavrin
