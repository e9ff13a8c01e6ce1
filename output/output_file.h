// A file written through the C runtime's stdio, with every write, seek and
// the final close checked, so that a full disk or a vanished network drive
// shows up as a failure instead of a silently truncated file.
//
// Paths are narrow strings passed to fopen unchanged: on Windows that is the
// ANSI code page, on Linux the bytes of the file name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace tavrin {

class OutputFile {
public:
    OutputFile() = default;
    // Closes a file that is still open; errors at that point are not reported
    // (call Close to learn them).
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Opens for writing, truncating an existing file or creating a new one.
    // An unbuffered file sends each Write straight to the system, so a failed
    // write is seen by the call that made it and nothing is left pending.
    bool Open(const char* path, bool unbuffered = false);
    bool IsOpen() const { return file_ != nullptr; }

    // Writes all `bytes` or reports failure.
    bool Write(const void* data, size_t bytes);
    bool WriteU32(uint32_t value);
    // Moves to `offset` bytes from the start; for the small offsets of header
    // fields (a long is 32 bits on Windows).
    bool SeekTo(long offset);
    // Remembers and restores a position anywhere in the file, beyond 2 GiB too.
    bool GetPosition(std::fpos_t& position);
    bool SetPosition(const std::fpos_t& position);

    // Flushes and closes. True only when no write since Open has failed and
    // the last buffered bytes reached the file.
    bool Close();

    // The stdio stream, for libraries that write through it themselves.
    std::FILE* Stream() { return file_; }

private:
    std::FILE* file_ = nullptr;
};

}  // namespace tavrin
