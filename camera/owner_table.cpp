#include "camera/owner_table.h"

#include <cstring>

#include "platform/environment.h"
#include "platform/module.h"

namespace tavrin {
namespace {

constexpr size_t kWindowOffset = 0;
constexpr size_t kInstanceOffset = 8;
constexpr size_t kLockWordOffset = 16;
constexpr size_t kOwnerOffset = 24;
constexpr size_t kOwnerBytes = 128;

uint64_t Load64(const uint8_t* at) {
    uint64_t value = 0;
    std::memcpy(&value, at, sizeof value);  // little-endian hosts only
    return value;
}

void Store64(uint8_t* at, uint64_t value) { std::memcpy(at, &value, sizeof value); }

}  // namespace

std::unique_ptr<OwnerTable> OwnerTable::Open() {
    const auto overridden = platform::GetEnvironment("TAVRIN_SHARED_MEMORY_NAME");
    const std::string name = overridden && !overridden->empty() ? *overridden : kBlockName;
    auto block = platform::SharedMemory::OpenOrCreate(name, kBlockSize, kZeroedPrefix);
    if (!block) {
        return nullptr;
    }
    return std::unique_ptr<OwnerTable>(new OwnerTable(std::move(block)));
}

uint8_t* OwnerTable::EntryAt(int index) const {
    if (index < 0 || index >= kEntries) {
        return nullptr;
    }
    return block_->data() + kTableOffset + static_cast<size_t>(index) * kEntrySize;
}

void OwnerTable::Register(int index, uint64_t window) {
    uint8_t* entry = EntryAt(index);
    if (entry == nullptr) {
        return;
    }
    Store64(entry + kWindowOffset, window);
    Store64(entry + kInstanceOffset, platform::ProgramInstance());
    Store64(entry + kLockWordOffset, 0);
    std::memset(entry + kOwnerOffset, 0, kOwnerBytes);
    std::memcpy(entry + kOwnerOffset, kOwnerName, std::strlen(kOwnerName));
}

void OwnerTable::Release(int index, uint64_t window) {
    uint8_t* entry = EntryAt(index);
    if (entry == nullptr || Load64(entry + kWindowOffset) != window ||
        Load64(entry + kInstanceOffset) != platform::ProgramInstance() || Load64(entry + kLockWordOffset) != 0) {
        return;
    }
    Store64(entry + kWindowOffset, 0);
    Store64(entry + kInstanceOffset, 0);
    Store64(entry + kLockWordOffset, 0);
    std::memset(entry + kOwnerOffset, 0, kOwnerBytes);
}

bool OwnerTable::InUse(int index) const {
    const uint8_t* entry = EntryAt(index);
    if (entry == nullptr) {
        return false;
    }
    const uint64_t window = Load64(entry + kWindowOffset);
    return window != 0 && platform::OwnerAlive(window, Load64(entry + kInstanceOffset));
}

OwnerTable::Entry OwnerTable::Read(int index) const {
    const uint8_t* entry = EntryAt(index);
    if (entry == nullptr) {
        return {};
    }
    const char* owner = reinterpret_cast<const char*>(entry + kOwnerOffset);
    return Entry{Load64(entry + kWindowOffset), Load64(entry + kInstanceOffset), Load64(entry + kLockWordOffset),
                 std::string(owner, strnlen(owner, kOwnerBytes))};
}

}  // namespace tavrin
