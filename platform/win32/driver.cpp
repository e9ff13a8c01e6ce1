#include <windows.h>

#include "platform/driver_port_impl.h"

namespace tavrin::platform {

namespace {

HANDLE ToHandle(DeviceHandle handle) { return reinterpret_cast<HANDLE>(handle); }

// The camera maker's kernel-mode driver, reached through its device paths.
class Win32DriverBackend final : public DriverBackend {
public:
    DeviceHandle Open(const char* path) override {
        HANDLE handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        return reinterpret_cast<DeviceHandle>(handle);
    }

    int IoControl(DeviceHandle handle, uint32_t code, const void* input, uint32_t inputLength, void* output,
                  uint32_t outputLength, uint32_t* bytesReturned) override {
        DWORD moved = 0;
        const BOOL ok = DeviceIoControl(ToHandle(handle), code, const_cast<void*>(input), inputLength, output,
                                        outputLength, &moved, nullptr);
        if (bytesReturned != nullptr) {
            *bytesReturned = moved;
        }
        return ok ? 1 : 0;
    }

    int Close(DeviceHandle handle) override { return CloseHandle(ToHandle(handle)) ? 1 : 0; }
};

}  // namespace

std::shared_ptr<DriverBackend> CreateSystemDriverBackend() { return std::make_shared<Win32DriverBackend>(); }

}  // namespace tavrin::platform
