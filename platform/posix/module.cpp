#include "platform/module.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace tavrin::platform {

uint64_t ProgramInstance() { return static_cast<uint64_t>(getpid()); }

bool OwnerAlive(uint64_t, uint64_t instance) {
    if (instance == 0 || instance > static_cast<uint64_t>(INT_MAX)) {
        return false;
    }
    // Signal 0 checks existence only; EPERM means it exists under another user.
    return kill(static_cast<pid_t>(instance), 0) == 0 || errno == EPERM;
}

}  // namespace tavrin::platform
