// The camera property dialog: the stream format and the wait time, with the
// stored readout windows, sub-sample mode and clock shown. It edits its own
// copy of the size and format groups of the registry and writes them back
// on OK and Apply; the camera object takes them over after OK.
#pragma once

#include "dialogs/controls.h"
#include "settings/registry_store.h"

namespace tavrin::dialogs {

class CameraDialog : public DialogHandler {
public:
    CameraDialog(int cameraNumber, Language language);

    void OnInit(Controls& controls) override;
    void OnCommand(int id, Notification notification) override;

    const SizeTable& Table() const { return table_; }
    // Whether the settings store could not be read or written while the
    // dialog ran (the dialog itself shows nothing of it).
    bool StoreFailed() const { return storeFailed_; }

private:
    void FillLists();
    void FillSizeList();
    void ShowEntry(int index);
    void ReadControls();
    void SaveTable();
    void ReadCustomEntry();
    std::string SizeLabel(int index) const;

    int cameraNumber_;
    Language language_;
    SizeTable table_;
    Controls* controls_ = nullptr;
    bool storeFailed_ = false;
};

}  // namespace tavrin::dialogs
