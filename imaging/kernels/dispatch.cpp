#include "imaging/kernels/dispatch.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "imaging/kernels/balance_rows.h"
#include "imaging/kernels/bright_rows.h"
#include "imaging/kernels/copy_rows.h"
#include "imaging/kernels/demosaic_rows.h"
#include "imaging/kernels/depth_rows.h"
#include "imaging/kernels/gray_rows.h"
#include "imaging/kernels/huesat_rows.h"
#include "imaging/kernels/measure_rows.h"
#include "imaging/kernels/sharpen_rows.h"
#include "imaging/kernels/shift_rows.h"
#include "imaging/kernels/tone_lut.h"

// The build compiles the _avx512 files only where the compiler keeps wide
// vectors on the stack aligned (see imaging/CMakeLists.txt); elsewhere the
// AVX-512 row of the table runs the AVX2 versions.
#if defined(TAVRIN_AVX512_KERNELS)
#define TAVRIN_AVX512(entry) entry
#else
#define TAVRIN_AVX512(entry) nullptr
#endif

namespace tavrin {
namespace {

// A family's versions by instruction set; a set without its own version
// uses the next narrower one.
template <typename Function>
Function Pick(KernelIsa isa, Function c, std::type_identity_t<Function> sse2, std::type_identity_t<Function> avx2,
              std::type_identity_t<Function> avx512) {
    if (isa >= KernelIsa::kAvx512 && avx512 != nullptr)
        return avx512;
    if (isa >= KernelIsa::kAvx2 && avx2 != nullptr)
        return avx2;
    if (isa >= KernelIsa::kSse2 && sse2 != nullptr)
        return sse2;
    return c;
}

// One line per entry, in the order of KernelTable, with the family's versions
// from the reference up: alike on purpose, so that a missing version shows.
KernelTable MakeTable(KernelIsa isa) {
    return KernelTable{
        Pick(isa, rows::Words16ToBytes_C, rows::Words16ToBytes_SSE2, rows::Words16ToBytes_AVX2, nullptr),
        Pick(isa, rows::Rgb64ToRgb24_C, nullptr, rows::Rgb64ToRgb24_AVX2, nullptr),
        Pick(isa, rows::Rgb32ToRgb24_C, nullptr, rows::Rgb32ToRgb24_AVX2, nullptr),
        Pick(isa, rows::ShiftWordsLeft_C, rows::ShiftWordsLeft_SSE2, nullptr, nullptr),
        Pick(isa, rows::Rgb64ShiftOpaque_C, rows::Rgb64ShiftOpaque_SSE2, nullptr, nullptr),
        Pick(isa, rows::MoveBytes_C, rows::MoveBytes_SSE2, nullptr, nullptr),
        rows::MirrorRow_C,
        Pick(isa, ApplyTable8_C, nullptr, ApplyTable8_AVX2, TAVRIN_AVX512(ApplyTable8_AVX512)),
        Pick(isa, ApplyTable16_C, ApplyTable16_SSE2, ApplyTable16_AVX2, TAVRIN_AVX512(ApplyTable16_AVX512)),
        Pick(isa, Bright_C, nullptr, Bright_AVX2, TAVRIN_AVX512(Bright_AVX512)),
        Pick(isa, Sharpen8_C, nullptr, Sharpen8_AVX2, TAVRIN_AVX512(Sharpen8_AVX512)),
        Pick(isa, Sharpen16_C, Sharpen16_SSE2, Sharpen16_AVX2, TAVRIN_AVX512(Sharpen16_AVX512)),
        Pick(isa, HueSatArea8_C, nullptr, HueSatArea8_AVX2, TAVRIN_AVX512(HueSatArea8_AVX512)),
        Pick(isa, HueSatArea16_C, nullptr, HueSatArea16_AVX2, TAVRIN_AVX512(HueSatArea16_AVX512)),
        Pick(isa, GrayGainRow8_C, nullptr, GrayGainRow8_AVX2, nullptr),
        Pick(isa, GrayGainRow16_C, nullptr, GrayGainRow16_AVX2, nullptr),
        Pick(isa, ParitySums_C, nullptr, ParitySums_AVX2, TAVRIN_AVX512(ParitySums_AVX512)),
        Pick(isa, SumBytes_C, nullptr, SumBytes_AVX2, TAVRIN_AVX512(SumBytes_AVX512)),
        Pick(isa, SumWords8BitForm_C, nullptr, SumWords8BitForm_AVX2, TAVRIN_AVX512(SumWords8BitForm_AVX512)),
        Pick(isa, demosaic::Rows8_C, demosaic::Rows8_SSE2, demosaic::Rows8_AVX2, TAVRIN_AVX512(demosaic::Rows8_AVX512)),
        Pick(isa, demosaic::Rows16_C, demosaic::Rows16_SSE2, demosaic::Rows16_AVX2,
             TAVRIN_AVX512(demosaic::Rows16_AVX512)),
        Pick(isa, demosaic::Rows8Table_C, demosaic::Rows8Table_SSE2, demosaic::Rows8Table_AVX2,
             TAVRIN_AVX512(demosaic::Rows8Table_AVX512)),
    };
}

// One table per set, indexed by KernelIsa, filled at the first call (also
// when that comes from another file's static initialisation).
const KernelTable* Tables() {
    static const KernelTable tables[] = {MakeTable(KernelIsa::kScalar), MakeTable(KernelIsa::kSse2),
                                         MakeTable(KernelIsa::kAvx2), MakeTable(KernelIsa::kAvx512)};
    return tables;
}

KernelIsa DetectCpu() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    // The AVX2 files are compiled with -mavx2 -mfma -mbmi2, so the compiler may use all three.
    const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") && __builtin_cpu_supports("bmi2");
    if (!avx2)
        return KernelIsa::kSse2;
    // The AVX-512 files are compiled for F, BW, VL and VBMI (byte permutes across the register).
    const bool avx512 = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                        __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi");
    return avx512 ? KernelIsa::kAvx512 : KernelIsa::kAvx2;
#else
    return KernelIsa::kScalar;
#endif
}

bool EnvironmentIs(const char* name, const char* value) {
    const char* set = std::getenv(name);
    return set != nullptr && std::strcmp(set, value) == 0;
}

// The cap named by TAVRIN_MAX_ISA; an unset or unknown value caps nothing.
KernelIsa EnvironmentCap() {
    for (const KernelIsa isa : {KernelIsa::kScalar, KernelIsa::kSse2, KernelIsa::kAvx2, KernelIsa::kAvx512}) {
        if (EnvironmentIs("TAVRIN_MAX_ISA", KernelIsaName(isa)))
            return isa;
    }
    return KernelIsa::kAvx512;
}

KernelIsa Narrower(KernelIsa a, KernelIsa b) { return a < b ? a : b; }

std::atomic<const KernelTable*>& ActiveTable() {
    static std::atomic<const KernelTable*> table{&Tables()[static_cast<int32_t>(StartupKernelIsa())]};
    return table;
}

}  // namespace

