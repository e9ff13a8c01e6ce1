/* The public headers compile as plain C on their own (twice: include guards). */
#include "TavrinSdk.h"
#include "TavrinSdk.h"
#include "TavrinSim.h"
#include "TavrinEx.h"
#include "TavrinEx.h"
#ifndef _WIN32
#include "TavrinPosix.h"
#endif

int tavrin_public_headers_compile_as_c(void) {
    TavrinFrameInfo frame = {sizeof(TavrinFrameInfo), 0, 0, 0, 0, 0, NULL};
    TavrinCameraInfo camera = {sizeof(TavrinCameraInfo), 0, 0, 0, 0, 0, 0, 0, 0};
    TavrinFrameMeta meta = {sizeof(TavrinFrameMeta), 0, 0, 0, 0, 0, 0};
    return frame.size + camera.size + meta.size + WM_SDK_FRAME + SDKERR_TRANSFER;
}

int tavrin_setting_info_compiles_as_c(void) {
    TavrinSettingInfo setting = {0};
    setting.size = sizeof(TavrinSettingInfo);
    setting.kind = TAVRIN_SETTING_LIST;
    setting.flags = TAVRIN_SETTING_APPLIES_AT_START;
    setting.name = "color-mode";
    setting.values[TAVRIN_SETTING_MAX_VALUES - 1] = TAVRIN_SETTING_RANGE + TAVRIN_SETTING_BOOLEAN;
    return setting.size + setting.kind + setting.values[TAVRIN_SETTING_MAX_VALUES - 1];
}
