// The built-in dialogs as a camera opens them: what each launcher pauses,
// saves and restores around its modal dialog, and how the acquisition
// thread reaches an open dialog of its camera.
#pragma once

#include <functional>
#include <string>

#include "camera/analog_control.h"
#include "platform/messages.h"

namespace tavrin {

class CTavrin;

int SetCameraDlg(CTavrin& camera, platform::WindowHandle parent);
int SetAnalogDlg(CTavrin& camera, platform::WindowHandle parent);
int SetImageDlg(CTavrin& camera, platform::WindowHandle parent);

// Why no dialog can be shown on this host now; empty when one can.
std::string DialogProblem();

// Acquisition thread, with no lock held, after a frame: automatic
// exposure's choice goes into the camera's open analog page as if typed,
// and after a frame that may have run an automatic white balance or gray
// pass the open image pages show the record again. Waiting for the
// dialog's thread ends when stopping() turns true.
void TellOpenDialogs(const CameraContext& context, const AnalogChange& change, bool imagePass,
                     const std::function<bool()>& stopping);

}  // namespace tavrin
