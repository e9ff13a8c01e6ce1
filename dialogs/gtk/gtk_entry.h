// The one function the GTK module exports, and how the library finds it.
#pragma once

#include "dialogs/modal_view.h"

namespace tavrin::dialogs {

inline constexpr const char* kGtkModuleName = "libTavrinSdk_860VX_RUX_gtk.so";
inline constexpr const char* kGtkEntryName = "TavrinGtk_RunModalDialog";
inline constexpr const char* kGtkStartName = "TavrinGtk_CanStart";

// RunModalDialog of the GTK view: -1 when GTK cannot open the display.
using RunModalDialogFunction = int(int templateId, platform::WindowHandle parent, DialogHandler* handler,
                                   const CrossThreadWork* work);

// Whether GTK starts on the display (once per process, on the caller's thread).
using CanStartFunction = int();

}  // namespace tavrin::dialogs
