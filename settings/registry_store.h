// The registry settings store: each camera's settings from one use of the
// library to the next, below HKEY_CURRENT_USER\Software\Quenor\Tavrin860VXRUXSdk,
// one "Camera_%02d" key per camera number. Five groups, each with its own
// operations: the size group (stored readout windows "Size_%02d" and the
// selected one), the format group, the analog group ("Gain"), the filter
// group ("Filter") and the gray group ("Gray").
//
// The store never reports a failure: a reader that cannot open its key
// leaves the records as they are or fills the group's fallback values, a
// writer that cannot create a key skips what would have gone into it. The
// operations return 1 or 0 for tests; callers ignore the result. Values are
// taken as stored, without range checks: the code that uses a value makes
// one outside its range harmless. The store owns no memory of its own and
// closes every key it opened before it returns.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "records/filter_record.h"
#include "records/settings_records.h"

namespace tavrin {

// Where the analog group comes from when its key is missing: the camera
// model's default gain and minimum exposure, and the device library's
// current mirror flags.
struct AnalogFallback {
    int32_t defaultGain = static_cast<int32_t>(model::kGainDefault);
    int32_t minimumExposure = static_cast<int32_t>(model::kExposureMin);
    int32_t mirrorV = 0;
    int32_t mirrorH = 0;
};

// The camera dialog's copy of the size and format groups: the stored list
// of readout windows and the selected entry. Entries that are not read keep
// their initial values.
struct SizeTable {
    static constexpr int kMaxEntries = 100;
    std::array<CaptureWindow::Values, kMaxEntries> entries = FullSensorEntries();
    int32_t count = 0;     // entries in the list
    int32_t selected = 0;  // "Size": index of the selected entry
    int32_t colorMode = 0;
    int32_t subSample = 0;
    int32_t waitTime = 0;
    int32_t clock = 0;

    static std::array<CaptureWindow::Values, kMaxEntries> FullSensorEntries() {
        std::array<CaptureWindow::Values, kMaxEntries> all{};
        all.fill(CaptureWindow::kFullSensor);
        return all;
    }
};

// Size and format groups.
// On an account without the base key, seeds the registry (camera key of the
// given number with "Size_00" = the full sensor, "Size" 0, "Color" 2,
// "SubSample" 0, "WaitTime" 1, "Clock" 2) and returns 0 without loading;
// otherwise loads the selected "Size_%02d" entry into the capture window. A
// selected index outside the stored list (0 to 99, without gaps) loads nothing.
int LoadSizeSettings(CaptureWindow& window, int cameraNumber);
// "Color", "SubSample", "WaitTime" and "Clock"; a missing value leaves its field.
int LoadFormatSettings(FormatSettings& format, int cameraNumber);
// The camera dialog's list and selection.
int LoadSizeTable(SizeTable& table, int cameraNumber);
int SaveSizeTable(const SizeTable& table, int cameraNumber);
// The first stored entry, in index order, with the given effective size,
// looked up below the camera key (where every writer keeps them).
std::optional<CaptureWindow::Values> FindStoredSize(int32_t width, int32_t height, int cameraNumber);

// The saves of the analog, filter and gray groups below write every value
// of their group. Given `stored`, the values the store held when the caller
// last read or wrote the group, they write only what differs from it, and
// values the store does not hold at all: several programs may use one
// camera's settings, and a value that this caller never changed must not
// overwrite what another program stored meanwhile. Each value written is
// then recorded in `stored`.

// Analog group: a missing key (or a missing value) gives the fallback.
int LoadAnalogSettings(AnalogRecord& analog, const AnalogFallback& fallback, int cameraNumber);
int SaveAnalogSettings(const AnalogRecord& analog, int cameraNumber, AnalogRecord::Values* stored = nullptr);

// Filter group (positions 0 to 9 of the filter record). The fallback is the
// neutral processing and also clears the automatic white balance flag and
// its one-pass marks.
int LoadFilterSettings(FilterRecord& filter, int cameraNumber);
int SaveFilterSettings(const FilterRecord& filter, int cameraNumber, FilterRecord::Values* stored = nullptr);

// Gray group (gray mode, gains and offsets of the filter record). The save
// never creates the camera key.
int LoadGraySettings(FilterRecord& filter, int cameraNumber);
int SaveGraySettings(const FilterRecord& filter, int cameraNumber, FilterRecord::Values* stored = nullptr);

}  // namespace tavrin
