#include "output/output_file.h"

#include "output/little_endian.h"

namespace tavrin {

OutputFile::~OutputFile() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool OutputFile::Open(const char* path, bool unbuffered) {
    if (file_ != nullptr || path == nullptr || path[0] == '\0') {
        return false;
    }
    file_ = std::fopen(path, "wb");
    if (file_ == nullptr) {
        return false;
    }
    if (unbuffered && std::setvbuf(file_, nullptr, _IONBF, 0) != 0) {
        std::fclose(file_);
        file_ = nullptr;
        return false;
    }
    return true;
}

bool OutputFile::Write(const void* data, size_t bytes) {
    if (file_ == nullptr) {
        return false;
    }
    if (bytes == 0) {
        return true;
    }
    return std::fwrite(data, 1, bytes, file_) == bytes;
}

bool OutputFile::WriteU32(uint32_t value) {
    uint8_t bytes[4];
    StoreU32(bytes, value);
    return Write(bytes, sizeof bytes);
}

bool OutputFile::SeekTo(long offset) { return file_ != nullptr && std::fseek(file_, offset, SEEK_SET) == 0; }

bool OutputFile::GetPosition(std::fpos_t& position) { return file_ != nullptr && std::fgetpos(file_, &position) == 0; }

bool OutputFile::SetPosition(const std::fpos_t& position) {
    if (file_ == nullptr || std::fsetpos(file_, &position) != 0) {
        return false;
    }
    // A failed write sets the stream's error flag; once the position is back at
    // good data the stream is usable again.
    std::clearerr(file_);
    return true;
}

bool OutputFile::Close() {
    if (file_ == nullptr) {
        return false;
    }
    bool ok = std::fflush(file_) == 0 && std::ferror(file_) == 0;
    if (std::fclose(file_) != 0) {
        ok = false;
    }
    file_ = nullptr;
    return ok;
}

}  // namespace tavrin
