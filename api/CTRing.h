// A circular doubly linked ring with a rotating head. Lookups walk from the
// head and leave it on the element found, so a program that keeps using one
// handle finds it at once. Elements are owned by the ring.
#pragma once

#include <mutex>

#include "platform/sync.h"

namespace tavrin {

// T needs the members: int handle; T* prev; T* next.
template <typename T>
class CTRing {
public:
    CTRing() = default;
    CTRing(const CTRing&) = delete;
    CTRing& operator=(const CTRing&) = delete;

    // Links the element in front of the head (between the head's
    // predecessor and the head) and makes it the head.
    virtual void Insert(T* element) {
        std::lock_guard guard(lock_);
        if (head_ == nullptr) {
            element->prev = element->next = element;
        } else {
            element->prev = head_->prev;
            element->next = head_;
            head_->prev->next = element;
            head_->prev = element;
        }
        head_ = element;
        ++count_;
    }

    // The element holding the handle, or null. A hit leaves the head on it;
    // a miss leaves the head on the element that preceded it at the start.
    T* Find(int handle) {
        std::lock_guard guard(lock_);
        if (head_ == nullptr) {
            return nullptr;
        }
        const int last = head_->prev->handle;
        for (;;) {
            if (head_->handle == handle) {
                return head_;
            }
            if (head_->handle == last) {
                return nullptr;
            }
            head_ = head_->next;
        }
    }

    // Unlinks and frees the element at the head; its successor becomes the
    // head. Returns 0 for an empty ring, else 1.
    int RemoveCurrent() {
        std::lock_guard guard(lock_);
        if (head_ == nullptr) {
            return 0;
        }
        T* gone = head_;
        if (gone->next == gone) {
            head_ = nullptr;
        } else {
            gone->prev->next = gone->next;
            gone->next->prev = gone->prev;
            head_ = gone->next;
        }
        --count_;
        delete gone;
        return 1;
    }

    int Count() {
        std::lock_guard guard(lock_);
        return count_;
    }

protected:
    // Not virtual: the ring is never deleted through a base pointer.
    ~CTRing() {
        while (RemoveCurrent() != 0) {
        }
    }

    T* Head() const { return head_; }

    platform::CriticalSection lock_;

private:
    T* head_ = nullptr;
    int count_ = 0;
};

}  // namespace tavrin
