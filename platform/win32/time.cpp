#include "platform/time.h"

#include <windows.h>
#include <mmsystem.h>

namespace tavrin::platform {

uint64_t ThreadCpuNanoseconds() {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) {
        return 0;
    }
    auto ticks = [](const FILETIME& t) { return (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
    return (ticks(kernel) + ticks(user)) * 100u;  // 100-nanosecond units
}

uint64_t MonotonicNanoseconds() {
    static const int64_t frequency = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    // Whole seconds and the rest apart, so that the product never overflows.
    const int64_t seconds = now.QuadPart / frequency;
    const int64_t rest = now.QuadPart % frequency;
    return static_cast<uint64_t>(seconds) * 1000000000u + static_cast<uint64_t>(rest * 1000000000 / frequency);
}

int64_t SystemTimeNanoseconds() {
    // FILETIME counts 100 ns steps since 1601-01-01.
    constexpr int64_t kUnixEpochIn100ns = 116444736000000000;
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    const int64_t ticks = (static_cast<int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return (ticks - kUnixEpochIn100ns) * 100;
}

uint32_t TickCount() { return GetTickCount(); }

uint32_t MultimediaTime() { return timeGetTime(); }

void Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace tavrin::platform
