#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/message_windows.h"
#include "platform/posix/message_queue.h"

namespace tavrin::platform {
namespace {

// One queue per thread that has received or read a message.
struct ThreadQueue {
    std::mutex mutex;
    std::condition_variable arrived;
    MessageQueue messages;
};

// The registry says which handles are alive and which thread owns each.
struct Window {
    std::shared_ptr<ThreadQueue> owner;
};

struct WindowRegistry {
    std::mutex mutex;
    std::unordered_map<WindowHandle, std::unique_ptr<Window>> windows;
};

WindowRegistry& Registry() {
    static auto* registry = new WindowRegistry;  // lives until the process ends
    return *registry;
}

std::shared_ptr<ThreadQueue>& OwnQueue() {
    thread_local std::shared_ptr<ThreadQueue> queue = std::make_shared<ThreadQueue>();
    return queue;
}

bool Enqueue(ThreadQueue& queue, const Message& message) {
    {
        std::lock_guard lock(queue.mutex);
        if (!queue.messages.Push(message)) {
            return false;
        }
    }
    queue.arrived.notify_all();
    return true;
}

// Handles are numbers counted up from 1 and never given twice, so that
// whatever still posts to a destroyed window (a stream that has not stopped
// yet) fails instead of reaching a window made later, as an address given
// again would. A 64-bit count does not wrap in practice.
WindowHandle NewHandle() {
    static std::atomic<uintptr_t> issued{0};
    return reinterpret_cast<WindowHandle>(issued.fetch_add(1, std::memory_order_relaxed) + 1);
}

}  // namespace

WindowHandle CreateMessageWindow() {
    auto window = std::make_unique<Window>();
    window->owner = OwnQueue();
    WindowHandle handle = NewHandle();
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    registry.windows.emplace(handle, std::move(window));
    return handle;
}

bool DestroyMessageWindow(WindowHandle window) {
    std::unique_ptr<Window> gone;
    {
        auto& registry = Registry();
        std::lock_guard lock(registry.mutex);
        auto it = registry.windows.find(window);
        if (it == registry.windows.end()) {
            return false;
        }
        gone = std::move(it->second);
        registry.windows.erase(it);
    }
    std::lock_guard lock(gone->owner->mutex);
    gone->owner->messages.DropAll(window);
    return true;
}

bool WindowExists(WindowHandle window) {
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    return window != nullptr && registry.windows.count(window) != 0;
}

bool PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    const Message item{window, message, wParam, lParam};
    if (window == nullptr) {
        return Enqueue(*OwnQueue(), item);
    }
    std::shared_ptr<ThreadQueue> owner;
    {
        auto& registry = Registry();
        std::lock_guard lock(registry.mutex);
        auto it = registry.windows.find(window);
        if (it == registry.windows.end()) {
            return false;
        }
        owner = it->second->owner;
    }
    return Enqueue(*owner, item);
}

bool ReceiveMessage(WindowHandle window, Message& out, int timeoutMs) {
    ThreadQueue& queue = *OwnQueue();
    std::unique_lock lock(queue.mutex);
    auto found = [&] { return queue.messages.TakeFirst(window, out); };
    if (timeoutMs < 0) {
        queue.arrived.wait(lock, found);
        return true;
    }
    return queue.arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), found);
}

}  // namespace tavrin::platform
