// The analog gain dialog: a frame with one "Analog Gain" page on which the
// global gain, the exposure, the mirrors and the automatic exposure control
// are set. Every change goes to the camera and into the analog record at
// once; the launcher puts the record and the device back on Cancel.
#pragma once

#include <string>

#include "dialogs/analog_device.h"
#include "dialogs/controls.h"
#include "records/settings_records.h"

namespace tavrin::dialogs {

class AnalogPage : public DialogHandler {
public:
    AnalogPage(AnalogRecord& record, AnalogDevice& device) : record_(record), device_(device) {}

    void OnInit(Controls& controls) override;
    void OnCommand(int id, Notification notification) override;
    void OnScroll(int sliderId) override;

    void Refresh();  // the record's six numbers into the sliders and boxes
    void Collect();  // the six boxes back into the record
    // What the automatic exposure control chose, shown as if typed.
    void ShowGain(int32_t gain);
    void ShowExposure(int32_t lines);

    // "=%.2fms" for an exposure in lines; 1014 lines take as long as 2028.
    static std::string ExposureLabel(int32_t lines, const ExposureTiming& timing);

private:
    void OnCheckBox(int id);
    void OnTextChanged(int id);
    void UpdateExposureLabel();

    AnalogRecord& record_;
    AnalogDevice& device_;
    Controls* controls_ = nullptr;
    bool initialized_ = false;
};

class AnalogDialog : public DialogHandler {
public:
    AnalogDialog(AnalogRecord& record, AnalogDevice& device, Language language);

    void OnInit(Controls& controls) override;
    void OnCommand(int id, Notification notification) override;
    void OnTabChanged() override;

    AnalogPage& Page() { return page_; }
    const AnalogRecord& Record() const { return record_; }

private:
    AnalogRecord& record_;
    AnalogDevice& device_;
    Language language_;
    AnalogPage page_;
    Controls* controls_ = nullptr;
    Controls* pageControls_ = nullptr;
};

}  // namespace tavrin::dialogs
