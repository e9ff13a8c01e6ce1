// Clocks and sleeping, with the meaning of the Win32 calls they stand for.
#pragma once

#include <cstdint>

namespace tavrin::platform {

// Milliseconds since an arbitrary start; wraps at 2^32 like GetTickCount.
uint32_t TickCount();

// The multimedia timer (timeGetTime): milliseconds, wrapping at 2^32.
uint32_t MultimediaTime();

// The host's monotonic clock in nanoseconds (CLOCK_MONOTONIC; on Windows the
// performance counter), which times frames.
uint64_t MonotonicNanoseconds();

// The system clock in nanoseconds since 1970-01-01 UTC.
int64_t SystemTimeNanoseconds();

// The CPU time the calling thread has used, in nanoseconds (on Windows in
// steps of the system's accounting, about 15.6 ms on some systems).
uint64_t ThreadCpuNanoseconds();

// Suspends the calling thread for at least the given time; 0 yields.
void Sleep(uint32_t milliseconds);

}  // namespace tavrin::platform
