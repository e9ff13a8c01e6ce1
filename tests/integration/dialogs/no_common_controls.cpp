// A host that never made the common controls available: the dialog cannot
// be created, the launcher takes the Cancel path and returns 1 at once. A
// dialog that did appear would block, so a watchdog ends the program then.
#include <windows.h>

#include <cstdio>
#include <thread>

#include "TavrinSdk.h"

int main() {
    SetEnvironmentVariableA("TAVRIN_SIM", "0");
    std::thread([] {
        Sleep(15000);
        std::puts("a dialog was shown");
        ExitProcess(3);
    }).detach();
    const int handle = Tavrin_Initialize(nullptr);
    Tavrin_SetBrightness(handle, 5);
    const int shown = Tavrin_SetImageDlg(handle, nullptr);
    int error = 0;
    const int brightness = Tavrin_GetBrightness(handle, &error);
    Tavrin_Release(handle);
    std::printf("result %d brightness %d\n", shown, brightness);
    return shown == 1 && brightness == 5 ? 0 : 1;
}
