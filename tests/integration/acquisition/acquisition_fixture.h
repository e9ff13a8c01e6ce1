// A camera handle on a fresh settings store with the simulated camera in
// slot 0 (frames at once: interval=0; no settle pauses: settle=0), the preview window turned off, and
// helpers that read what the library posted and queued.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "TavrinSdk.h"
#include "TavrinSim.h"
#include "platform/environment.h"
#include "platform/module.h"
#include "support/isolation.h"
#include "support/notify_window.h"
#include "unit/settings/fresh_store.h"

namespace tavrin::test {

// Names scratch files after the process, so test programs running side by
// side (or the same program in two configurations) never share one.
inline std::string ProcessTag() { return std::to_string(tavrin::platform::CurrentProcess().id & 0xFFFFFF); }

inline constexpr int kSensorWidth = 656;
inline constexpr int kSensorHeight = 494;
inline constexpr int kSensorExposureRegister = 154;

// The library fills the frame record with atomic stores while the caller
// may read it: each field is read whole.
inline TavrinFrameInfo ReadFrameRecord(uintptr_t address) {
    auto* record = reinterpret_cast<TavrinFrameInfo*>(address);
    TavrinFrameInfo copy{};
    copy.size = std::atomic_ref<int32_t>(record->size).load(std::memory_order_relaxed);
    copy.width = std::atomic_ref<int32_t>(record->width).load(std::memory_order_relaxed);
    copy.height = std::atomic_ref<int32_t>(record->height).load(std::memory_order_relaxed);
    copy.bitsPerPixel = std::atomic_ref<int32_t>(record->bitsPerPixel).load(std::memory_order_relaxed);
    copy.frameRate = std::atomic_ref<int32_t>(record->frameRate).load(std::memory_order_relaxed);
    copy.reserved = std::atomic_ref<int32_t>(record->reserved).load(std::memory_order_relaxed);
    copy.buffer = std::atomic_ref<BYTE*>(record->buffer).load(std::memory_order_relaxed);
    return copy;
}

// Bytes of one row of an image `width` pixels wide, padded to 4 bytes.
inline int Stride(int width, int bitsPerPixel) { return (width * bitsPerPixel / 8 + 3) & ~3; }

inline uint32_t MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}

// What the messages of one stretch of time held.
struct Posted {
    std::vector<TavrinFrameInfo> records;  // WM_SDK_FRAME with a record
    std::vector<int> frameCodes;           // WM_SDK_FRAME with lParam 5, 8 or 13
    std::vector<int> errors;               // WM_SDK_ERROR
    // Every message in arrival order: its number and lParam.
    std::vector<std::pair<unsigned, intptr_t>> events;

    // The events that carried a code, in arrival order.
    std::vector<std::pair<unsigned, intptr_t>> CodeEvents() const {
        std::vector<std::pair<unsigned, intptr_t>> coded;
        for (const auto& event : events) {
            if (event.second != 0) {
                coded.push_back(event);
            }
        }
        return coded;
    }
    void Append(const Posted& later) {
        records.insert(records.end(), later.records.begin(), later.records.end());
        frameCodes.insert(frameCodes.end(), later.frameCodes.begin(), later.frameCodes.end());
        errors.insert(errors.end(), later.errors.begin(), later.errors.end());
        events.insert(events.end(), later.events.begin(), later.events.end());
    }
};

class AcquisitionTest : public ::testing::Test {
protected:
    // The simulator is chosen once per process; every test starts from the
    // same setting and changes the camera through TavrinSim_.
    static constexpr const char* kSimulatorSetting = "0;interval=0;settle=0";
    // A test program that needs the camera's own pace sets another.
    virtual const char* SimulatorSetting() const { return kSimulatorSetting; }

