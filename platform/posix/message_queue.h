// A thread's queue of posted messages: a ring that grows to the largest
// backlog it has seen and keeps that room, so that a steady stream of posts
// and reads (a frame message for every frame) allocates nothing once warm.
// Like a Win32 thread queue it holds at most kMaxPostedMessages; a post to a
// full queue fails instead of letting a thread that never reads its
// messages take memory without end.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/message_windows.h"

namespace tavrin::platform {

class MessageQueue {
public:
    static constexpr size_t kMaxPostedMessages = 10000;

    // False when the queue is full.
    bool Push(const Message& message) {
        if (count_ == kMaxPostedMessages) {
            return false;
        }
        if (count_ == slots_.size()) {
            Grow();
        }
        slots_[(head_ + count_) % slots_.size()] = message;
        ++count_;
        return true;
    }

    // Takes the oldest message for `window` (any, when null).
    bool TakeFirst(WindowHandle window, Message& out) {
        for (size_t i = 0; i < count_; ++i) {
            if (window == nullptr || At(i).window == window) {
                out = At(i);
                Remove(i);
                return true;
            }
        }
        return false;
    }

    // Drops every message for `window`, keeping the others in order.
    void DropAll(WindowHandle window) {
        size_t kept = 0;
        for (size_t i = 0; i < count_; ++i) {
            if (At(i).window != window) {
                At(kept++) = At(i);
            }
        }
        count_ = kept;
    }

    size_t Size() const { return count_; }

private:
    Message& At(size_t i) { return slots_[(head_ + i) % slots_.size()]; }

    // The oldest goes by moving the head; one further back closes its gap.
    void Remove(size_t i) {
        if (i == 0) {
            head_ = (head_ + 1) % slots_.size();
        } else {
            for (size_t j = i; j + 1 < count_; ++j) {
                At(j) = At(j + 1);
            }
        }
        --count_;
    }

    void Grow() {
        std::vector<Message> larger(slots_.empty() ? 16 : 2 * slots_.size());
        for (size_t i = 0; i < count_; ++i) {
            larger[i] = At(i);
        }
        slots_.swap(larger);
        head_ = 0;
    }

    std::vector<Message> slots_;
    size_t head_ = 0;
    size_t count_ = 0;
};

}  // namespace tavrin::platform
