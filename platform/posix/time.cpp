#include "platform/time.h"

#include <sched.h>
#include <time.h>

#include <cerrno>

namespace tavrin::platform {
namespace {

uint64_t MonotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

}  // namespace

uint64_t MonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
}

uint64_t ThreadCpuNanoseconds() {
    timespec used{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
    return static_cast<uint64_t>(used.tv_sec) * 1000000000u + static_cast<uint64_t>(used.tv_nsec);
}

int64_t SystemTimeNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

uint32_t TickCount() { return static_cast<uint32_t>(MonotonicMilliseconds()); }

uint32_t MultimediaTime() { return static_cast<uint32_t>(MonotonicMilliseconds()); }

void Sleep(uint32_t milliseconds) {
    timespec wait{static_cast<time_t>(milliseconds / 1000u), static_cast<long>(milliseconds % 1000u) * 1000000L};
    if (milliseconds == 0) {
        sched_yield();
        return;
    }
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

}  // namespace tavrin::platform