const char* KernelIsaName(KernelIsa isa) {
    switch (isa) {
    case KernelIsa::kScalar:
        return "scalar";
    case KernelIsa::kSse2:
        return "sse2";
    case KernelIsa::kAvx2:
        return "avx2";
    case KernelIsa::kAvx512:
        return "avx512";
    }
    return "scalar";
}

KernelIsa CpuKernelIsa() {
    static const KernelIsa cpu = DetectCpu();
    return cpu;
}

KernelIsa StartupKernelIsa() {
    static const KernelIsa startup =
        EnvironmentIs("TAVRIN_FORCE_SCALAR", "1") ? KernelIsa::kScalar : Narrower(CpuKernelIsa(), EnvironmentCap());
    return startup;
}

const KernelTable& Kernels() { return *ActiveTable().load(std::memory_order_relaxed); }

KernelIsa ActiveKernelIsa() { return static_cast<KernelIsa>(&Kernels() - Tables()); }

KernelIsa SetKernelIsaForTesting(KernelIsa isa) {
    const KernelIsa chosen = Narrower(isa, StartupKernelIsa());
    const KernelTable* previous = ActiveTable().exchange(&Tables()[static_cast<int32_t>(chosen)]);
    return static_cast<KernelIsa>(previous - Tables());
}

}  // namespace tavrin
