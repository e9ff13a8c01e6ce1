// Whether the built-in dialogs can be shown: asks the dialogs' view and
// copies its answer out.
#include <string>

#include "TavrinEx.h"
#include "camera/dialog_launchers.h"
#include "camera/text_out.h"

extern "C" {

TAVRIN_API int TAVRIN_CALL TavrinEx_CanShowDialogs(char* reason, int reasonSize) {
    const std::string problem = tavrin::DialogProblem();
    tavrin::CopyTextOut(problem, reason, reasonSize);
    return problem.empty() ? 1 : 0;
}

}  // extern "C"
