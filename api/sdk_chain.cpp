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

CSdkChain::~CSdkChain() {
    // An application releases its handles before it unloads the library.
    // Camera objects still registered now are deliberately kept alive:
    // destroying them would stop threads and write the registry while the
    // runtime is being torn down.
    static auto* leftovers = new std::vector<std::shared_ptr<CTavrin>>;
    std::lock_guard guard(lock_);
    while (CSDKDATA* element = Head()) {
        leftovers->push_back(std::move(element->camera));
        RemoveCurrent();
    }
}

CSdkChain::CSdkChain(HandleSource source) : source_(std::move(source)) {}

uint32_t CSdkChain::TickAndRandom() { return platform::TickCount() + static_cast<uint32_t>(std::rand()); }

// The handle adds the chain's size to the drawn value. A value of 0, or one
// that a live handle already has, is drawn again: two cameras must never
// share a handle.
int CSdkChain::DrawHandle() {
    for (;;) {
        const uint32_t value = source_() + static_cast<uint32_t>(Count());
        const int handle = static_cast<int>(value);
        if (handle != 0 && Find(handle) == nullptr) {
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
        auto* element = new CSDKDATA;
        element->handle = handle = DrawHandle();
        element->camera = camera;
        Insert(element);
    }
    camera->Initialize(notifyWindow);  // its failure is in the camera's error queue
    return handle;
}

std::shared_ptr<CTavrin> CSdkChain::Lookup(int handle) {
    std::lock_guard guard(lock_);
    CSDKDATA* element = Find(handle);
    return element != nullptr ? element->camera : nullptr;
}

int CSdkChain::Release(int handle) {
    std::shared_ptr<CTavrin> camera;
    {
        std::lock_guard guard(lock_);
        CSDKDATA* element = Find(handle);
        if (element == nullptr) {
            return 0;
        }
        camera = std::move(element->camera);
        RemoveCurrent();  // Find left the head on this element
    }
    camera.reset();  // destroys the camera unless a call in flight still holds it
    return 1;
}

}  // namespace tavrin
