// Whether the built-in dialogs can be shown: asks the dialogs' view and
// copies its answer out.
#include <algorithm>
#include <cstring>
#include <string>

#include "TavrinEx.h"
#include "camera/dialog_launchers.h"

extern "C" {

TAVRIN_API int TAVRIN_CALL TavrinEx_CanShowDialogs(char* reason, int reasonSize) {
    const std::string problem = tavrin::DialogProblem();
    if (reason && reasonSize > 0) {
        const size_t length = std::min(problem.size(), static_cast<size_t>(reasonSize) - 1);
        std::memcpy(reason, problem.data(), length);
        reason[length] = '\0';
    }
    return problem.empty() ? 1 : 0;
}

}  // extern "C"
