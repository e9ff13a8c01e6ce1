#include "session/crc32.h"

#include <zlib.h>

namespace tavrin::session {

namespace {

// Below this the folding's set-up costs more than it saves.
constexpr size_t kFoldFrom = 256;
// From here the 512-bit folding runs several rounds of its four registers.
[[maybe_unused]] constexpr size_t kWideFoldFrom = 1024;

bool DetectFolding() {
#if TAVRIN_CRC32_PCLMUL
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
#else
    return false;
#endif
}

bool DetectWideFolding() {
#if TAVRIN_CRC32_VPCLMUL
    __builtin_cpu_init();
    return HasCrc32Folding() && __builtin_cpu_supports("vpclmulqdq") && __builtin_cpu_supports("avx512f");
#else
    return false;
#endif
}

#if TAVRIN_CRC32_PCLMUL
// The widest folding this processor runs for a bulk of that many bytes.
using Folding = uint32_t (*)(uint32_t, const uint8_t*, size_t);
Folding FoldingFor([[maybe_unused]] size_t bulk) {
#if TAVRIN_CRC32_VPCLMUL
    if (bulk >= kWideFoldFrom && HasWideCrc32Folding()) {
        return Crc32FoldVpclmul;
    }
#endif
    return Crc32FoldPclmul;
}
#endif

}  // namespace

bool HasCrc32Folding() {
    static const bool folding = DetectFolding();
    return folding;
}

bool HasWideCrc32Folding() {
    static const bool folding = DetectWideFolding();
    return folding;
}

uint32_t Crc32Reference(uint32_t crc, std::span<const uint8_t> bytes) {
    // zlib takes at most 4 GiB at a time (a chunk is far smaller), and a
    // null buffer asks it for the initial value instead.
    if (bytes.empty()) {
        return crc;
    }
    return static_cast<uint32_t>(
        crc32(crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// The folded bulk works on the CRC register as it is, zlib's crc32 on its
// complement: the bulk is the middle whole 16-byte blocks, the tables take
// the rest.
uint32_t Crc32(uint32_t crc, std::span<const uint8_t> bytes) {
#if TAVRIN_CRC32_PCLMUL
    if (bytes.size() >= kFoldFrom && HasCrc32Folding()) {
        const size_t bulk = bytes.size() & ~size_t{15};
        crc = ~FoldingFor(bulk)(~crc, bytes.data(), bulk);
        return Crc32Reference(crc, bytes.subspan(bulk));
    }
#endif
    return Crc32Reference(crc, bytes);
}

}  // namespace tavrin::session
