// Peer process for the shared memory test: opens the named block, checks one
// byte and writes the next one. Exit code 0 when the byte matched.
#include <cstdlib>
#include <string>

#include "platform/shared_memory.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        return 2;
    }
    auto block = tavrin::platform::SharedMemory::OpenOrCreate(argv[1], 0x10000, 0x8000);
    if (!block || block->created()) {
        return 3;
    }
    const size_t offset = std::strtoul(argv[2], nullptr, 10);
    const int expected = std::atoi(argv[3]);
    if (block->data()[offset] != expected) {
        return 4;
    }
    block->data()[offset + 1] = static_cast<uint8_t>(expected + 1);
    return 0;
}
