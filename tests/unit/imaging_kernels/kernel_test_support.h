// Images for kernel tests: pixel memory of exactly height x stride bytes, so
// that a read or write past the last row leaves the allocation (and faults
// under AddressSanitizer), random fills, and a helper that calls a kernel the
// way the conversion driver does for a whole image.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "imaging/kernels/dispatch.h"
#include "imaging/kernels/params.h"

namespace tavrin::test {

struct TestImage {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bytesPerPixel = 0;
    int32_t stride = 0;
    std::unique_ptr<uint8_t[]> bits;

    // `tight` rows are exactly width x bytesPerPixel apart (no padding, so even a
    // row's last byte is the allocation's last byte on the last row); otherwise
    // rows are padded to 4 bytes as the images of the system are.
    TestImage(int32_t w, int32_t h, int32_t bpp, bool tight = true)
        : width(w),
          height(h),
          bytesPerPixel(bpp),
          stride(tight ? w * bpp : (w * bpp + 3) / 4 * 4),
          bits(new uint8_t[static_cast<size_t>(stride) * h]()) {}

    TestImage Clone() const {
        TestImage copy(width, height, bytesPerPixel);
        copy.stride = stride;
        copy.bits.reset(new uint8_t[Size()]);
        std::memcpy(copy.bits.get(), bits.get(), Size());
        return copy;
    }

    size_t Size() const { return static_cast<size_t>(stride) * height; }
    uint8_t* Pixel(int32_t x, int32_t y) { return bits.get() + y * stride + x * bytesPerPixel; }
    const uint8_t* Pixel(int32_t x, int32_t y) const { return bits.get() + y * stride + x * bytesPerPixel; }

    int32_t Get8(int32_t x, int32_t y, int32_t channel = 0) const { return Pixel(x, y)[channel]; }
    void Set8(int32_t x, int32_t y, int32_t value, int32_t channel = 0) {
        Pixel(x, y)[channel] = static_cast<uint8_t>(value);
    }
    int32_t Get16(int32_t x, int32_t y, int32_t channel = 0) const {
        uint16_t v;
        std::memcpy(&v, Pixel(x, y) + 2 * channel, 2);
        return v;
    }
    void Set16(int32_t x, int32_t y, int32_t value, int32_t channel = 0) {
        const auto v = static_cast<uint16_t>(value);
        std::memcpy(Pixel(x, y) + 2 * channel, &v, 2);
    }
    void Fill(uint8_t value) { std::memset(bits.get(), value, Size()); }
    void FillRandom(std::mt19937& rng) {
        for (size_t i = 0; i < Size(); ++i)
            bits[i] = static_cast<uint8_t>(rng());
    }
    // 16-bit samples below `limit`.
    void FillRandom16(std::mt19937& rng, uint32_t limit) {
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width * bytesPerPixel / 2; ++x) {
                const auto v = static_cast<uint16_t>(rng() % limit);
                std::memcpy(bits.get() + y * stride + 2 * x, &v, 2);
            }
        }
    }
    bool SameBytes(const TestImage& other) const {
        return Size() == other.Size() && std::memcmp(bits.get(), other.bits.get(), Size()) == 0;
    }
};

// The whole source, landing at (0, 0) of the destination.
inline KernelArea AreaOf(TestImage& dst, const TestImage& src) {
    return KernelArea{dst.bits.get(),    src.bits.get(),    0,          0,         src.width, src.height, 0, 0,
                      dst.bytesPerPixel, src.bytesPerPixel, dst.stride, src.stride};
}

// Calls a kernel, with its settings record if it takes one, over that area;
// returns what the kernel returns.
template <typename Kernel, typename... Params>
auto Run(Kernel kernel, TestImage& dst, const TestImage& src, const Params&... params) {
    return kernel(AreaOf(dst, src), params...);
}

// Runs fn() on the scalar references, then goes back to the start-up path.
template <typename Fn>
void WithScalarKernels(const Fn& fn) {
    SetFastKernelsForTesting(false);
    fn();
    SetFastKernelsForTesting(true);
}

// In place on one image.
template <typename Kernel, typename... Params>
auto RunInPlace(Kernel kernel, TestImage& image, const Params&... params) {
    return Run(kernel, image, image, params...);
}

// Tests run once per vector path (the parameter); a path the processor or
// the cap leaves out is skipped, visibly.
class PerPathTest : public ::testing::TestWithParam<KernelIsa> {
public:
    void SetUp() override {
        if (StartupKernelIsa() < GetParam())
            GTEST_SKIP() << KernelIsaName(GetParam()) << " is not on this path";
    }
};

inline std::string PathName(const ::testing::TestParamInfo<KernelIsa>& path) { return KernelIsaName(path.param); }

#define TAVRIN_FOR_EACH_VECTOR_PATH(Suite)                                                          \
    INSTANTIATE_TEST_SUITE_P(Paths, Suite, ::testing::Values(KernelIsa::kAvx2, KernelIsa::kAvx512), \
                             ::tavrin::test::PathName)

}  // namespace tavrin::test
