#include "camera/owner_table.h"

#include <atomic>
#include <cstring>

#include "platform/environment.h"
#include "platform/time.h"

namespace tavrin {
namespace {

constexpr size_t kWindowOffset = 0;
constexpr size_t kInstanceOffset = 8;
constexpr size_t kLockWordOffset = 16;
constexpr size_t kOwnerOffset = 24;
// The name's part of the 128 owner bytes; the owner's process follows.
constexpr size_t kOwnerNameBytes = OwnerTable::kOwnerProcessIdOffset - kOwnerOffset;

constexpr uint64_t kPendingTag = uint64_t{0x7A5C} << 48;
constexpr uint64_t kTagMask = uint64_t{0xFFFF} << 48;
constexpr uint64_t kStartBitsMask = 0xFFFF;

// The three words sit 8-byte aligned in the page-aligned block, so other
// processes read and write them whole (little-endian hosts only).
std::atomic_ref<uint64_t> Word(uint8_t* entry, size_t offset) {
    return std::atomic_ref<uint64_t>(*reinterpret_cast<uint64_t*>(entry + offset));
}

uint64_t Load64(const uint8_t* entry, size_t offset) {
    return Word(const_cast<uint8_t*>(entry), offset).load(std::memory_order_acquire);
}

void Store64(uint8_t* entry, size_t offset, uint64_t value) {
    Word(entry, offset).store(value, std::memory_order_release);
}

// How long a claim waits for another program's claim or release to finish.
constexpr uint32_t kPendingWaitMs = 200;

bool IsPending(uint64_t window) { return (window & kTagMask) == kPendingTag; }

// Whether the claimer a pending mark names still runs: a process of its id
// whose start time, where it can be read, ends in the mark's bits.
bool ClaimerRuns(uint64_t mark) {
    const uint64_t id = mark & 0xFFFFFFFFu;
    if (!platform::ProcessRuns({id, 0})) {
        return false;
    }
    const uint64_t started = platform::ProcessStartTime(id);
    return started == 0 || (started & kStartBitsMask) == ((mark >> 32) & kStartBitsMask);
}

}  // namespace

uint64_t OwnerTable::PendingMark(const platform::ProcessIdentity& claimer) {
    return kPendingTag | (claimer.startTime & kStartBitsMask) << 32 | (claimer.id & 0xFFFFFFFFu);
}

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
    // A block that shrank under the mapping (another program truncated it)
    // is no table any more: touching it would kill this program.
    if (index < 0 || index >= kEntries || !block_->Intact()) {
        return nullptr;
    }
    return block_->data() + kTableOffset + static_cast<size_t>(index) * kEntrySize;
}

bool OwnerTable::Held(const uint8_t* entry, uint64_t window) {
    if (window == 0) {
        return false;
    }
    if (IsPending(window)) {
        return ClaimerRuns(window);
    }
    const platform::ProcessIdentity owner{Load64(entry, kOwnerProcessIdOffset), Load64(entry, kOwnerStartTimeOffset)};
    return platform::OwnerAlive(window, Load64(entry, kInstanceOffset), owner);
}

bool OwnerTable::Mark(uint8_t* entry, uint64_t from, uint64_t mark) {
    return Word(entry, kWindowOffset).compare_exchange_strong(from, mark, std::memory_order_acq_rel);
}

void OwnerTable::WriteOwner(uint8_t* entry, uint64_t instance, const platform::ProcessIdentity& process,
                            const char* name) {
    Store64(entry, kInstanceOffset, instance);
    Store64(entry, kLockWordOffset, 0);
    Store64(entry, kOwnerProcessIdOffset, process.id);
    Store64(entry, kOwnerStartTimeOffset, process.startTime);
    std::memset(entry + kOwnerOffset, 0, kOwnerNameBytes);
    std::memcpy(entry + kOwnerOffset, name, std::strlen(name));
}

bool OwnerTable::Claim(int index, uint64_t window) {
    uint8_t* entry = EntryAt(index);
    if (entry == nullptr) {
        return true;
    }
    const platform::ProcessIdentity self = platform::CurrentProcess();
    const uint64_t mark = PendingMark(self);
    const uint32_t start = platform::TickCount();
    uint64_t seen = 0;
    do {
        seen = Load64(entry, kWindowOffset);
        // Another program is in the middle of its claim or release: its
        // outcome decides, so wait for it a moment.
        while (IsPending(seen) && Held(entry, seen) && platform::TickCount() - start < kPendingWaitMs) {
            platform::Sleep(1);
            if (!block_->Intact()) {
                return true;  // the table is gone: nothing to claim
            }
            seen = Load64(entry, kWindowOffset);
        }
        if (Held(entry, seen)) {
            return false;
        }
    } while (!Mark(entry, seen, mark));
    // A dead program's window value may have been taken by a live one
    // between our look and our swap; its instance then tells, and its entry
    // goes back as it was.
    if (!IsPending(seen) && Held(entry, seen)) {
        Store64(entry, kWindowOffset, seen);
        return false;
    }
    WriteOwner(entry, platform::ProgramInstance(), self, kOwnerName);
    Store64(entry, kWindowOffset, window);
    return true;
}

void OwnerTable::Release(int index, uint64_t window) {
    uint8_t* entry = EntryAt(index);
    // The instance is looked at first, so that entries of other programs are
    // never marked, not even for a moment; the second look decides.
    if (entry == nullptr || Load64(entry, kInstanceOffset) != platform::ProgramInstance() ||
        !Mark(entry, window, PendingMark(platform::CurrentProcess()))) {
        return;
    }
    if (Load64(entry, kInstanceOffset) != platform::ProgramInstance() || Load64(entry, kLockWordOffset) != 0) {
        Store64(entry, kWindowOffset, window);  // somebody else's: it stays as it was
        return;
    }
    WriteOwner(entry, 0, {}, "");
    Store64(entry, kWindowOffset, 0);
}

bool OwnerTable::InUse(int index) const {
    const uint8_t* entry = EntryAt(index);
    return entry != nullptr && Held(entry, Load64(entry, kWindowOffset));
}

OwnerTable::Entry OwnerTable::Read(int index) const {
    const uint8_t* entry = EntryAt(index);
    if (entry == nullptr) {
        return {};
    }
    const char* owner = reinterpret_cast<const char*>(entry + kOwnerOffset);
    return Entry{Load64(entry, kWindowOffset), Load64(entry, kInstanceOffset), Load64(entry, kLockWordOffset),
                 std::string(owner, strnlen(owner, kOwnerNameBytes))};
}

}  // namespace tavrin
