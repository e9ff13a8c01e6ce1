#include "camera/notifier.h"

namespace tavrin {

void Notifier::Report(int32_t code) {
    errors_.Push(code);
    const platform::WindowHandle window = Window();
    if (window != nullptr) {
        platform::PostWindowMessage(window, kMessageError, 0, code);
    }
}

void Notifier::Notify(int32_t code) { platform::PostWindowMessage(Window(), kMessageError, 0, code); }

}  // namespace tavrin
