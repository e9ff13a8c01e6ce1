#include "dialogs/modal_view.h"
#include "platform/dialog.h"

namespace tavrin::dialogs {

bool UseJapanese() { return platform::JapaneseUserInterface(); }

}  // namespace tavrin::dialogs
