// The owner table's entries as another program of the same group could
// leave them: any bytes in any entry, then every operation on every entry.
// Nothing may crash, and a claim that succeeds must read as in use until
// it is released.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

#include "camera/owner_table.h"
#include "platform/environment.h"
#include "platform/shared_memory.h"

namespace {

using tavrin::OwnerTable;

struct Tables {
    std::string name = "tavrin-fuzz-owner-" + std::to_string(getpid());
    std::unique_ptr<OwnerTable> table;
    std::unique_ptr<tavrin::platform::SharedMemory> raw;  // the same block, written as a stranger would

    Tables() {
        tavrin::platform::SetEnvironment("TAVRIN_SHARED_MEMORY_NAME", name.c_str());
        table = OwnerTable::Open();
        raw = tavrin::platform::SharedMemory::OpenOrCreate(name, OwnerTable::kBlockSize, OwnerTable::kZeroedPrefix);
        if (!table || !raw) {
            std::abort();
        }
        std::atexit([] { tavrin::platform::SharedMemory::Unlink("tavrin-fuzz-owner-" + std::to_string(getpid())); });
    }
};

Tables& Shared() {
    static Tables tables;
    return tables;
}

}  // namespace

// The input is a list of (entry index, entry bytes) pairs, each the index
// byte followed by up to one entry's bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Tables& tables = Shared();
    uint8_t* entries = tables.raw->data() + OwnerTable::kTableOffset;
    std::memset(entries, 0, OwnerTable::kEntries * OwnerTable::kEntrySize);
    for (size_t at = 0; at < size;) {
        const size_t index = data[at++] % OwnerTable::kEntries;
        const size_t length = std::min(OwnerTable::kEntrySize, size - at);
        std::memcpy(entries + index * OwnerTable::kEntrySize, data + at, length);
        at += length;
    }
    constexpr uint64_t kWindow = 0x1234;
    for (int index = -1; index <= OwnerTable::kEntries; ++index) {
        (void)tables.table->Read(index);
        const bool heldBefore = tables.table->InUse(index);
        if (tables.table->Claim(index, kWindow)) {
            const bool inTable = index >= 0 && index < OwnerTable::kEntries;
            if (inTable && !tables.table->InUse(index)) {
                std::abort();  // a claimed camera must read as in use
            }
            tables.table->Release(index, kWindow);
        } else if (!heldBefore) {
            // Refused although nothing held it: only a live holder or a
            // claim in progress may refuse, and both read as in use.
            std::abort();
        }
    }
    return 0;
}
