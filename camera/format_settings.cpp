// The output format: colour mode, sub-sample mode and the streaming loop's
// wait time. None of them needs the camera: they are stored, and the next
// acquisition preparation sizes the buffers and programs the readout from
// them.
#include <array>

#include "camera/settings_front_end.h"

namespace tavrin {

namespace {

// Bits per pixel that select colour modes 0 to 5, and what GetColorMode
// answers for each mode: the 16-bit monochrome mode carries 10 significant
// bits, the 48- and 64-bit colour modes 42 and 58.
constexpr std::array<int, 6> kBitsForMode{8, 16, 24, 32, 48, 64};
constexpr std::array<int, 6> kReportedBitsForMode{8, 10, 24, 32, 42, 58};

}  // namespace

int SettingsFrontEnd::SetColorMode(int bitsPerPixel) {
    for (size_t mode = 0; mode < kBitsForMode.size(); ++mode) {
        if (kBitsForMode[mode] == bitsPerPixel) {
            context_.format.colorMode.store(static_cast<int32_t>(mode), std::memory_order_relaxed);
            return 1;
        }
    }
    context_.Report(kErrParameter);
    return 0;
}

// A mode outside 0 to 5 can only come from the registry store.
int SettingsFrontEnd::GetColorMode() const {
    const int32_t mode = context_.format.colorMode.load(std::memory_order_relaxed);
    if (mode < 0 || mode >= static_cast<int32_t>(kReportedBitsForMode.size())) {
        return -1;
    }
    return kReportedBitsForMode[static_cast<size_t>(mode)];
}

// This model reads only full resolution (mode 0). Other modes are refused
// quietly; one that arrives from the registry makes the capture window
// invalid, so acquisition then reports it.
int SettingsFrontEnd::SetSubSample(int mode) {
    if (mode != 0) {
        return 0;
    }
    context_.format.subSample.store(0, std::memory_order_relaxed);
    return 1;
}

int SettingsFrontEnd::SetWaitTime(int milliseconds) {
    if (milliseconds < 0) {
        return 0;
    }
    context_.format.waitTime.store(milliseconds, std::memory_order_relaxed);
    return 1;
}

int SettingsFrontEnd::GetWaitTime() const { return context_.format.waitTime.load(std::memory_order_relaxed); }

}  // namespace tavrin
