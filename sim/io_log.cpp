#include "sim/io_log.h"

#include <algorithm>

namespace tavrin::sim {

void IoLog::Add(const TavrinSimRecord& record) {
    if (records_.empty()) {
        return;
    }
    records_[(oldest_ + count_) % records_.size()] = record;
    if (count_ < records_.size()) {
        ++count_;
    } else {
        oldest_ = (oldest_ + 1) % records_.size();
    }
}

void IoLog::Clear() {
    oldest_ = 0;
    count_ = 0;
}

size_t IoLog::CopyOut(TavrinSimRecord* out, size_t capacity) const {
    const size_t copied = std::min(capacity, count_);
    for (size_t i = 0; i < copied; ++i) {
        out[i] = records_[(oldest_ + i) % records_.size()];
    }
    return copied;
}

}  // namespace tavrin::sim
