// The error codes' names for people: the table lives beside the codes.
#include "TavrinEx.h"
#include "camera/notifier.h"
#include "camera/text_out.h"

extern "C" {

TAVRIN_API int TAVRIN_CALL TavrinEx_GetErrorName(int code, char* name, int nameSize) {
    const char* known = tavrin::ErrorCodeName(code);
    tavrin::CopyTextOut(known != nullptr ? known : "", name, nameSize);
    return known != nullptr ? 1 : 0;
}

}  // extern "C"