    void SetUp() override {
        IsolateFromOtherPrograms();
        platform::SetEnvironment("TAVRIN_SIM", SimulatorSetting());
        ASSERT_EQ(TavrinSim_IsActive(), 1);
        store_.emplace();
        for (int slot = 0; slot < 32; ++slot) {
            ResetCamera(slot, slot == 0);
        }
        DrainMessages();
        window = CreateNotifyWindow();
        ASSERT_NE(window, nullptr);
        handle = Tavrin_Initialize(window);
        ASSERT_NE(handle, 0);
        ASSERT_EQ(Tavrin_SetPreviewWindow(handle, nullptr, 0, 0, 0, 0), 1);
        TakeErrors();
        DrainMessages();
    }

    void TearDown() override {
        if (!store_) {
            return;  // skipped before the set-up
        }
        if (handle != 0) {
            Tavrin_Release(handle);
        }
        DestroyNotifyWindow(window);
        DrainMessages();
        for (int slot = 0; slot < 32; ++slot) {
            ResetCamera(slot, slot == 0);
        }
        store_.reset();
    }

    static void ResetCamera(int slot, bool present) {
        TavrinSim_SetPresent(slot, present ? 1 : 0);
        for (int fault = TAVRINSIM_FAULT_FRAME_FAILS; fault <= TAVRINSIM_FAULT_OPEN_FAILS; ++fault) {
            TavrinSim_InjectFault(slot, fault, 0);
        }
        TavrinSim_SetPattern(slot, TAVRINSIM_PATTERN_LIT_SCENE, 512);
        TavrinSim_ClearLog(slot);
    }

    // Everything queued so far, newest first; the queue is empty afterwards.
    std::vector<int> TakeErrors() const {
        std::vector<int> codes;
        for (int code = Tavrin_GetLastError(handle); code != 0; code = Tavrin_GetLastError(handle)) {
            codes.push_back(code);
        }
        return codes;
    }

    // Reads the messages of `target` until `frames` frame records have come,
    // or `codes` frame messages with an error code, or the time is up.
    Posted Collect(HWND target, size_t frames, int timeoutMs, size_t codes = 0) const {
        Posted posted;
        const auto start = std::chrono::steady_clock::now();
        while (true) {
            const int left = timeoutMs - static_cast<int>(MillisecondsSince(start));
            if (left <= 0 || (frames != 0 && posted.records.size() >= frames) ||
                (codes != 0 && posted.frameCodes.size() >= codes)) {
                break;
            }
            PostedMessage m{};
            if (!NextMessage(target, m, left)) {
                break;
            }
            posted.events.emplace_back(m.message, m.lParam);
            if (m.message == WM_SDK_FRAME && m.wParam != 0) {
                posted.records.push_back(ReadFrameRecord(m.wParam));
            } else if (m.message == WM_SDK_FRAME) {
                posted.frameCodes.push_back(static_cast<int>(m.lParam));
            } else if (m.message == WM_SDK_ERROR) {
                posted.errors.push_back(static_cast<int>(m.lParam));
            }
        }
        return posted;
    }

    // Every message that arrives within the time.
    Posted CollectFor(int milliseconds) const { return Collect(nullptr, 0, milliseconds); }

    // The size of the output image of a colour mode at the capture window.
    int ImageBytes(int bitsPerPixel) const {
        return Stride(Tavrin_Width(handle), bitsPerPixel) * Tavrin_Height(handle);
    }

    // Waits until the camera has sent more frames than `count`.
    static bool CameraSendsMoreThan(int slot, int count, int timeoutMs = 3000) {
        const auto start = std::chrono::steady_clock::now();
        while (TavrinSim_GetFrameCount(slot) <= count) {
            if (static_cast<int>(MillisecondsSince(start)) > timeoutMs) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    // No frame crosses the camera's pipe for a while: nothing streams.
    static bool CameraQuiet(int slot, int milliseconds = 150) {
        const int before = TavrinSim_GetFrameCount(slot);
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        return TavrinSim_GetFrameCount(slot) == before;
    }

    std::optional<FreshStore> store_;
    HWND window = nullptr;
    int handle = 0;
};

}  // namespace tavrin::test
