#include "platform/module.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace tavrin::platform {

namespace {

// Field 22 of /proc/PID/stat, the start time in clock ticks after boot; 0
// when it cannot be read. The command name (field 2) is in parentheses and
// may hold spaces and parentheses itself, so counting starts after its last
// ')'.
uint64_t StartTimeOf(pid_t pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
    std::FILE* file = std::fopen(path, "re");
    if (file == nullptr) {
        return 0;
    }
    char line[1024];
    const size_t length = std::fread(line, 1, sizeof line - 1, file);
    std::fclose(file);
    line[length] = '\0';
    const char* field = std::strrchr(line, ')');
    // After ')' come field 3 (the state) to field 22: 20 spaces to skip.
    for (int spaces = 0; field != nullptr && spaces < 20; ++spaces) {
        field = std::strchr(field + 1, ' ');
    }
    return field != nullptr ? std::strtoull(field + 1, nullptr, 10) : 0;
}

bool IdExists(uint64_t id) {
    if (id == 0 || id > static_cast<uint64_t>(INT_MAX)) {
        return false;
    }
    // Signal 0 checks existence only; EPERM means it exists under another user.
    return kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
}

}  // namespace

uint64_t ProgramInstance() { return static_cast<uint64_t>(getpid()); }

ProcessIdentity CurrentProcess() { return {static_cast<uint64_t>(getpid()), StartTimeOf(getpid())}; }

uint64_t ProcessStartTime(uint64_t id) { return IdExists(id) ? StartTimeOf(static_cast<pid_t>(id)) : 0; }

bool ProcessRuns(const ProcessIdentity& process) {
    if (!IdExists(process.id)) {
        return false;
    }
    if (process.startTime == 0) {
        return true;
    }
    const uint64_t started = StartTimeOf(static_cast<pid_t>(process.id));
    return started == 0 || started == process.startTime;
}

bool OwnerAlive(uint64_t, uint64_t instance, const ProcessIdentity& process) {
    return process.id != 0 ? ProcessRuns(process) : IdExists(instance);
}

}  // namespace tavrin::platform
