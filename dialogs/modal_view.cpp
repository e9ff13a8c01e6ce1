// What the launchers call: the language, and the view (the screen's, or a
// test's).
#include <mutex>

#include "dialogs/modal_view.h"
#include "platform/dialog.h"

namespace tavrin::dialogs {
namespace {

std::mutex viewMutex;
ModalView& TestView() {
    static ModalView view;
    return view;
}

}  // namespace

bool UseJapanese() { return platform::JapaneseUserInterface(); }

void SetModalViewForTesting(ModalView view) {
    std::lock_guard lock(viewMutex);
    TestView() = std::move(view);
}

int RunModalDialog(int templateId, platform::WindowHandle parent, DialogHandler& handler, const CrossThreadWork* work) {
    ModalView view;
    {
        std::lock_guard lock(viewMutex);
        view = TestView();
    }
    return view ? view(templateId, handler, work) : RunScreenDialog(templateId, parent, handler, work);
}

}  // namespace tavrin::dialogs
