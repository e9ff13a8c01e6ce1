// The frame every handle-taking export runs: find the camera object, hold it
// for the duration of the call, run the operation, and let no exception
// cross into the caller. An unknown handle returns the export's failure
// value with nothing queued or posted.
#pragma once

#include <memory>

#include "api/sdk_chain.h"
#include "camera/CTavrin.h"

namespace tavrin {

template <typename Operation>
int CallCameraOr(int failure, int handle, Operation&& operation) noexcept {
    try {
        const std::shared_ptr<CTavrin> camera = SdkChain().Lookup(handle);
        if (!camera) {
            return failure;
        }
        return operation(*camera);
    } catch (...) {
        return failure;
    }
}

// Most exports fail with 0.
template <typename Operation>
int CallCamera(int handle, Operation&& operation) noexcept {
    return CallCameraOr(0, handle, std::forward<Operation>(operation));
}

}  // namespace tavrin
