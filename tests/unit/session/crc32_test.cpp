// The folded CRC-32 (both widths) gives zlib's sums for every length, offset
// and split.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "session/crc32.h"

namespace tavrin::session {
namespace {

TEST(Crc32, MatchesTheReferenceAtEveryLengthOffsetAndSplit) {
    std::mt19937 random(32);
    std::vector<uint8_t> bytes(4096 + 64);
    for (uint8_t& byte : bytes) {
        byte = static_cast<uint8_t>(random());
    }
    const std::span<const uint8_t> all(bytes);
    EXPECT_EQ(Crc32(0, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>("123456789"), 9)), 0xCBF43926u);
    for (size_t length : {0u, 1u, 15u, 16u, 63u, 64u, 255u, 256u, 257u, 300u, 1000u, 1024u, 4095u, 4096u}) {
        for (size_t offset = 0; offset < 16; offset += 3) {
            const auto part = all.subspan(offset, length);
            ASSERT_EQ(Crc32(0, part), Crc32Reference(0, part)) << length << " at " << offset;
            const size_t split = length / 3;
            ASSERT_EQ(Crc32(Crc32(0x12345678, part.first(split)), part.subspan(split)),
                      Crc32Reference(0x12345678, part))
                << length << " split at " << split;
        }
    }
    // The bulk alone: whole 16-byte blocks from 64 bytes on, and from 256
    // on 512-bit registers (one round of four, several, and a remainder of
    // 64-byte and 16-byte blocks).
    if (HasCrc32Folding()) {
        for (size_t length = 64; length <= 512; length += 16) {
            ASSERT_EQ(~Crc32FoldPclmul(~0u, bytes.data() + 1, length), Crc32Reference(0, all.subspan(1, length)))
                << length;
        }
    }
#if TAVRIN_CRC32_VPCLMUL
    if (HasWideCrc32Folding()) {
        for (size_t length = 256; length <= 1536; length += 16) {
            ASSERT_EQ(~Crc32FoldVpclmul(~0u, bytes.data() + 1, length), Crc32Reference(0, all.subspan(1, length)))
                << length;
        }
    }
#endif
}

}  // namespace
}  // namespace tavrin::session
