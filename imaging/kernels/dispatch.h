// The kernels' one choice of instruction set. Every family that has vector
// versions names them after the set they need: Foo_C is the plain reference,
// Foo_SSE2 the x86-64 baseline, Foo_AVX2 needs AVX2, FMA and BMI2, Foo_AVX512
// also AVX-512 F, BW, VL and VBMI. At start-up the
// widest set the processor runs is chosen, capped by TAVRIN_MAX_ISA
// (sse2, avx2 or avx512; "scalar" too) and forced down to the references by
// TAVRIN_FORCE_SCALAR=1, so the whole test suite can run once per path.
// Kernels call their family through Kernels(); nothing else asks the CPU.
#pragma once

#include <cstdint>

#include "imaging/kernels/kernel_table.h"

namespace tavrin {

enum class KernelIsa : int32_t { kScalar = 0, kSse2 = 1, kAvx2 = 2, kAvx512 = 3 };

// "scalar", "sse2", "avx2" or "avx512".
const char* KernelIsaName(KernelIsa isa);
// The widest set the processor runs.
KernelIsa CpuKernelIsa();
// The processor's set after the environment's cap, fixed at the first call.
KernelIsa StartupKernelIsa();
// The set whose entry points Kernels() hands out now.
KernelIsa ActiveKernelIsa();
// The entry points of every family for the active set.
const KernelTable& Kernels();

// For tests that compare paths inside one process: switches to `isa`, never
// wider than the start-up choice; returns the set it replaced.
KernelIsa SetKernelIsaForTesting(KernelIsa isa);
// false: the scalar references; true: back to the start-up choice.
inline void SetFastKernelsForTesting(bool fast) {
    SetKernelIsaForTesting(fast ? StartupKernelIsa() : KernelIsa::kScalar);
}

}  // namespace tavrin
