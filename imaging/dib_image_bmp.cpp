// CDibImage::WriteBmp: the image as a Windows bitmap file, rows as they lie
// in memory and the header as held.
#include <bit>
#include <cstdio>
#include <cstring>

#include "imaging/dib_image.h"

namespace tavrin {
namespace {

static_assert(std::endian::native == std::endian::little, "the file layout is the little-endian memory layout");

constexpr uint16_t kBmpType = 0x4D42;  // "BM"
constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kPixelOffsetNoTable = kFileHeaderBytes + sizeof(BitmapInfoHeader);     // 54
constexpr uint32_t kPixelOffsetWithTable = kPixelOffsetNoTable + 4 * kColorTableEntries;  // 1078

void PutLe16(uint8_t* at, uint16_t value) { std::memcpy(at, &value, 2); }
void PutLe32(uint8_t* at, uint32_t value) { std::memcpy(at, &value, 4); }

bool WriteAll(std::FILE* file, const void* data, size_t bytes) {
    return bytes == 0 || std::fwrite(data, 1, bytes, file) == bytes;
}

}  // namespace

int32_t CDibImage::WriteBmp(const char* fileName) const {
    // An empty image has no picture to store; a header without pixels would
    // be a broken file.
    if (fileName == nullptr || IsEmpty()) {
        return 0;
    }
    std::FILE* file = std::fopen(fileName, "wb");
    if (file == nullptr) {
        return 0;
    }
    const bool withTable = bits_ <= 8;
    const uint32_t offset = withTable ? kPixelOffsetWithTable : kPixelOffsetNoTable;

    uint8_t fileHeader[kFileHeaderBytes] = {};
    PutLe16(fileHeader + 0, kBmpType);
    PutLe32(fileHeader + 2, offset + static_cast<uint32_t>(ImageBytes()));
    PutLe32(fileHeader + 10, offset);

    // A full disk or a failing device must not pass for a saved image, so
    // every write and the final flush are checked.
    bool ok = WriteAll(file, fileHeader, sizeof(fileHeader)) && WriteAll(file, &info_.header, sizeof(info_.header)) &&
              (!withTable || WriteAll(file, drawingColors_, sizeof(drawingColors_))) &&
              WriteAll(file, pixels_, ImageBytes());
    if (std::fclose(file) != 0) {
        ok = false;
    }
    return ok ? 1 : 0;
}

}  // namespace tavrin
