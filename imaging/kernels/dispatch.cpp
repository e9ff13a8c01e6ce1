#include "imaging/kernels/dispatch.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace tavrin {
namespace {

bool ScalarForcedByEnvironment() {
    const char* value = std::getenv("TAVRIN_FORCE_SCALAR");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

std::atomic<bool>& FastKernelsEnabled() {
    static std::atomic<bool> enabled{!ScalarForcedByEnvironment()};
    return enabled;
}

}  // namespace

bool UseFastKernels() { return FastKernelsEnabled().load(std::memory_order_relaxed); }

bool CpuHasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    // The AVX2 files are compiled with -mavx2 -mfma -mbmi2, so the compiler may use all three.
    static const bool hasAvx2 =
        __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") && __builtin_cpu_supports("bmi2");
    return hasAvx2;
#else
    return false;
#endif
}

void SetFastKernelsForTesting(bool enabled) { FastKernelsEnabled().store(enabled, std::memory_order_relaxed); }

}  // namespace tavrin
