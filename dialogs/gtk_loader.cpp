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

RunModalDialogFunction* LoadView() {
    static std::once_flag once;
    static std::unique_ptr<platform::RuntimeModule> module;
    static RunModalDialogFunction* run = nullptr;
    std::call_once(once, [] {
        module = platform::RuntimeModule::Load(kGtkModuleName);
        if (module)
            run = reinterpret_cast<RunModalDialogFunction*>(module->Symbol(kGtkEntryName));
    });
    return run;
}

}  // namespace

int RunScreenDialog(int templateId, platform::WindowHandle parent, DialogHandler& handler,
                    const CrossThreadWork* work) {
    const auto display = platform::GetEnvironment("DISPLAY");
    if (!display || display->empty())
        return -1;
    RunModalDialogFunction* run = LoadView();
    return run ? run(templateId, parent, &handler, work) : -1;
}

}  // namespace tavrin::dialogs
