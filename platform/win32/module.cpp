#include "platform/module.h"

#include <windows.h>

namespace tavrin::platform {

namespace {

uint64_t CreationTime(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return 0;
    }
    return (uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
}

// Whether a process of that id runs, and when it started (0 when that
// cannot be read: another user's process cannot be looked into).
bool Running(uint64_t id, uint64_t& started) {
    started = 0;
    if (id == 0 || id > 0xFFFFFFFFu) {
        return false;
    }
    HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
    if (handle == nullptr) {
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    // A handle also opens a process that has ended but is still referenced.
    const bool running = WaitForSingleObject(handle, 0) == WAIT_TIMEOUT;
    if (running) {
        started = CreationTime(handle);
    }
    CloseHandle(handle);
    return running;
}

}  // namespace

uint64_t ProgramInstance() { return reinterpret_cast<uint64_t>(GetModuleHandleA(nullptr)); }

ProcessIdentity CurrentProcess() {
    return {GetCurrentProcessId(), CreationTime(GetCurrentProcess())};
}

uint64_t ProcessStartTime(uint64_t id) {
    uint64_t started = 0;
    return Running(id, started) ? started : 0;
}

bool ProcessRuns(const ProcessIdentity& process) {
    uint64_t started = 0;
    if (!Running(process.id, started)) {
        return false;
    }
    return process.startTime == 0 || started == 0 || started == process.startTime;
}

bool OwnerAlive(uint64_t window, uint64_t, const ProcessIdentity& process) {
    const HWND handle = reinterpret_cast<HWND>(window);
    if (!IsWindow(handle)) {
        return false;
    }
    if (process.id == 0) {
        return true;  // an entry that names no process: the window alone tells
    }
    // Window handles are given again too: the window must be the process's.
    DWORD owner = 0;
    GetWindowThreadProcessId(handle, &owner);
    return owner == process.id && ProcessRuns(process);
}

}  // namespace tavrin::platform
