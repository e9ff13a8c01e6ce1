#include "camera/error_queue.h"

#include <algorithm>
#include <mutex>

namespace tavrin {

void ErrorQueue::Push(int32_t code) {
    std::lock_guard guard(lock_);
    std::copy_backward(entries_.begin(), entries_.end() - 1, entries_.end());
    entries_[0] = code;
}

int32_t ErrorQueue::Pop() {
    std::lock_guard guard(lock_);
    const int32_t newest = entries_[0];
    std::copy(entries_.begin() + 1, entries_.end(), entries_.begin());
    entries_[kEntries - 1] = 0;
    return newest;
}

}  // namespace tavrin
