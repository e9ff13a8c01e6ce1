// The library loaded under another file name finds no templates: the dialog
// cannot be created, the launcher takes the Cancel path and returns 1 at
// once. A dialog that did appear would block, so a watchdog ends the program.
#include <windows.h>

#include <cstdio>
#include <thread>

// An export of the loaded library as the function type it has.
template <typename Function>
Function* Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

int main() {
    SetEnvironmentVariableA("TAVRIN_SIM", "0");
    HMODULE sdk = LoadLibraryA("TavrinSdk_renamed.dll");
    if (!sdk)
        return 2;
    auto* initialize = Export<int(void*)>(sdk, "Tavrin_Initialize");
    auto* setBrightness = Export<int(int, int)>(sdk, "Tavrin_SetBrightness");
    auto* getBrightness = Export<int(int, int*)>(sdk, "Tavrin_GetBrightness");
    auto* imageDialog = Export<int(int, void*)>(sdk, "Tavrin_SetImageDlg");
    std::thread([] {
        Sleep(15000);
        std::puts("a dialog was shown");
        ExitProcess(3);
    }).detach();
    const int handle = initialize(nullptr);
    setBrightness(handle, 5);
    const int shown = imageDialog(handle, nullptr);
    int error = 0;
    const int brightness = getBrightness(handle, &error);
    std::printf("result %d brightness %d\n", shown, brightness);
    return shown == 1 && brightness == 5 ? 0 : 1;
}
