// Shows a dialog on the screen: the Win32 view on Windows, the GTK view
// (loaded at run time) elsewhere. The controllers do not know which.
#pragma once

#include <functional>
#include <string>

#include "dialogs/controls.h"
#include "platform/messages.h"

namespace tavrin::dialogs {

// How other threads reach the dialog's thread while it is open: once the
// window exists, ready() receives the function that wakes that thread, and
// the woken thread calls run().
struct CrossThreadWork {
    std::function<void(std::function<void()> wake)> ready;
    std::function<void()> run;
};

// Runs the modal dialog of a template on the calling thread, owned by the
// parent, with the handler driving it. The result given to EndDialog, or -1
// when the dialog cannot be created (no templates, no control classes, no
// display).
int RunModalDialog(int templateId, platform::WindowHandle parent, DialogHandler& handler, const CrossThreadWork* work);

// The screen's view behind RunModalDialog: Win32 or the GTK module.
int RunScreenDialog(int templateId, platform::WindowHandle parent, DialogHandler& handler, const CrossThreadWork* work);

// Why the screen's view cannot show a dialog now (no display, the view's
// module missing or unloadable, no GTK); empty when it can. The launchers
// still answer as the SDK always has; callers that want to tell a user ask
// this first.
std::string ScreenDialogProblem();

// Replaces the screen's view for the calling program's tests (an empty
// function puts the screen back), so that launchers can be driven through a
// headless dialog.
using ModalView = std::function<int(int templateId, DialogHandler& handler, const CrossThreadWork* work)>;
void SetModalViewForTesting(ModalView view);

// Whether the dialogs use their Japanese templates and texts.
bool UseJapanese();

}  // namespace tavrin::dialogs
