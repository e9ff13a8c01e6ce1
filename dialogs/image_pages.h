// The two pages of the image filter dialog. Both edit the camera object's
// filter record in place, so every change shows on the next frame.
#pragma once

#include <array>

#include "dialogs/controls.h"
#include "records/filter_record.h"

namespace tavrin::dialogs {

// Which parts of the image filter dialog take input, fixed by the colour
// mode when the dialog opens.
struct ImageDialogFlags {
    std::array<bool, 9> rows{};  // brightness .. gamma
    bool grayTab = false;
    bool whiteBalanceAndBayer = false;

    static ImageDialogFlags ForColorMode(int colorMode);
};

// Brightness, contrast, hue, saturation, sharpness, the colour conversion
// gains and gamma; automatic white balance; the Bayer mode.
class FilterPage : public DialogHandler {
public:
    FilterPage(FilterRecord& record, const ImageDialogFlags& flags) : record_(record), flags_(flags) {}

    void OnInit(Controls& controls) override;
    void OnCommand(int id, Notification notification) override;
    void OnScroll(int sliderId) override;
    void Refresh();
    void Collect();
    // Default: the nine rows and the Bayer mode take the catalogue's values.
    void ResetToDefaults();

private:
    FilterRecord& record_;
    ImageDialogFlags flags_;
    Controls* controls_ = nullptr;
    bool initialized_ = false;
};

// The gray mode, the per-phase gray gains and offsets, the automatic gray
// balance and the Bayer mode, for the monochrome colour modes.
class GrayPage : public DialogHandler {
public:
    explicit GrayPage(FilterRecord& record) : record_(record) {}

    void OnInit(Controls& controls) override;
    void OnCommand(int id, Notification notification) override;
    void OnScroll(int sliderId) override;
    void Refresh();
    void Collect();
    // Default: the gray gains and offsets take the catalogue's values; the
    // gray mode, the Bayer mode and the request stay.
    void ResetToDefaults();

private:
    FilterRecord& record_;
    Controls* controls_ = nullptr;
    bool initialized_ = false;
};

}  // namespace tavrin::dialogs
