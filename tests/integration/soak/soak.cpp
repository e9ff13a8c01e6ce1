// Soak: N simulated cameras, each driven by a thread of its own through the
// exports for the given time, at random: callback previews, snapshots,
// stills, short recordings, setting changes, unplugs and injected transfer
// and command faults. Prints the frames, the errors by code and the resident
// memory at start and end. Exits 1 when a camera thread hangs.
//
//   tavrin_soak CAMERAS SECONDS     (TAVRIN_SIM must list the slots 0..N-1)
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "TavrinPosix.h"
#include "TavrinSim.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kMaxErrorCode = 13;
constexpr int kColorModes[] = {8, 16, 24, 32, 48, 64};
constexpr size_t kLargestImage = 656 * 494 * 8;

struct CameraStats {
    std::atomic<uint64_t> callbackFrames{0};
    std::atomic<uint64_t> operations{0};
    std::array<std::atomic<uint64_t>, kMaxErrorCode + 1> errors{};
};

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

class SoakCamera {
public:
    SoakCamera(int slot, CameraStats& stats) : slot_(slot), stats_(stats), random_(1000u + slot) {}

    void Run(Clock::time_point end) {
        window_ = TavrinPosix_CreateMessageWindow();
        camera_ = Tavrin_Initialize(window_);
        Tavrin_SetDeviceNumber(camera_, slot_);
        // No preview window: a soak runs without a display.
        Tavrin_SetPreviewWindow(camera_, nullptr, 0, 0, 0, 0);
        buffer_.resize(kLargestImage);
        while (Clock::now() < end) {
            Step();
            stats_.operations++;
            Drain(Pick(20, 300));
        }
        Tavrin_Close(camera_);
        Drain(0);
        Tavrin_Release(camera_);
        TavrinPosix_DestroyWindow(window_);
        std::remove(FileName("still").c_str());
        std::remove(FileName("avi").c_str());
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    std::string FileName(const char* what) const {
        return "soak_" + std::to_string(getpid()) + "_" + std::to_string(slot_) + "." + what;
    }

    void Step() {
        switch (Pick(0, 11)) {
        case 0:
        case 1:
            Tavrin_CallBackPreview(camera_, window_, buffer_.data(), static_cast<int>(buffer_.size()), Pick(0, 1));
            break;
        case 2:
            Tavrin_StopPreview(camera_);
            break;
        case 3:
            Tavrin_SnapShot(camera_, buffer_.data(), static_cast<int>(buffer_.size()), Pick(0, 1));
            break;
        case 4:
            Tavrin_SaveImage(camera_, FileName("still").c_str(), Pick(0, 6));
            break;
        case 5:
            Tavrin_Record(camera_, FileName("avi").c_str(), Pick(200, 2000), 0);
            break;
        case 6:
            Tavrin_SetColorMode(camera_, kColorModes[Pick(0, 5)]);
            break;
        case 7:
            Tavrin_SetExposureTime(camera_, Pick(2, 600));
            Tavrin_SetGlobalGain(camera_, Pick(0, 1023));
            Tavrin_SetGamma(camera_, Pick(10, 300));
            break;
        case 8:
            Pick(0, 1) ? Tavrin_SetCaptureWindow(camera_, 656, 494) : Tavrin_SetCaptureWindow(camera_, 320, 240);
            break;
        case 9:
            TavrinSim_SetPresent(slot_, 0);
            Drain(Pick(20, 500));
            TavrinSim_SetPresent(slot_, 1);
            break;
        case 10:
            TavrinSim_InjectFault(slot_, Pick(TAVRINSIM_FAULT_FRAME_FAILS, TAVRINSIM_FAULT_OPEN_FAILS), Pick(1, 3));
            break;
        default:
            Tavrin_Close(camera_);
            break;
        }
    }

    // Takes the window's messages for `milliseconds`, counting frames and errors.
    void Drain(int milliseconds) {
        const auto until = Clock::now() + std::chrono::milliseconds(milliseconds);
        TavrinMsg message{};
        do {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
            if (TavrinPosix_GetMessage(window_, &message, left > 0 ? static_cast<int>(left) : 0) == 0) {
                continue;
            }
            if (message.message == WM_SDK_FRAME && message.wParam != 0) {
                stats_.callbackFrames++;
            } else if (message.message == WM_SDK_ERROR) {
                const intptr_t code = message.lParam;
                stats_.errors[code >= 0 && code <= kMaxErrorCode ? code : 0]++;
            }
        } while (Clock::now() < until);
        while (Tavrin_GetLastError(camera_) != 0) {
        }
    }

    int slot_;
    CameraStats& stats_;
    std::mt19937 random_;
    HWND window_ = nullptr;
    int camera_ = 0;
    std::vector<BYTE> buffer_;
};

void Report(const char* when, int cameras, const std::vector<CameraStats>& stats, double seconds) {
    uint64_t simulated = 0, callbacks = 0, operations = 0;
    std::array<uint64_t, kMaxErrorCode + 1> errors{};
    for (int slot = 0; slot < cameras; ++slot) {
        simulated += static_cast<uint64_t>(std::max(TavrinSim_GetFrameCount(slot), 0));
        callbacks += stats[slot].callbackFrames;
        operations += stats[slot].operations;
        for (int code = 0; code <= kMaxErrorCode; ++code)
            errors[code] += stats[slot].errors[code];
    }
    std::printf("%s %.0f s: camera frames %llu, callback frames %llu, operations %llu, resident %ld KiB, errors", when,
                seconds, static_cast<unsigned long long>(simulated), static_cast<unsigned long long>(callbacks),
                static_cast<unsigned long long>(operations), ResidentKiB());
    for (int code = 0; code <= kMaxErrorCode; ++code) {
        if (errors[code] != 0)
            std::printf(" %d:%llu", code, static_cast<unsigned long long>(errors[code]));
    }
    std::printf("\n");
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const int cameras = argc > 1 ? std::atoi(argv[1]) : 0;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 0;
    if (cameras < 1 || cameras > 32 || seconds < 1 || TavrinSim_IsActive() == 0) {
        std::fprintf(stderr, "usage: TAVRIN_SIM=0,1,... tavrin_soak CAMERAS(1-32) SECONDS\n");
        return 2;
    }
    std::vector<CameraStats> stats(static_cast<size_t>(cameras));
    const auto start = Clock::now();
    const auto end = start + std::chrono::seconds(seconds);
    std::atomic<int> finished{0};
    std::vector<std::thread> threads;
    Report("start", cameras, stats, 0);
    for (int slot = 0; slot < cameras; ++slot) {
        threads.emplace_back([&, slot] {
            SoakCamera(slot, stats[slot]).Run(end);
            finished++;
        });
    }
    auto elapsed = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
    auto nextReport = start + std::chrono::minutes(1);
    while (finished < cameras) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (Clock::now() >= nextReport) {
            Report("at", cameras, stats, elapsed());
            nextReport += std::chrono::minutes(1);
        }
        if (Clock::now() > end + std::chrono::seconds(60)) {
            Report("HUNG", cameras, stats, elapsed());
            std::fprintf(stderr, "soak: %d camera threads still busy a minute after the end\n", cameras - finished);
            std::_Exit(1);
        }
    }
    for (auto& thread : threads)
        thread.join();
    Report("end", cameras, stats, elapsed());
    return 0;
}
