// One switch for every kernel family: the fast (SIMD) kernels run unless the
// environment variable TAVRIN_FORCE_SCALAR is set to 1, which forces the plain
// scalar reference everywhere, so the whole test suite can run both ways.
// SSE2 is always there on x86-64; wider paths ask CpuHasAvx2().
#pragma once

namespace tavrin {

// True unless TAVRIN_FORCE_SCALAR=1 (read once) or a test switched it off.
bool UseFastKernels();
// True when the processor runs AVX2 and FMA code.
bool CpuHasAvx2();
// True when fast kernels run and may use AVX2.
inline bool UseAvx2Kernels() { return UseFastKernels() && CpuHasAvx2(); }

// For tests that compare both paths inside one process.
void SetFastKernelsForTesting(bool enabled);

}  // namespace tavrin
