// The operations of the export table that this camera model does not have.
#include "camera/settings_front_end.h"

namespace tavrin {

int SettingsFrontEnd::Unsupported() {
    context_.Notify(kErrUnsupported);
    return 0;
}

int SettingsFrontEnd::UnsupportedFilter() {
    context_.Report(kErrUnsupported);
    return -1;
}

int SettingsFrontEnd::UnsupportedQuery(int* value) {
    if (value != nullptr) {
        *value = 0;
    }
    return 0;
}

}  // namespace tavrin
