#include "dialogs/analog_dialog.h"

#include <cstdio>

#include "dialogs/control_ids.h"
#include "dialogs/control_texts.h"
#include "dialogs/slider_group.h"

namespace tavrin::dialogs {
namespace {

using Field = AnalogRecord::Field;

struct AnalogRow {
    int slider, edit, spin;
    Field field;
};

// Global gain, the four colour gains this model does not have, exposure.
constexpr AnalogRow kRows[] = {
    {1013, 1015, 1038, AnalogRecord::kGlobalGain},  {1018, 1019, 1039, AnalogRecord::kColorGainG1},
    {1020, 1021, 1040, AnalogRecord::kColorGainR},  {1022, 1023, 1041, AnalogRecord::kColorGainB},
    {1024, 1025, 1042, AnalogRecord::kColorGainG2}, {1026, 1027, 1043, AnalogRecord::kExposure},
};
constexpr const AnalogRow& kGainRow = kRows[0];
constexpr const AnalogRow& kExposureRow = kRows[5];

SliderRow WithRange(const AnalogRow& row, int minimum, int maximum) {
    return {row.slider, row.edit, row.spin, minimum, maximum, (maximum - minimum) / 8};
}

const AnalogRow* RowOfEdit(int id) {
    for (const AnalogRow& row : kRows) {
        if (row.edit == id)
            return &row;
    }
    return nullptr;
}

}  // namespace

std::string AnalogPage::ExposureLabel(int32_t lines, const ExposureTiming& timing) {
    // The sensor's longest exposure setting reads back as half its length.
    const double effective = lines == 1014 ? 2028.0 : static_cast<double>(lines);
    const double ms = (timing.lineLengthClocks * effective + timing.lineOffsetClocks) * timing.clockPeriodMs;
    char text[64];
    std::snprintf(text, sizeof text, "=%.2fms", ms);
    return text;
}

void AnalogPage::OnInit(Controls& controls) {
    controls_ = &controls;
    initialized_ = false;
    for (const AnalogRow& row : kRows) {
        const bool adjustable = &row == &kGainRow || &row == &kExposureRow;
        SliderRow range = WithRange(row, 0, 0);
        if (&row == &kGainRow)
            range = WithRange(row, 0, device_.MaximumGain());
        if (&row == &kExposureRow)
            range = WithRange(row, device_.MinimumExposure(), device_.MaximumExposure());
        SetUpSliderGroup(controls, range, record_.Get(row.field), adjustable);
    }
    controls.SetCheck(ids::kMirrorV, record_.Get(AnalogRecord::kMirrorV) != 0);
    controls.SetCheck(ids::kMirrorH, record_.Get(AnalogRecord::kMirrorH) != 0);
    const int32_t autoIris = record_.Get(AnalogRecord::kAutoIris);
    if (autoIris == 1)
        controls.SetCheck(ids::kAutoByExposure, true);
    if (autoIris == 2)
        controls.SetCheck(ids::kAutoByGain, true);
    UpdateExposureLabel();
    initialized_ = true;
}

void AnalogPage::Refresh() {
    if (!controls_)
        return;
    for (const AnalogRow& row : kRows) {
        const int32_t value = record_.Get(row.field);
        controls_->SliderSetPosition(row.slider, value);
        controls_->SetInt(row.edit, value);
    }
}

void AnalogPage::Collect() {
    if (!controls_)
        return;
    for (const AnalogRow& row : kRows)
        record_.Set(row.field, controls_->GetInt(row.edit));
}

void AnalogPage::ShowGain(int32_t gain) {
    if (controls_)
        controls_->SetInt(kGainRow.edit, gain);
}

void AnalogPage::ShowExposure(int32_t lines) {
    if (controls_)
        controls_->SetInt(kExposureRow.edit, lines);
}

void AnalogPage::OnScroll(int sliderId) {
    for (const AnalogRow& row : kRows) {
        if (row.slider == sliderId)
            controls_->SetInt(row.edit, controls_->SliderPosition(sliderId));
    }
}

void AnalogPage::OnCommand(int id, Notification notification) {
    if (!controls_)
        return;
    if (notification == Notification::TextChanged) {
        if (initialized_)
            OnTextChanged(id);
        return;
    }
    OnCheckBox(id);
}

void AnalogPage::OnCheckBox(int id) {
    Controls& c = *controls_;
    const bool checked = c.IsChecked(id);
    switch (id) {
    case ids::kMirrorV:
        device_.SetMirrorV(checked);
        record_.Set(AnalogRecord::kMirrorV, checked ? 1 : 0);
        break;
    case ids::kMirrorH:
        device_.SetMirrorH(checked);
        record_.Set(AnalogRecord::kMirrorH, checked ? 1 : 0);
        break;
    case ids::kAutoByGain:
        if (checked)
            c.SetCheck(ids::kAutoByExposure, false);
        record_.Set(AnalogRecord::kAutoIris, checked ? 2 : 0);
        break;
    case ids::kAutoByExposure:
        if (checked)
            c.SetCheck(ids::kAutoByGain, false);
        record_.Set(AnalogRecord::kAutoIris, checked ? 1 : 0);
        break;
    default:
        break;
    }
}

void AnalogPage::OnTextChanged(int id) {
    const AnalogRow* row = RowOfEdit(id);
    if (!row)
        return;
    const int32_t value = controls_->GetInt(id);
    record_.Set(row->field, value);
    controls_->SliderSetPosition(row->slider, value);
    if (row == &kGainRow)
        device_.SetGain(value);
    if (row == &kExposureRow) {
        device_.SetExposure(value);
        UpdateExposureLabel();
    }
}

void AnalogPage::UpdateExposureLabel() {
    controls_->SetText(ids::kExposureLabel, ExposureLabel(record_.Get(AnalogRecord::kExposure), device_.Timing()));
}

AnalogDialog::AnalogDialog(AnalogRecord& record, AnalogDevice& device, Language language)
    : record_(record), device_(device), language_(language), page_(record, device) {}

void AnalogDialog::OnInit(Controls& controls) {
    controls_ = &controls;
    controls.TabInsert(ids::kTab, 0, texts::kAnalogGainTab.In(language_));
    pageControls_ = controls.CreatePage(templates::kAnalogPage.For(language_ == Language::Japanese), page_);
    if (pageControls_)
        controls.ShowPage(*pageControls_, true);
}

void AnalogDialog::OnTabChanged() {
    if (pageControls_ && controls_->TabSelection(ids::kTab) == 0)
        controls_->ShowPage(*pageControls_, true);
}

void AnalogDialog::OnCommand(int id, Notification) {
    if (!controls_)
        return;
    switch (id) {
    case ids::kOk:
        page_.Collect();
        controls_->EndDialog(1);
        break;
    case ids::kCancel:
        controls_->EndDialog(2);
        break;
    case ids::kDefault:
        record_.Set(AnalogRecord::kGlobalGain, device_.DefaultGain());
        for (auto field : {AnalogRecord::kColorGainG1, AnalogRecord::kColorGainR, AnalogRecord::kColorGainB,
                           AnalogRecord::kColorGainG2}) {
            record_.Set(field, 0);
        }
        record_.Set(AnalogRecord::kExposure, device_.MinimumExposure());
        device_.SetGain(record_.Get(AnalogRecord::kGlobalGain));
        device_.SetExposure(record_.Get(AnalogRecord::kExposure));
        page_.Refresh();
        break;
    default:
        break;
    }
}

}  // namespace tavrin::dialogs
