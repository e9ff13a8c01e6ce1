// Reads the names a shared library exports, straight from the file: the
// dynamic symbol table of an ELF object or the export directory of a PE
// image. Independent of the toolchain that built the library.
#pragma once

#include <optional>
#include <set>
#include <string>

namespace tavrin::test {

std::optional<std::set<std::string>> ReadExportTable(const std::string& path);

}  // namespace tavrin::test
