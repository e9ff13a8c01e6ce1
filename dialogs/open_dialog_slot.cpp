#include "dialogs/open_dialog_slot.h"

namespace tavrin::dialogs {

OpenDialogSlot<CameraDialog>& CameraDialogSlot() {
    static OpenDialogSlot<CameraDialog> slot;
    return slot;
}

OpenDialogSlot<AnalogDialog>& AnalogDialogSlot() {
    static OpenDialogSlot<AnalogDialog> slot;
    return slot;
}

OpenDialogSlot<ImageDialog>& ImageDialogSlot() {
    static OpenDialogSlot<ImageDialog> slot;
    return slot;
}

}  // namespace tavrin::dialogs
