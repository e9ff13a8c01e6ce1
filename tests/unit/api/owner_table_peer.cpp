// Second program for the owner table tests. Exit code 0 when the check held.
#include <cstdlib>
#include <cstring>

#include "camera/owner_table.h"
#include "platform/environment.h"
#include "platform/message_windows.h"
#include "platform/module.h"
#include "platform/shared_memory.h"

using tavrin::OwnerTable;

int main(int argc, char** argv) {
    if (argc < 3) {
        return 2;
    }
    auto table = OwnerTable::Open();
    if (!table) {
        return 3;
    }
    const int index = std::atoi(argv[2]);
    if (std::strcmp(argv[1], "expect-in-use") == 0) {
        return table->InUse(index) && table->Read(index).owner == OwnerTable::kOwnerName ? 0 : 4;
    }
    if (std::strcmp(argv[1], "try-release") == 0) {
        // Another program releases with its own notification window.
        void* window = tavrin::platform::CreateMessageWindow();
        table->Release(index, reinterpret_cast<uint64_t>(window));
        return 0;
    }
    if (std::strcmp(argv[1], "expect-claim-refused") == 0) {
        void* window = tavrin::platform::CreateMessageWindow();
        return table->Claim(index, reinterpret_cast<uint64_t>(window)) ? 6 : 0;
    }
    if (std::strcmp(argv[1], "mark-and-exit") == 0) {
        // Dies in the middle of a claim: its pending mark stays behind.
        auto block = tavrin::platform::SharedMemory::OpenOrCreate(
            tavrin::platform::GetEnvironment("TAVRIN_SHARED_MEMORY_NAME").value_or(OwnerTable::kBlockName),
            OwnerTable::kBlockSize, 0);
        if (!block) {
            return 3;
        }
        const uint64_t mark = OwnerTable::PendingMark(tavrin::platform::CurrentProcess());
        std::memcpy(block->data() + OwnerTable::kTableOffset + index * OwnerTable::kEntrySize, &mark, sizeof mark);
        return 0;
    }
    if (std::strcmp(argv[1], "register-and-exit") == 0) {
        // The window dies with the process; the entry stays behind.
        void* window = tavrin::platform::CreateMessageWindow();
        table->Claim(index, reinterpret_cast<uint64_t>(window));
        return table->InUse(index) ? 0 : 5;
    }
    return 2;
}
