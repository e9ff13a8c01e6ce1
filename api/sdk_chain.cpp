#include "api/sdk_chain.h"

#include <cstdlib>
#include <new>
#include <vector>

#include "camera/CTavrin.h"
#include "platform/time.h"

namespace tavrin {

CSdkChain& SdkChain() {
    static CSdkChain chain;
    return chain;
}

CSdkChain::CSdkChain(HandleSource source) : source_(std::move(source)) {}

CSdkChain::~CSdkChain() {
    // An application releases its handles before it unloads the library.
    // Camera objects still registered now are deliberately kept alive:
    // destroying them would stop threads and write the registry while the
    // runtime is being torn down.
    static auto* leftovers = new std::vector<std::shared_ptr<CTavrin>>;
    std::lock_guard guard(lock_);
    for (auto& entry : cameras_) {
        leftovers->push_back(std::move(entry.second));
    }
    cameras_.clear();
}

uint32_t CSdkChain::TickAndRandom() { return platform::TickCount() + static_cast<uint32_t>(std::rand()); }

// The handle adds the chain's size to the drawn value. A value of 0, or one
// that a live handle already has, is drawn again: two cameras must never
// share a handle. The source is called under the lock, which also keeps the
// runtime's rand() to one thread at a time.
int CSdkChain::DrawHandle() const {
    for (;;) {
        const uint32_t value = source_() + static_cast<uint32_t>(cameras_.size());
        const int handle = static_cast<int>(value);
        if (handle != 0 && !cameras_.contains(handle)) {
            return handle;
        }
    }
}

int CSdkChain::CreateHandle(platform::WindowHandle notifyWindow) {
    std::shared_ptr<CTavrin> camera;
    try {
        camera = std::make_shared<CTavrin>();
    } catch (const std::bad_alloc&) {
        return 0;
    }
    int handle = 0;
    {
        std::lock_guard guard(lock_);
        handle = DrawHandle();
        cameras_.emplace(handle, camera);
    }
    camera->Initialize(notifyWindow);  // its failure is in the camera's error queue
    return handle;
}

std::shared_ptr<CTavrin> CSdkChain::Lookup(int handle) const {
    std::lock_guard guard(lock_);
    const auto found = cameras_.find(handle);
    return found != cameras_.end() ? found->second : nullptr;
}

int CSdkChain::Release(int handle) {
    std::shared_ptr<CTavrin> camera;
    {
        std::lock_guard guard(lock_);
        const auto found = cameras_.find(handle);
        if (found == cameras_.end()) {
            return 0;
        }
        camera = std::move(found->second);
        cameras_.erase(found);
    }
    camera.reset();  // destroys the camera unless a call in flight still holds it
    return 1;
}

int CSdkChain::Count() const {
    std::lock_guard guard(lock_);
    return static_cast<int>(cameras_.size());
}

}  // namespace tavrin
