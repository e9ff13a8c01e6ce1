// The image filter dialog: an "Image Filter" page and, in the monochrome
// colour modes, a "Gray Filter" page, over one filter record. The launcher
// restores the whole record unless the dialog ends with OK.
#pragma once

#include "dialogs/image_pages.h"

namespace tavrin::dialogs {

class ImageDialog : public DialogHandler {
public:
    ImageDialog(FilterRecord& record, int colorMode, Language language);

    void OnInit(Controls& controls) override;
    void OnCommand(int id, Notification notification) override;
    void OnTabChanged() override;

    // After an automatic white balance or gray pass changed the record.
    void Refresh();
    const ImageDialogFlags& Flags() const { return flags_; }
    const FilterRecord& Record() const { return record_; }

private:
    void Collect();
    void ResetAdjustments();

    FilterRecord& record_;
    ImageDialogFlags flags_;
    Language language_;
    FilterPage filterPage_;
    GrayPage grayPage_;
    Controls* controls_ = nullptr;
    Controls* filterControls_ = nullptr;
    Controls* grayControls_ = nullptr;
};

}  // namespace tavrin::dialogs
