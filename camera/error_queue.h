// The camera object's error queue: the twenty newest error codes, newest
// first. Push shifts the queue down and stores the code in front; Pop takes
// the front entry and shifts the rest up. One lock serialises both, so every
// reader sees whole shifts.
#pragma once

#include <array>
#include <cstdint>

#include "platform/sync.h"

namespace tavrin {

class ErrorQueue {
public:
    static constexpr int kEntries = 20;

    void Push(int32_t code);
    // The newest code, or 0 when the queue is empty.
    int32_t Pop();

private:
    platform::CriticalSection lock_;
    std::array<int32_t, kEntries> entries_{};
};

}  // namespace tavrin
