// The calling program's identity, and whether another program still runs.
#pragma once

#include <cstdint>

namespace tavrin::platform {

// The executable's module instance (GetModuleHandleA(NULL)) on Windows; the
// process id on POSIX, where it tells whose entry an owner-table slot is.
uint64_t ProgramInstance();

// A process as other processes tell it apart: its id and when it started
// (Linux: clock ticks after boot, field 22 of /proc/PID/stat; Windows: its
// creation time). An id is given again once its process has gone; the start
// time tells the later process apart. 0 where unknown.
struct ProcessIdentity {
    uint64_t id = 0;
    uint64_t startTime = 0;
};
ProcessIdentity CurrentProcess();
// When the process with that id started, in the unit above; 0 when no such
// process runs or its start cannot be read.
uint64_t ProcessStartTime(uint64_t id);

// Whether that process still runs: a process with that id that started at
// that time. A start time of 0, or one that cannot be read (another user's
// process on Windows, /proc hidden), is not compared.
bool ProcessRuns(const ProcessIdentity& process);

// Whether the program that registered a window still runs. On Windows the
// window must still exist and, where the entry names its process, belong to
// that process while it runs; on POSIX, where a window value means nothing to
// other processes, the named process must run (without one, the process id
// in instance).
bool OwnerAlive(uint64_t window, uint64_t instance, const ProcessIdentity& process);

}  // namespace tavrin::platform
