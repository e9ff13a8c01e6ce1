// A second process for the store's concurrency tests:
//   registry_peer <key path> <prefix> <count, 0 = until killed> <A|B>
// Exit code 0 when every value read back as written.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "store_writer.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: registry_peer <key path> <prefix> <count> <A|B>\n");
        return 2;
    }
    const uint32_t pattern = argv[4][0] == 'A' ? tavrin::test::kSharedPatternA : tavrin::test::kSharedPatternB;
    std::string error;
    if (!tavrin::test::WriteAndCheck(argv[1], argv[2], std::atoi(argv[3]), pattern, error)) {
        std::fprintf(stderr, "registry_peer: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
