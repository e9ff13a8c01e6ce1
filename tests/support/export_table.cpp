#include "support/export_table.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace tavrin::test {
namespace {

using Bytes = std::vector<uint8_t>;

template <typename T>
bool ReadAt(const Bytes& file, uint64_t offset, T& value) {
    if (offset > file.size() || file.size() - offset < sizeof(T)) {
        return false;
    }
    std::memcpy(&value, file.data() + offset, sizeof(T));
    return true;
}

std::string StringAt(const Bytes& file, uint64_t offset) {
    std::string text;
    while (offset < file.size() && file[offset] != 0) {
        text.push_back(static_cast<char>(file[offset++]));
    }
    return text;
}

// ELF64: the .dynsym section lists defined global functions with a non-zero
// section index and default visibility.
std::optional<std::set<std::string>> ElfExports(const Bytes& file) {
    uint64_t sectionOffset = 0;
    uint16_t sectionSize = 0, sectionCount = 0;
    if (!ReadAt(file, 0x28, sectionOffset) || !ReadAt(file, 0x3A, sectionSize) || !ReadAt(file, 0x3C, sectionCount)) {
        return std::nullopt;
    }
    std::set<std::string> names;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        const uint64_t header = sectionOffset + uint64_t{i} * sectionSize;
        uint32_t type = 0, link = 0;
        uint64_t offset = 0, size = 0, entrySize = 0;
        if (!ReadAt(file, header + 4, type) || type != 11 /* SHT_DYNSYM */) {
            continue;
        }
        ReadAt(file, header + 0x18, offset);
        ReadAt(file, header + 0x20, size);
        ReadAt(file, header + 0x28, link);
        ReadAt(file, header + 0x38, entrySize);
        uint64_t stringsOffset = 0;
        ReadAt(file, sectionOffset + uint64_t{link} * sectionSize + 0x18, stringsOffset);
        for (uint64_t symbol = offset; entrySize != 0 && symbol + entrySize <= offset + size; symbol += entrySize) {
            uint32_t name = 0;
            uint8_t info = 0, other = 0;
            uint16_t sectionIndex = 0;
            ReadAt(file, symbol, name);
            ReadAt(file, symbol + 4, info);
            ReadAt(file, symbol + 5, other);
            ReadAt(file, symbol + 6, sectionIndex);
            const bool global = (info >> 4) == 1 || (info >> 4) == 2;
            if (global && sectionIndex != 0 && (other & 3) == 0 && name != 0) {
                names.insert(StringAt(file, stringsOffset + name));
            }
        }
    }
    return names;
}

// PE32+: the export directory's name pointer table.
std::optional<std::set<std::string>> PeExports(const Bytes& file) {
    uint32_t peOffset = 0;
    ReadAt(file, 0x3C, peOffset);
    uint16_t sectionCount = 0, optionalSize = 0;
    ReadAt(file, peOffset + 6, sectionCount);
    ReadAt(file, peOffset + 20, optionalSize);
    const uint64_t optional = peOffset + 24;
    uint32_t exportRva = 0;
    if (!ReadAt(file, optional + 112, exportRva) || exportRva == 0) {
        return std::set<std::string>{};
    }
    const uint64_t sections = optional + optionalSize;
    auto fileOffset = [&](uint32_t rva) -> uint64_t {
        for (uint16_t i = 0; i < sectionCount; ++i) {
            uint32_t virtualSize = 0, virtualAddress = 0, rawOffset = 0;
            const uint64_t section = sections + uint64_t{i} * 40;
            ReadAt(file, section + 8, virtualSize);
            ReadAt(file, section + 12, virtualAddress);
            ReadAt(file, section + 20, rawOffset);
            if (rva >= virtualAddress && rva < virtualAddress + virtualSize) {
                return uint64_t{rva} - virtualAddress + rawOffset;
            }
        }
        return file.size();
    };
    const uint64_t directory = fileOffset(exportRva);
    uint32_t nameCount = 0, namesRva = 0;
    ReadAt(file, directory + 24, nameCount);
    ReadAt(file, directory + 32, namesRva);
    std::set<std::string> names;
    for (uint32_t i = 0; i < nameCount; ++i) {
        uint32_t nameRva = 0;
        ReadAt(file, fileOffset(namesRva) + uint64_t{i} * 4, nameRva);
        names.insert(StringAt(file, fileOffset(nameRva)));
    }
    return names;
}

}  // namespace

std::optional<std::set<std::string>> ReadExportTable(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (file.size() > 4 && std::memcmp(file.data(),
                                       "\x7F"
                                       "ELF",
                                       4) == 0) {
        return ElfExports(file);
    }
    if (file.size() > 2 && file[0] == 'M' && file[1] == 'Z') {
        return PeExports(file);
    }
    return std::nullopt;
}

}  // namespace tavrin::test
