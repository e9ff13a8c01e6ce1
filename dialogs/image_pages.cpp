#include "dialogs/image_pages.h"

#include "dialogs/control_ids.h"
#include "dialogs/slider_group.h"
#include "records/settings_catalogue.h"

namespace tavrin::dialogs {
namespace {

struct FilterRow {
    SliderRow controls;
    FilterField field;
    int32_t defaultValue;  // what Default puts back
};

// A row of the filter page offers what the setting accepts.
constexpr FilterRow CatalogueRow(int slider, int edit, int spin, int tickSpacing, FilterField field, int filterId) {
    const catalogue::SettingEntry& setting = catalogue::FilterSetting(filterId);
    return {{slider, edit, spin, setting.minimum, setting.maximum, tickSpacing}, field, setting.defaultValue};
}

constexpr FilterRow kFilterRows[] = {
    CatalogueRow(2001, 2002, 2004, 64, kBrightness, kFilterBrightness),
    CatalogueRow(2011, 2012, 2014, 32, kContrast, kFilterContrast),
    CatalogueRow(2021, 2022, 2024, 90, kHue, kFilterHue),
    CatalogueRow(2031, 2032, 2034, 64, kSaturation, kFilterSaturation),
    CatalogueRow(2041, 2042, 2044, 4, kSharpness, kFilterSharpness),
    CatalogueRow(2051, 2052, 2054, 32, kBayerGainRed, kFilterBayerGainRed),
    CatalogueRow(2061, 2062, 2063, 32, kBayerGainGreen, kFilterBayerGainGreen),
    CatalogueRow(2071, 2072, 2073, 32, kBayerGainBlue, kFilterBayerGainBlue),
    CatalogueRow(2081, 2082, 2084, 32, kGamma, kFilterGamma),
};

// Gains of the red, first green, second green and blue phases, then their
// offsets: slider, edit box and spin control follow one another. The gray
// page offers 0 to 400 on every row, wider than the gains' setter takes and
// without the offsets' negative half: a value the sliders cannot reach is
// typed into the box. Default puts the catalogue's values back.
constexpr int kGrayRowMinimum = 0;
constexpr int kGrayRowMaximum = 400;
constexpr FilterRow GrayRow(int index) {
    const int first = 2100 + 3 * index;
    return {{first, first + 1, first + 2, kGrayRowMinimum, kGrayRowMaximum, 32},
            static_cast<FilterField>(kGrayGainR + index),
            catalogue::DefaultOf(kFilterGrayGainR + index)};
}
constexpr FilterRow kGrayRows[] = {GrayRow(0), GrayRow(1), GrayRow(2), GrayRow(3),
                                   GrayRow(4), GrayRow(5), GrayRow(6), GrayRow(7)};

constexpr int32_t kDefaultBayerMode = catalogue::DefaultOf(kFilterBayerMode);

constexpr int kBayerRadios[] = {1030, 1031, 1032, 1033};
constexpr int kGrayModeRadios[] = {1046, 1047, 1048};

template <size_t N>
void CheckOneOf(Controls& controls, const int (&radios)[N], int32_t value) {
    for (size_t i = 0; i < N; ++i)
        controls.SetCheck(radios[i], static_cast<int32_t>(i) == value);
}

template <size_t N>
int IndexOf(const int (&radios)[N], int id) {
    for (size_t i = 0; i < N; ++i) {
        if (radios[i] == id)
            return static_cast<int>(i);
    }
    return -1;
}

template <size_t N>
void ShowRows(Controls& controls, const FilterRow (&rows)[N], const FilterRecord& record) {
    for (const FilterRow& row : rows)
        ShowRowValue(controls, row.controls, record.Get(row.field));
}

template <size_t N>
void ResetRows(const FilterRow (&rows)[N], FilterRecord& record) {
    for (const FilterRow& row : rows)
        record.Set(row.field, row.defaultValue);
}

template <size_t N>
void CollectRows(const Controls& controls, const FilterRow (&rows)[N], FilterRecord& record) {
    for (const FilterRow& row : rows)
        record.Set(row.field, controls.GetInt(row.controls.edit));
}

// A slider moved: its position goes into the box, which updates the record.
template <size_t N>
void SliderMoved(Controls& controls, const FilterRow (&rows)[N], FilterRecord& record, int sliderId) {
    for (const FilterRow& row : rows) {
        if (row.controls.slider != sliderId)
            continue;
        const int32_t position = controls.SliderPosition(sliderId);
        controls.SetInt(row.controls.edit, position);
        record.Set(row.field, position);
    }
}

// A box edited: the record takes the number as typed, the slider shows it
// within its range.
template <size_t N>
void BoxEdited(Controls& controls, const FilterRow (&rows)[N], FilterRecord& record, int editId) {
    for (const FilterRow& row : rows) {
        if (row.controls.edit != editId)
            continue;
        const int32_t value = controls.GetInt(editId);
        record.Set(row.field, value);
        controls.SliderSetPosition(row.controls.slider, value);
    }
}

}  // namespace

ImageDialogFlags ImageDialogFlags::ForColorMode(int colorMode) {
    ImageDialogFlags flags;
    if (colorMode == 0 || colorMode == 1) {
        for (FilterField field : {kBrightness, kContrast, kSharpness, kGamma})
            flags.rows[field] = true;
        flags.grayTab = true;
    } else if (colorMode >= 2 && colorMode <= 5) {
        flags.rows.fill(true);
        flags.whiteBalanceAndBayer = true;
    }
    return flags;
}

void FilterPage::OnInit(Controls& controls) {
    controls_ = &controls;
    initialized_ = false;
    for (size_t i = 0; i < std::size(kFilterRows); ++i) {
        SetUpSliderGroup(controls, kFilterRows[i].controls, record_.Get(kFilterRows[i].field), flags_.rows[i]);
    }
    for (int id : {ids::kOnce, ids::kAllFrames, 1030, 1031, 1032, 1033}) {
        controls.Enable(id, flags_.whiteBalanceAndBayer);
    }
    CheckOneOf(controls, kBayerRadios, record_.Get(kBayerMode));
    initialized_ = true;
}

void FilterPage::Refresh() {
    if (!controls_)
        return;
    ShowRows(*controls_, kFilterRows, record_);
    CheckOneOf(*controls_, kBayerRadios, record_.Get(kBayerMode));
}

void FilterPage::ResetToDefaults() {
    ResetRows(kFilterRows, record_);
    record_.Set(kBayerMode, kDefaultBayerMode);
    Refresh();
}

void FilterPage::Collect() {
    if (!controls_)
        return;
    CollectRows(*controls_, kFilterRows, record_);
    for (size_t i = 0; i < std::size(kBayerRadios); ++i) {
        if (controls_->IsChecked(kBayerRadios[i])) {
            record_.Set(kBayerMode, static_cast<int32_t>(i));
            break;
        }
    }
}

void FilterPage::OnScroll(int sliderId) {
    if (controls_)
        SliderMoved(*controls_, kFilterRows, record_, sliderId);
}

void FilterPage::OnCommand(int id, Notification notification) {
    if (!controls_)
        return;
    if (notification == Notification::TextChanged) {
        if (initialized_)
            BoxEdited(*controls_, kFilterRows, record_, id);
        return;
    }
    if (const int bayer = IndexOf(kBayerRadios, id); bayer >= 0) {
        record_.Set(kBayerMode, bayer);
    } else if (id == ids::kAllFrames) {
        record_.Set(kBayerGainAuto, controls_->IsChecked(id) ? 1 : 0);
        record_.Set(kWhiteBalanceMark1, 0);
        record_.Set(kWhiteBalanceMark2, 0);
    } else if (id == ids::kOnce) {
        record_.Set(kBayerGainAuto, 1);
        record_.Set(kWhiteBalanceMark1, 1);
        record_.Set(kWhiteBalanceMark2, 1);
        controls_->SetCheck(ids::kAllFrames, false);
    }
}

void GrayPage::OnInit(Controls& controls) {
    controls_ = &controls;
    initialized_ = false;
    for (const FilterRow& row : kGrayRows)
        SetUpSliderGroup(controls, row.controls, record_.Get(row.field), true);
    CheckOneOf(controls, kGrayModeRadios, record_.Get(kGrayMode));
    CheckOneOf(controls, kBayerRadios, record_.Get(kBayerMode));
    initialized_ = true;
}

void GrayPage::Refresh() {
    if (controls_)
        ShowRows(*controls_, kGrayRows, record_);
}

void GrayPage::ResetToDefaults() {
    ResetRows(kGrayRows, record_);
    Refresh();
}

void GrayPage::Collect() {
    if (controls_)
        CollectRows(*controls_, kGrayRows, record_);
}

void GrayPage::OnScroll(int sliderId) {
    if (controls_)
        SliderMoved(*controls_, kGrayRows, record_, sliderId);
}

void GrayPage::OnCommand(int id, Notification notification) {
    if (!controls_)
        return;
    if (notification == Notification::TextChanged) {
        if (initialized_)
            BoxEdited(*controls_, kGrayRows, record_, id);
        return;
    }
    if (const int mode = IndexOf(kGrayModeRadios, id); mode >= 0) {
        record_.Set(kGrayMode, mode);
    } else if (const int bayer = IndexOf(kBayerRadios, id); bayer >= 0) {
        record_.Set(kBayerMode, bayer);
    } else if (id == ids::kOnce) {
        record_.Set(kGrayAutoBalance, 1);
    } else if (id == ids::kAllFrames) {
        // The button toggles the request, whatever its check mark shows.
        record_.Set(kGrayAutoBalance, record_.Get(kGrayAutoBalance) != 0 ? 0 : -1);
    }
}

}  // namespace tavrin::dialogs
