// The bounded log of every I/O control request on one slot's paths. When it
// is full the oldest record makes room.
#pragma once

#include <cstddef>
#include <vector>

#include "TavrinSim.h"

namespace tavrin::sim {

class IoLog {
public:
    explicit IoLog(size_t capacity) : records_(capacity) {}

    void Add(const TavrinSimRecord& record);
    void Clear();
    // Copies up to capacity records, oldest first; returns how many.
    size_t CopyOut(TavrinSimRecord* out, size_t capacity) const;

private:
    std::vector<TavrinSimRecord> records_;
    size_t oldest_ = 0;
    size_t count_ = 0;
};

}  // namespace tavrin::sim
