// The output format: colour mode, sub-sample mode and the streaming loop's
// wait time. None of them needs the camera: they are stored, and the next
// acquisition preparation sizes the buffers and programs the readout from
// them.
#include <array>

#include "camera/settings_front_end.h"
#include "records/settings_catalogue.h"

namespace tavrin {

namespace {

// The catalogue lists the bits per pixel that select colour modes 0 to 5 in
// mode order. GetColorMode answers the significant bits of each mode: the
// 16-bit monochrome mode carries 10, the 48- and 64-bit colour modes 42
// and 58.
constexpr const catalogue::SettingEntry& kColorModes = catalogue::Named("color-mode");
constexpr std::array<int, 6> kReportedBitsForMode{8, 10, 24, 32, 42, 58};
static_assert(kColorModes.valueCount == static_cast<int>(kReportedBitsForMode.size()));

constexpr const catalogue::SettingEntry& kWaitTime = catalogue::Named("wait-time");

}  // namespace

int SettingsFrontEnd::SetColorMode(int bitsPerPixel) {
    const int mode = catalogue::ListPosition(kColorModes, bitsPerPixel);
    if (mode < 0) {
        context_.Report(kErrParameter);
        return 0;
    }
    context_.format.colorMode.store(mode, std::memory_order_relaxed);
    return 1;
}

// A mode outside 0 to 5 can only come from the registry store.
int SettingsFrontEnd::GetColorMode() const {
    const int32_t mode = context_.format.colorMode.load(std::memory_order_relaxed);
    if (mode < 0 || mode >= static_cast<int32_t>(kReportedBitsForMode.size())) {
        return -1;
    }
    return kReportedBitsForMode[static_cast<size_t>(mode)];
}

// The bits per pixel that selected the stored mode, or -1.
int SettingsFrontEnd::GetColorModeAsSet() const {
    const int32_t mode = context_.format.colorMode.load(std::memory_order_relaxed);
    if (mode < 0 || mode >= kColorModes.valueCount) {
        return -1;
    }
    return kColorModes.values[static_cast<size_t>(mode)];
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
    if (milliseconds < kWaitTime.minimum) {
        return 0;
    }
    context_.format.waitTime.store(milliseconds, std::memory_order_relaxed);
    return 1;
}

int SettingsFrontEnd::GetWaitTime() const { return context_.format.waitTime.load(std::memory_order_relaxed); }

}  // namespace tavrin
