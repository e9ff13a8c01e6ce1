#include "platform/driver_port_impl.h"

namespace tavrin::platform {

namespace {

// There is no kernel driver for this camera outside Windows: no path opens,
// so the device probe finds no camera.
class NoDriverBackend final : public DriverBackend {
public:
    DeviceHandle Open(const char*) override { return kInvalidDeviceHandle; }

    int IoControl(DeviceHandle, uint32_t, const void*, uint32_t, void*, uint32_t, uint32_t* bytesReturned) override {
        if (bytesReturned != nullptr) {
            *bytesReturned = 0;
        }
        return 0;
    }

    int Close(DeviceHandle) override { return 0; }
};

}  // namespace

std::shared_ptr<DriverBackend> CreateSystemDriverBackend() { return std::make_shared<NoDriverBackend>(); }

}  // namespace tavrin::platform
