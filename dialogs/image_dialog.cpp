#include "dialogs/image_dialog.h"

#include "dialogs/control_ids.h"
#include "dialogs/control_texts.h"

namespace tavrin::dialogs {

ImageDialog::ImageDialog(FilterRecord& record, int colorMode, Language language)
    : record_(record),
      flags_(ImageDialogFlags::ForColorMode(colorMode)),
      language_(language),
      filterPage_(record, flags_),
      grayPage_(record) {}

void ImageDialog::OnInit(Controls& controls) {
    controls_ = &controls;
    const bool japanese = language_ == Language::Japanese;
    controls.TabInsert(ids::kTab, 0, texts::kImageFilterTab.In(language_));
    filterControls_ = controls.CreatePage(templates::kFilterPage.For(japanese), filterPage_);
    if (filterControls_)
        controls.ShowPage(*filterControls_, true);
    if (flags_.grayTab) {
        controls.TabInsert(ids::kTab, 1, texts::kGrayFilterTab.In(language_));
        grayControls_ = controls.CreatePage(templates::kGrayPage.For(japanese), grayPage_);
        if (grayControls_)
            controls.ShowPage(*grayControls_, false);
    }
}

void ImageDialog::OnTabChanged() {
    const int selection = controls_->TabSelection(ids::kTab);
    if (selection != 0 && selection != 1)
        return;
    if (filterControls_)
        controls_->ShowPage(*filterControls_, selection == 0);
    if (grayControls_)
        controls_->ShowPage(*grayControls_, selection == 1);
}

void ImageDialog::Refresh() {
    filterPage_.Refresh();
    if (flags_.grayTab)
        grayPage_.Refresh();
}

void ImageDialog::Collect() {
    filterPage_.Collect();
    if (flags_.grayTab)
        grayPage_.Collect();
}

// The gray mode and the automatic white balance fields stay as they are.
void ImageDialog::ResetAdjustments() {
    filterPage_.ResetToDefaults();
    if (flags_.grayTab)
        grayPage_.ResetToDefaults();
}

void ImageDialog::OnCommand(int id, Notification) {
    if (!controls_)
        return;
    switch (id) {
    case ids::kOk:
        Collect();
        controls_->EndDialog(1);
        break;
    case ids::kCancel:
        controls_->EndDialog(2);
        break;
    case ids::kDefault:
        ResetAdjustments();
        break;
    default:
        break;
    }
}

}  // namespace tavrin::dialogs
