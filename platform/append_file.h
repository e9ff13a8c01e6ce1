// A file written from front to back in whole pieces, for recordings that
// must survive the program being killed: each Append hands its bytes to the
// system before it returns, so whatever was appended is in the file even if
// the process dies a moment later (the system writes it out).
//
// The system is asked for few calls and little bookkeeping: the pieces of
// one Append go in one gathered write where the system has one, and on
// Linux the file's room is reserved ahead in large steps (its size stays
// that of the bytes written; Close gives back what was not used, while a
// killed program's file keeps it until the file is removed).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace tavrin::platform {

class AppendFile {
public:
    enum class Error { kNone, kDiskFull, kFailed };

    virtual ~AppendFile() = default;

    // Appends the pieces in order; false when not all of them could be
    // written (what was written stays). After a failure nothing more is
    // appended.
    virtual bool Append(std::span<const std::span<const uint8_t>> pieces) = 0;
    // Closes the file; false when that failed (the error says why). Further
    // calls return true.
    virtual bool Close() = 0;

    virtual Error LastError() const = 0;
    // The system's words for the error, e.g. "No space left on device".
    virtual const std::string& ErrorText() const = 0;
};

// Creates the file (or empties an existing one). Null when that fails,
// with the system's words in error.
std::unique_ptr<AppendFile> CreateAppendFile(const char* path, std::string& error);

}  // namespace tavrin::platform
