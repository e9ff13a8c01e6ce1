// The machine-wide owner table: which program streams from which camera.
// It lives in the named shared block that every program using the library
// maps; one 152-byte entry per device slot.
//
// Programs claim an entry with a compare-and-swap on its window word, so of
// any number of programs starting one camera together exactly one gets it.
// While a claim or a release rewrites the other fields, the window word
// holds a pending mark naming the claimer: programs that read only the
// window word see the camera in use, and nobody else touches the entry.
// However long the claimer is held up between the two steps (a debugger, a
// stopped process, a paused machine), its mark holds while it runs; a mark
// left by a program that died in those few instructions reads as free, like
// any entry of a program that has gone.
//
// An entry names its owner by process id and start time, kept at the end of
// the owner name's 128 bytes (after the name's NUL, where readers of the name
// do not look): after a crash, another program that gets the same process
// id is not taken for the owner.
//
// The block is open only to the creating user and its group (see
// platform/shared_memory.h). A block of the wrong size is refused at Open;
// one that shrinks later (truncated by another program of that group) is
// treated as no table from then on: claims succeed, nothing reads as in use.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/module.h"
#include "platform/shared_memory.h"

namespace tavrin {

class OwnerTable {
public:
    static constexpr const char* kBlockName = "QUENOR_USBCAMERA";
    static constexpr size_t kBlockSize = 0x4C0000;
    static constexpr size_t kZeroedPrefix = 0x8000;
    static constexpr size_t kTableOffset = 0x1F9E00;
    static constexpr size_t kEntrySize = 152;
    static constexpr int kEntries = 32;
    static constexpr const char* kOwnerName = "TavrinSdk_860VX_RUX.dll";
    // Where an entry names its owner's process: id, then start time.
    static constexpr size_t kOwnerProcessIdOffset = 136;
    static constexpr size_t kOwnerStartTimeOffset = 144;

    // The window word of a claim or release in progress by that process: a
    // tag in the top 16 bits, which no window value has (a user-space
    // pointer's top bits are 0, a sign-extended Win32 handle's all ones),
    // the low 16 bits of its start time, and its process id.
    static uint64_t PendingMark(const platform::ProcessIdentity& claimer);

    // Maps the shared block (creating it when no program has yet). The
    // block's name may be overridden with TAVRIN_SHARED_MEMORY_NAME so that
    // test runs do not disturb real programs or each other. Null on failure.
    static std::unique_ptr<OwnerTable> Open();

    // Marks the camera as streamed from by this program and window, in one
    // step with the check that it is free: false (and nothing written) when
    // a live program holds it or is claiming it. A window of 0 writes the
    // entry but never marks the camera in use. Indices outside the table
    // have nothing to claim and succeed.
    bool Claim(int index, uint64_t window);
    // Clears the entry only when this program and window wrote it and its
    // lock word is 0; anybody else's entry stays.
    void Release(int index, uint64_t window);
    // True when a live program holds the camera or is claiming it. An entry
    // left by a program that ended without releasing it (a crash) reads as
    // free.
    bool InUse(int index) const;

    struct Entry {
        uint64_t window;
        uint64_t instance;
        uint64_t lockWord;
        std::string owner;
    };
    Entry Read(int index) const;

private:
    explicit OwnerTable(std::unique_ptr<platform::SharedMemory> block) : block_(std::move(block)) {}
    uint8_t* EntryAt(int index) const;
    // Whether a window word seen in the entry belongs to a live holder.
    static bool Held(const uint8_t* entry, uint64_t window);
    // Takes the entry's window word from `from` to a pending mark.
    static bool Mark(uint8_t* entry, uint64_t from, uint64_t mark);
    // The fields behind the window word, written while this program's
    // pending mark holds the entry.
    static void WriteOwner(uint8_t* entry, uint64_t instance, const platform::ProcessIdentity& process,
                           const char* name);

    std::unique_ptr<platform::SharedMemory> block_;
};

}  // namespace tavrin
