#include "settings/config_file.h"

#include <fstream>
#include <mutex>
#include <new>
#include <stdexcept>

namespace tavrin {

namespace {

uint32_t LittleEndian32(const uint8_t* bytes) {
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

}  // namespace

std::optional<std::vector<uint8_t>> LoadFileImage(std::istream& stream) {
    stream.seekg(0, std::ios::end);
    const std::streamoff end = stream.tellg();
    stream.seekg(0, std::ios::beg);
    if (!stream || end < 0 || static_cast<uint64_t>(end) > kMaxFileImageBytes)
        return std::nullopt;
    std::vector<uint8_t> bytes;
    try {
        bytes.resize(static_cast<size_t>(end));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    // Only what was actually delivered counts: a file that gives fewer bytes
    // than its size, or fails while being read, is not taken at all.
    stream.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<size_t>(stream.gcount()) != bytes.size() || stream.bad())
        return std::nullopt;
    // A directory opens on some systems but fails at the first read.
    stream.peek();
    if (stream.bad())
        return std::nullopt;
    return bytes;
}

std::optional<std::vector<uint8_t>> LoadFileImage(const char* fileName) {
    if (!fileName)
        return std::nullopt;
    std::ifstream file(fileName, std::ios::binary);
    if (!file.is_open())
        return std::nullopt;
    return LoadFileImage(file);
}

RegisterConfigList ParseRegisterConfig(const std::vector<uint8_t>& image) {
    RegisterConfigList list;
    list.reserve(image.size() / 8);
    for (size_t offset = 0; offset + 8 <= image.size(); offset += 8) {
        list.push_back({LittleEndian32(&image[offset]), LittleEndian32(&image[offset + 4])});
    }
    return list;
}

int LoadConfigFile(const char* fileName, platform::CriticalSection& settingsLock, RegisterConfigList& list) noexcept {
    try {
        const auto image = LoadFileImage(fileName);
        if (!image)
            return 0;
        // The new list is built before the lock is taken, so that a failure
        // keeps the old one; the old one is freed after the lock is left.
        RegisterConfigList records = ParseRegisterConfig(*image);
        {
            std::lock_guard guard(settingsLock);
            list.swap(records);
        }
        return 1;
    } catch (...) {
        return 0;
    }
}

}  // namespace tavrin
