// A second program for the acquisition tests: it streams camera 0 with a
// notification window (so the camera is marked in use), says so by creating
// DIR/streaming, and stops and exits once DIR/stop exists (or after 30 s).
// With "race NAME" it creates DIR/ready-NAME, starts together with its
// siblings once DIR/go exists, and leaves DIR/streaming-NAME or
// DIR/refused-NAME holding the error codes it was given.
// The simulator, the shared block and the settings store come from the
// environment of the test that starts it. Exit code 0 when all went well.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "TavrinSdk.h"
#include "TavrinSim.h"
#include "support/notify_window.h"

namespace {

// Waits for the go signal, starts, and tells how it went. Returns whether
// this program streams.
bool RaceForTheCamera(int handle, const std::filesystem::path& signals, const std::string& name) {
    std::ofstream(signals / ("ready-" + name)).put('\n');
    while (!std::filesystem::exists(signals / "go")) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (Tavrin_StartPreview(handle) == 1) {
        std::ofstream(signals / ("streaming-" + name)).put('\n');
        return true;
    }
    // Written aside and renamed, so the test never reads half the codes.
    const auto written = signals / ("refused-" + name + ".part");
    {
        std::ofstream refused(written);
        for (int code = Tavrin_GetLastError(handle); code != 0; code = Tavrin_GetLastError(handle)) {
            refused << code << ' ';
        }
    }
    std::filesystem::rename(written, signals / ("refused-" + name));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return 2;
    }
    const std::filesystem::path signals = argv[1];
    const bool race = argc >= 4 && std::string(argv[2]) == "race";
    HWND window = tavrin::test::CreateNotifyWindow();
    const int handle = Tavrin_Initialize(window);
    if (handle == 0 || TavrinSim_IsActive() != 1) {
        return 3;
    }
    Tavrin_SetPreviewWindow(handle, nullptr, 0, 0, 0, 0);
    if (race) {
        RaceForTheCamera(handle, signals, argv[3]);
    } else if (Tavrin_CallBackPreview(handle, window, nullptr, 0, 0) != 1) {
        return 4;
    } else {
        std::ofstream(signals / "streaming").put('\n');
    }
    const auto start = std::chrono::steady_clock::now();
    while (!std::filesystem::exists(signals / "stop") &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(30)) {
        tavrin::test::DrainMessages();  // the frame messages of this program's own stream
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const int stopped = Tavrin_StopPreview(handle);
    Tavrin_Release(handle);
    tavrin::test::DestroyNotifyWindow(window);
    return stopped == 1 ? 0 : 5;
}
