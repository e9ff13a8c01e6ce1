// A second program for the acquisition tests: it streams camera 0 with a
// notification window (so the camera is marked in use), says so by creating
// DIR/streaming, and stops and exits once DIR/stop exists (or after 30 s).
// The simulator, the shared block and the settings store come from the
// environment of the test that starts it. Exit code 0 when all went well.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "TavrinSdk.h"
#include "TavrinSim.h"
#include "support/notify_window.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        return 2;
    }
    const std::filesystem::path signals = argv[1];
    HWND window = tavrin::test::CreateNotifyWindow();
    const int handle = Tavrin_Initialize(window);
    if (handle == 0 || TavrinSim_IsActive() != 1) {
        return 3;
    }
    Tavrin_SetPreviewWindow(handle, nullptr, 0, 0, 0, 0);
    if (Tavrin_CallBackPreview(handle, window, nullptr, 0, 0) != 1) {
        return 4;
    }
    std::ofstream(signals / "streaming").put('\n');
    const auto start = std::chrono::steady_clock::now();
    while (!std::filesystem::exists(signals / "stop") && std::chrono::steady_clock::now() - start < std::chrono::seconds(30)) {
        tavrin::test::DrainMessages();  // the frame messages of this program's own stream
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const int stopped = Tavrin_StopPreview(handle);
    Tavrin_Release(handle);
    tavrin::test::DestroyNotifyWindow(window);
    return stopped == 1 ? 0 : 5;
}
