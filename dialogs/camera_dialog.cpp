#include "dialogs/camera_dialog.h"

#include <iterator>

#include "dialogs/control_ids.h"
#include "dialogs/control_texts.h"
#include "platform/registry_scope.h"

namespace tavrin::dialogs {
namespace {

constexpr int kWindowBoxes = 6;          // 1039..1044 show TH, TV, EH, EV, EHS, EVS
constexpr int kSubSampleValues[] = {0};  // the value behind each sub-sample item
constexpr int kHighClockMHz = 40;

}  // namespace

CameraDialog::CameraDialog(int cameraNumber, Language language) : cameraNumber_(cameraNumber), language_(language) {
    // What the dialog shows when the registry has nothing to say.
    table_.colorMode = 2;
    table_.subSample = 0;
    table_.waitTime = 1;
    table_.clock = 2;
}

void CameraDialog::OnInit(Controls& controls) {
    controls_ = &controls;
    platform::RegistryScope store;
    LoadSizeTable(table_, cameraNumber_);
    storeFailed_ = storeFailed_ || store.Failed();
    controls.TabInsert(ids::kTab, 0, texts::kStreamFormatTab.In(language_));
    FillLists();
    FillSizeList();
    ShowEntry(table_.selected);
    controls.SetUnsigned(ids::kWaitTime, static_cast<uint32_t>(table_.waitTime));
    // Only the colour list and the wait time take input on this model.
    for (int id :
         {ids::kApply, ids::kClockList, 1039, 1040, 1041, 1042, 1043, 1044, ids::kSizeList, ids::kSubSampleList}) {
        controls.Enable(id, false);
    }
}

void CameraDialog::FillLists() {
    Controls& c = *controls_;
    for (int mode = 0; mode < 6; ++mode) {
        c.ListInsert(ids::kColorList, mode, texts::Format(texts::kColorModes[mode].In(language_), 10));
    }
    c.ListSelect(ids::kColorList, table_.colorMode);

    c.ListInsert(ids::kSubSampleList, 0, texts::kFullSampling.In(language_));
    int subSampleIndex = 0;
    for (int i = 0; i < static_cast<int>(std::size(kSubSampleValues)); ++i) {
        if (kSubSampleValues[i] == table_.subSample) {
            subSampleIndex = i;
            break;
        }
    }
    c.ListSelect(ids::kSubSampleList, subSampleIndex);

    for (int clock = 0; clock < 3; ++clock) {
        c.ListInsert(ids::kClockList, clock, texts::Format(texts::kClocks[clock].In(language_), kHighClockMHz));
    }
    c.ListSelect(ids::kClockList, table_.clock);
}

std::string CameraDialog::SizeLabel(int index) const {
    const auto& entry = table_.entries[index];
    return std::to_string(entry[2]) + " x " + std::to_string(entry[3]);
}

void CameraDialog::FillSizeList() {
    for (int i = 0; i < table_.count; ++i)
        controls_->ListInsert(ids::kSizeList, i, SizeLabel(i));
    controls_->ListInsert(ids::kSizeList, table_.count, texts::kCustomSize.In(language_));
    controls_->ListSelect(ids::kSizeList, table_.selected);
}

void CameraDialog::ShowEntry(int index) {
    // A stored selection beyond the table shows the first entry rather than
    // reading past the table.
    if (index < 0 || index >= SizeTable::kMaxEntries)
        index = 0;
    for (int i = 0; i < kWindowBoxes; ++i) {
        controls_->SetUnsigned(ids::kTotalWidth + i, static_cast<uint32_t>(table_.entries[index][i]));
    }
}

void CameraDialog::OnCommand(int id, Notification notification) {
    if (!controls_)
        return;
    if (notification == Notification::SelectionChanged) {
        if (id == ids::kSizeList) {
            table_.selected = controls_->ListSelection(ids::kSizeList);
            if (table_.selected != table_.count)
                ShowEntry(table_.selected);
        }
        controls_->Enable(ids::kApply, true);
        return;
    }
    if (notification == Notification::TextChanged) {
        controls_->Enable(ids::kApply, true);
        return;
    }
    switch (id) {
    case ids::kOk:
        ReadControls();
        SaveTable();
        controls_->EndDialog(1);
        break;
    case ids::kCancel:
        controls_->EndDialog(2);
        break;
    case ids::kApply:
        ReadControls();
        SaveTable();
        break;
    default:
        break;
    }
}

void CameraDialog::SaveTable() {
    platform::RegistryScope store;
    SaveSizeTable(table_, cameraNumber_);
    storeFailed_ = storeFailed_ || store.Failed();
}

void CameraDialog::ReadControls() {
    Controls& c = *controls_;
    // A list without a selection keeps the value it had.
    auto selection = [&c](int list, int32_t& field) {
        const int index = c.ListSelection(list);
        if (index >= 0)
            field = index;
    };
    selection(ids::kColorList, table_.colorMode);
    selection(ids::kSizeList, table_.selected);
    selection(ids::kSubSampleList, table_.subSample);
    selection(ids::kClockList, table_.clock);
    table_.subSample = kSubSampleValues[0];  // the only item there is
    table_.waitTime = static_cast<int32_t>(c.GetUnsigned(ids::kWaitTime));

    if (table_.selected == table_.count) {
        ReadCustomEntry();
    } else if (table_.selected >= 0 && table_.selected < table_.count) {
        for (int i = 0; i < kWindowBoxes; ++i) {
            table_.entries[table_.selected][i] = static_cast<int32_t>(c.GetUnsigned(ids::kTotalWidth + i));
        }
        c.ListDelete(ids::kSizeList, table_.selected);
        c.ListInsert(ids::kSizeList, table_.selected, SizeLabel(table_.selected));
        c.ListSelect(ids::kSizeList, table_.selected);
    }
    c.Enable(ids::kApply, false);
}

void CameraDialog::ReadCustomEntry() {
    // A full table takes no further entry: the typed window is refused and
    // the table stays as it is.
    if (table_.count >= SizeTable::kMaxEntries)
        return;
    auto& entry = table_.entries[table_.count];
    for (int i = 0; i < kWindowBoxes; ++i) {
        entry[i] = static_cast<int32_t>(controls_->GetUnsigned(ids::kTotalWidth + i));
    }
    controls_->ListInsert(ids::kSizeList, table_.count, SizeLabel(table_.count));
    controls_->ListSelect(ids::kSizeList, table_.count);
    ++table_.count;
}

}  // namespace tavrin::dialogs
