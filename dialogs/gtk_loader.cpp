// On POSIX hosts the dialogs' view is the GTK module, loaded the first time
// a dialog is asked for, so that programs that never open a dialog, and
// machines without GTK or a display, need neither.
#include <mutex>

#include "dialogs/gtk/gtk_entry.h"
#include "dialogs/modal_view.h"
#include "platform/dialog.h"
#include "platform/environment.h"

namespace tavrin::dialogs {
namespace {

struct View {
    std::unique_ptr<platform::RuntimeModule> module;
    platform::RuntimeModule::Failure failure;
    RunModalDialogFunction* run = nullptr;
    CanStartFunction* canStart = nullptr;
};

const View& LoadView() {
    static std::once_flag once;
    static View view;
    std::call_once(once, [] {
        view.module = platform::RuntimeModule::Load(kGtkModuleName, view.failure);
        if (view.module) {
            view.run = reinterpret_cast<RunModalDialogFunction*>(view.module->Symbol(kGtkEntryName));
            view.canStart = reinterpret_cast<CanStartFunction*>(view.module->Symbol(kGtkStartName));
        }
    });
    return view;
}

}  // namespace

int RunScreenDialog(int templateId, platform::WindowHandle parent, DialogHandler& handler,
                    const CrossThreadWork* work) {
    const auto display = platform::GetEnvironment("DISPLAY");
    if (!display || display->empty())
        return -1;
    RunModalDialogFunction* run = LoadView().run;
    return run ? run(templateId, parent, &handler, work) : -1;
}

std::string ScreenDialogProblem() {
    const auto display = platform::GetEnvironment("DISPLAY");
    if (!display || display->empty())
        return "no display (DISPLAY is not set)";
    const View& view = LoadView();
    if (!view.module && !view.failure.found)
        return std::string("the dialog module ") + kGtkModuleName + " is not installed beside the SDK library";
    if (!view.module)
        return std::string("the dialog module ") + kGtkModuleName +
               " cannot be loaded (is GTK 3 installed?): " + view.failure.reason;
    if (!view.run || !view.canStart)
        return std::string("the dialog module ") + kGtkModuleName + " does not belong to this SDK";
    if (view.canStart() == 0)
        return "GTK cannot open the display " + *display;
    return {};
}

}  // namespace tavrin::dialogs
