// Sequences of export calls with hostile arguments on the simulated camera:
// values across the whole int range, null and short buffers, unknown
// handles, identifiers and formats, unplugs and injected faults between
// calls. Every input starts from a fresh handle and an empty settings store.
// Time-like settings are held to short values so that one input stays short;
// any other value goes through as given.
#include <fuzzer/FuzzedDataProvider.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "TavrinSim.h"
#include "platform/environment.h"
#include "platform/registry.h"
#include "support/isolation.h"

namespace {

using Setter = int (*)(int, int);
using Getter = int (*)(int, int*);

const Setter kSetters[] = {
    Tavrin_SetBrightness,    Tavrin_SetContrast,      Tavrin_SetHue,           Tavrin_SetSaturation,
    Tavrin_SetSharpness,     Tavrin_SetBayerGainRGB,  Tavrin_SetBayerGainRed,  Tavrin_SetBayerGainGreen,
    Tavrin_SetBayerGainBlue, Tavrin_SetBayerGainAuto, Tavrin_SetGamma,         Tavrin_SetBayerMode,
    Tavrin_SetGlobalGain,    Tavrin_SetColorGainRed,  Tavrin_SetColorGainBlue, Tavrin_SetGrayMode,
    Tavrin_SetGrayGainR,     Tavrin_SetGrayGainB,     Tavrin_SetGrayOffsetR,   Tavrin_SetGrayOffsetB,
    Tavrin_SetMirrorH,       Tavrin_SetMirrorV,       Tavrin_SetAutoIris,      Tavrin_SetHalfClock,
    Tavrin_SetSamplingRate,  Tavrin_SetSubSample,     Tavrin_SetColorMode,     Tavrin_SetDeviceNumber,
};

const Getter kGetters[] = {
    Tavrin_GetBrightness,    Tavrin_GetContrast,         Tavrin_GetHue,           Tavrin_GetSaturation,
    Tavrin_GetSharpness,     Tavrin_GetBayerGainRGB,     Tavrin_GetBayerGainRed,  Tavrin_GetBayerGainGreen,
    Tavrin_GetBayerGainBlue, Tavrin_GetBayerGainAuto,    Tavrin_GetGamma,         Tavrin_GetBayerMode,
    Tavrin_GetGlobalGain,    Tavrin_GetColorGainRed,     Tavrin_GetColorGainBlue, Tavrin_GetExposureTime,
    Tavrin_GetGrayMode,      Tavrin_GetGrayGainR,        Tavrin_GetGrayGainB,     Tavrin_GetGrayOffsetR,
    Tavrin_GetGrayOffsetB,   Tavrin_GetRealExposureTime, Tavrin_GetAutoIris,      Tavrin_GetHalfClock,
    Tavrin_GetSamplingRate,  Tavrin_GetVideoFormat,
};

constexpr int kLargestImage = 656 * 494 * 8;

std::string ScratchName(const char* what) { return "fuzz_exports_" + std::to_string(getpid()) + "_" + what; }

// A buffer of a size the input picks (often wrong for the image), or none.
std::vector<BYTE> Buffer(FuzzedDataProvider& input, int& size) {
    size = input.ConsumeIntegralInRange<int>(-1, kLargestImage + 1);
    return std::vector<BYTE>(static_cast<size_t>(std::max(size, 0)));
}

BYTE* DataOrNull(FuzzedDataProvider& input, std::vector<BYTE>& buffer) {
    return input.ConsumeBool() ? buffer.data() : nullptr;
}

// The values the input gives an int argument: anything, or a small one.
int Value(FuzzedDataProvider& input) {
    return input.ConsumeBool() ? input.ConsumeIntegral<int>() : input.ConsumeIntegralInRange<int>(-2, 1100);
}

void CallOne(FuzzedDataProvider& input, int camera) {
    // An unknown handle now and then: every export must refuse it.
    const int handle = input.ConsumeProbability<float>() < 0.05f ? input.ConsumeIntegral<int>() : camera;
    int error = 0;
    int* errorOut = input.ConsumeBool() ? &error : nullptr;
    // Operations that start the camera take a while (the commands keep fixed
    // pauses), so they get one number each and the quick ones several.
    int operation = input.ConsumeIntegralInRange<int>(0, 31);
    if (operation >= 18) {
        operation = operation >= 25 ? 0 : 1;
    }
    switch (operation) {
    case 0:
        kSetters[input.ConsumeIntegralInRange<size_t>(0, std::size(kSetters) - 1)](handle, Value(input));
        break;
    case 1:
        kGetters[input.ConsumeIntegralInRange<size_t>(0, std::size(kGetters) - 1)](handle, errorOut);
        break;
    case 2:
        Tavrin_SetFilterValue(handle, Value(input), Value(input));
        break;
    case 3:
        Tavrin_GetFilterValue(handle, Value(input), errorOut);
        break;
    case 4:
        Tavrin_SetCaptureWindowEx(handle, Value(input), Value(input), Value(input), Value(input), Value(input),
                                  Value(input));
        break;
    case 5: {
        int values[6] = {};
        int* at[6];
        for (int i = 0; i < 6; ++i)
            at[i] = input.ConsumeBool() ? &values[i] : nullptr;
        Tavrin_GetCaptureWindowEx(handle, at[0], at[1], at[2], at[3], at[4], at[5]);
        break;
    }
    case 6: {
        int size = 0;
        std::vector<BYTE> buffer = Buffer(input, size);
        Tavrin_SnapShot(handle, DataOrNull(input, buffer), size, Value(input));
        break;
    }
    case 7: {
        int size = 0;
        std::vector<BYTE> buffer = Buffer(input, size);
        Tavrin_GetImage(handle, DataOrNull(input, buffer), size, Value(input));
        break;
    }
    case 8: {
        const std::string file = ScratchName("image");
        Tavrin_SaveImage(handle, input.ConsumeBool() ? file.c_str() : nullptr, Value(input));
        unlink(file.c_str());
        break;
    }
    case 9: {
        std::vector<char> name(static_cast<size_t>(input.ConsumeIntegralInRange<int>(0, 80)));
        Tavrin_GetDeviceName(handle, Value(input), name.empty() ? nullptr : name.data(), static_cast<int>(name.size()));
        break;
    }
    case 10:
        Tavrin_WriteRegisterEx(handle, Value(input), Value(input));
        break;
    case 11:
        Tavrin_ReadRegisterEx(handle, Value(input), errorOut);
        break;
    case 12:
        Tavrin_ReadSromID(handle, Value(input), errorOut);
        break;
    case 13:
        TavrinSim_SetPresent(0, input.ConsumeBool());
        break;
    case 14:
        TavrinSim_InjectFault(0, input.ConsumeIntegralInRange<int>(0, 6), input.ConsumeIntegralInRange<int>(0, 3));
        break;
    case 15:
        input.ConsumeBool() ? Tavrin_Close(handle) : Tavrin_StopPreview(handle);
        break;
    case 16: {
        const std::string file = ScratchName("recording.avi");
        Tavrin_Record(handle, file.c_str(), input.ConsumeIntegralInRange<int>(-1, 200), 0);
        break;
    }
    default:
        // Time-like settings, held short.
        Tavrin_SetWaitTime(handle, input.ConsumeIntegralInRange<int>(-5, 20));
        Tavrin_SetExposureTime(handle, input.ConsumeIntegralInRange<int>(-5, 600));
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    tavrin::platform::SetEnvironment("TAVRIN_SIM", "0");
    // The settings store in memory: every write is a transaction, and a disk
    // would hold each input up on its flushes.
    if (access("/dev/shm", W_OK) == 0) {
        tavrin::platform::SetEnvironment("TMPDIR", "/dev/shm");
    }
    tavrin::test::IsolateFromOtherPrograms();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    tavrin::platform::RegistryKey::DeleteTree(nullptr, "Software\\Quenor");
    TavrinSim_SetPresent(0, 1);
    for (int fault = TAVRINSIM_FAULT_FRAME_FAILS; fault <= TAVRINSIM_FAULT_OPEN_FAILS; ++fault) {
        TavrinSim_InjectFault(0, fault, 0);
    }
    const int camera = Tavrin_Initialize(nullptr);
    for (int call = 0; call < 16 && input.remaining_bytes() > 0; ++call) {
        CallOne(input, camera);
    }
    Tavrin_Release(camera);
    unlink(ScratchName("recording.avi").c_str());
    return 0;
}
