// CRC-32 (the checksum of zip, PNG and zlib's crc32()) of every chunk. A
// frame's bytes are checked as they are written, so the sum runs over some
// 300 KiB per frame: where the processor multiplies without carries
// (PCLMULQDQ), the bulk is folded 64 bytes at a time, several times faster
// than zlib's tables, which remain the reference and do the rest; where it
// does so on 512-bit registers (VPCLMULQDQ with AVX-512), 256 bytes at a time.
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

// The same on 512-bit registers: length a multiple of 16 and at least 256.
// x86 processors with VPCLMULQDQ and AVX-512 F only (crc32_vpclmul.cpp;
// not in Windows builds, whose compiler does not align the stack for
// spilled 512-bit registers).
uint32_t Crc32FoldVpclmul(uint32_t state, const uint8_t* bytes, size_t length);

// Whether this processor runs Crc32FoldPclmul, and Crc32FoldVpclmul.
bool HasCrc32Folding();
bool HasWideCrc32Folding();

}  // namespace tavrin::session
