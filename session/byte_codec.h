// Little-endian fields in and out of byte buffers: the session file stores
// every number least significant byte first, whatever the host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin::session {

// Appends fields to a buffer that the caller reuses, so that a chunk built
// frame after frame allocates only when it outgrows the buffer.
class ByteWriter {
public:
    explicit ByteWriter(std::vector<uint8_t>& out) : out_(out) {}

    void U8(uint8_t value) { out_.push_back(value); }
    void U16(uint16_t value) { Put(value, 2); }
    void U32(uint32_t value) { Put(value, 4); }
    void U64(uint64_t value) { Put(value, 8); }
    void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
    void I64(int64_t value) { U64(static_cast<uint64_t>(value)); }
    void Bytes(std::span<const uint8_t> bytes) { out_.insert(out_.end(), bytes.begin(), bytes.end()); }
    // A byte string with its u32 length in front.
    void Blob(std::span<const uint8_t> bytes) {
        U32(static_cast<uint32_t>(bytes.size()));
        Bytes(bytes);
    }
    // A text with its u16 length in front, cut at 65535 bytes.
    void ShortText(std::string_view text) {
        const size_t length = text.size() < 0xFFFF ? text.size() : 0xFFFF;
        U16(static_cast<uint16_t>(length));
        out_.insert(out_.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
    }

private:
    void Put(uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            out_.push_back(static_cast<uint8_t>(value >> (8 * i)));
        }
    }

    std::vector<uint8_t>& out_;
};

// Reads fields from a byte span. A read past the end yields zeros and marks
// the reader failed, so a decoder reads on and checks Ok() once at the end.
class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    bool Ok() const { return ok_; }
    size_t Offset() const { return offset_; }
    size_t Remaining() const { return bytes_.size() - offset_; }

    uint8_t U8() { return static_cast<uint8_t>(Get(1)); }
    uint16_t U16() { return static_cast<uint16_t>(Get(2)); }
    uint32_t U32() { return static_cast<uint32_t>(Get(4)); }
    uint64_t U64() { return Get(8); }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    int64_t I64() { return static_cast<int64_t>(U64()); }

    std::span<const uint8_t> Bytes(size_t count) {
        if (!ok_ || count > Remaining()) {
            ok_ = false;
            return {};
        }
        const std::span<const uint8_t> taken = bytes_.subspan(offset_, count);
        offset_ += count;
        return taken;
    }
    std::vector<uint8_t> Blob() {
        const std::span<const uint8_t> taken = Bytes(U32());
        return {taken.begin(), taken.end()};
    }
    std::string ShortText() {
        const std::span<const uint8_t> taken = Bytes(U16());
        return {taken.begin(), taken.end()};
    }

private:
    uint64_t Get(size_t count) {
        if (!ok_ || count > Remaining()) {
            ok_ = false;
            return 0;
        }
        uint64_t value = 0;
        for (size_t i = 0; i < count; ++i) {
            value |= uint64_t{bytes_[offset_ + i]} << (8 * i);
        }
        offset_ += count;
        return value;
    }

    std::span<const uint8_t> bytes_;
    size_t offset_ = 0;
    bool ok_ = true;
};

}  // namespace tavrin::session
