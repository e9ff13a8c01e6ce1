// Shared by the device tests: a simulated camera session, the model object
// on it, and checks of logged command blocks.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

#include "device/driver_protocol.h"
#include "device/tavrin_860vx_rux_sdk.h"
#include "unit/sim/sim_session.h"

namespace tavrin::testing {

// A command block on pipe 0 as the library sends it: IOCTL_PIPE_IN_DIRECT,
// 64 bytes, the given bytes first and zeros after.
inline ::testing::AssertionResult IsCommand(const TavrinSimRecord& record, std::initializer_list<uint8_t> bytes,
                                            uint32_t code = device::IOCTL_PIPE_IN_DIRECT) {
    if (record.ioctl != code || record.pipe != 0 || record.length != 64) {
        return ::testing::AssertionFailure() << "request 0x" << std::hex << record.ioctl << " pipe " << record.pipe
                                             << std::dec << " length " << record.length;
    }
    std::vector<uint8_t> expected(64, 0);
    std::copy(bytes.begin(), bytes.end(), expected.begin());
    for (size_t i = 0; i < 64; ++i) {
        if (record.data[i] != expected[i]) {
            return ::testing::AssertionFailure() << "byte " << i << " is 0x" << std::hex << int(record.data[i])
                                                 << ", expected 0x" << int(expected[i]);
        }
    }
    return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult IsReply(const TavrinSimRecord& record) {
    if (record.ioctl != device::IOCTL_PIPE_OUT_DIRECT || record.pipe != 1 || record.length != 64) {
        return ::testing::AssertionFailure() << "not a reply request";
    }
    return ::testing::AssertionSuccess();
}

// The model object on a fresh simulated camera in slot 0 (and others).
class ModelTest : public ::testing::Test {
protected:
    explicit ModelTest(const char* setting = "0;interval=0;settle=0") : session_(setting) {}

    void SetUp() override {
        model_ = std::make_unique<device::CTavrin860VXRUXSdk>();
        TavrinSim_ClearLog(0);
    }

    SimSession session_;
    std::unique_ptr<device::CTavrin860VXRUXSdk> model_;
};

}  // namespace tavrin::testing

namespace tavrin::testing {

// The base device library object on its own, as a model would build it.
class BareDeviceLibrary : public device::CQDXSdkLib {
public:
    BareDeviceLibrary() {
        SetModelName("Tvrn860VXRUX");
        ProbeDevices();
    }
    using CQDXSdkLib::SetLargeFrame;
};

}  // namespace tavrin::testing
