// CRC-32 (the checksum of zip, PNG and zlib's crc32()) of every chunk. A
// frame's bytes are checked as they are written, so the sum runs over some
// 300 KiB per frame: where the processor multiplies without carries
// (PCLMULQDQ), the bulk is folded 64 bytes at a time, several times faster
// than zlib's tables, which remain the reference and do the rest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tavrin::session {

// The CRC-32 of bytes, continued from crc (0 to begin).
uint32_t Crc32(uint32_t crc, std::span<const uint8_t> bytes);

// The table-driven reference (zlib), for tests of the folded version.
uint32_t Crc32Reference(uint32_t crc, std::span<const uint8_t> bytes);

// The folded bulk: the raw (not inverted) CRC register over length bytes,
// length a multiple of 16 and at least 64. x86 processors with PCLMULQDQ
// and SSE4.1 only (crc32_pclmul.cpp).
uint32_t Crc32FoldPclmul(uint32_t state, const uint8_t* bytes, size_t length);

// Whether this processor runs Crc32FoldPclmul.
bool HasCrc32Folding();

}  // namespace tavrin::session
