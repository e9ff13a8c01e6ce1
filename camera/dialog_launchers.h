// What the acquisition thread has to tell the open dialogs about the frame
// it just processed. It is gathered under the frame lock and told after it
// is released, since telling a dialog waits for the dialog's thread.
#pragma once

#include <cstdint>

namespace tavrin {

struct DialogNotices {
    int32_t gain = -1;      // the automatic control's new gain, or -1
    int32_t exposure = -1;  // its new exposure in lines, or -1
    bool imagePass = false; // an automatic white balance or gray pass may have run
};

}  // namespace tavrin
