// What goes with each open device handle, in entries that are used again:
// a triggered stream opens and closes a handle for every frame, and that
// allocates nothing once the table has seen the most handles open at once.
// Not locked: its owner's lock guards it.
#pragma once

#include <vector>

#include "platform/driver.h"

namespace tavrin::platform {

template <typename Value>
class HandleTable {
public:
    Value* Find(DeviceHandle handle) {
        for (Entry& entry : entries_) {
            if (entry.handle == handle && handle != kNullDeviceHandle) {
                return &entry.value;
            }
        }
        return nullptr;
    }

    // The handle's entry, new or found; a new one may hold an old value
    // (whose memory it keeps), which the caller replaces.
    Value& Put(DeviceHandle handle) {
        if (Value* known = Find(handle)) {
            return *known;
        }
        for (Entry& entry : entries_) {
            if (entry.handle == kNullDeviceHandle) {
                entry.handle = handle;
                return entry.value;
            }
        }
        entries_.push_back(Entry{handle, Value{}});
        return entries_.back().value;
    }

    bool Erase(DeviceHandle handle) {
        for (Entry& entry : entries_) {
            if (entry.handle == handle && handle != kNullDeviceHandle) {
                entry.handle = kNullDeviceHandle;
                return true;
            }
        }
        return false;
    }

private:
    struct Entry {
        DeviceHandle handle = kNullDeviceHandle;
        Value value{};
    };
    std::vector<Entry> entries_;
};

}  // namespace tavrin::platform
