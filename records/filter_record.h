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

// Positions of the fields. What each setting accepts and means is in the
// settings catalogue (records/settings_catalogue.h).
enum FilterField : int {
    kBrightness = 0,
    kContrast = 1,
    kHue = 2,
    kSaturation = 3,
    kSharpness = 4,
    kBayerGainRed = 5,
    kBayerGainGreen = 6,
    kBayerGainBlue = 7,
    kGamma = 8,
    kBayerMode = 9,
    kGrayMode = 11,
    kGrayGainR = 12,
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
    using Values = std::array<int32_t, kFilterFieldCount>;
    std::array<std::atomic<int32_t>, kFilterFieldCount> fields{};

    int32_t Get(FilterField field) const { return fields[field].load(std::memory_order_relaxed); }
    void Set(FilterField field, int32_t value) { fields[field].store(value, std::memory_order_relaxed); }

    // Plain copies, for the dialogs' Cancel and for the registry store.
    Values Snapshot() const {
        Values copy{};
        for (int i = 0; i < kFilterFieldCount; ++i) {
            copy[i] = fields[i].load(std::memory_order_relaxed);
        }
        return copy;
    }
    void Restore(const Values& copy) {
        for (int i = 0; i < kFilterFieldCount; ++i) {
            fields[i].store(copy[i], std::memory_order_relaxed);
        }
    }
};

}  // namespace tavrin
