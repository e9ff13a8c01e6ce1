// Helpers shared by the file output tests: test images with known pixels, a
// scratch directory, file reading, little-endian fields and a byte hash.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/dib_image.h"

namespace tavrin::test {

// Set by the build: the test programs run under an emulator (Wine), where the
// Linux readers and Linux devices such as /dev/full are out of reach.
inline constexpr bool kUnderEmulator = TAVRIN_OUTPUT_TESTS_UNDER_EMULATOR != 0;

// A sample value that changes with position and channel and reaches both
// ends of the range (0 and maxValue) in images of modest size.
inline uint32_t PatternSample(int32_t x, int32_t y, int32_t channel, uint32_t seed, uint32_t maxValue) {
    const uint32_t v =
        static_cast<uint32_t>(x) * 37u + static_cast<uint32_t>(y) * 101u + static_cast<uint32_t>(channel) * 311u + seed;
    return v % (maxValue + 1);
}

// An image as the camera's pipeline leaves it: 8-bit samples for 8, 24 and 32
// bits (the fourth byte 0), 10-bit samples in 16-bit words for 16, 48 and 64
// bits (the fourth word 0).
inline void FillCameraPattern(CDibImage& image, uint32_t seed = 0) {
    const int32_t bits = image.BitCount();
    const bool wide = bits == 16 || bits == 48 || bits == 64;
    const int32_t channels = bits == 8 || bits == 16 ? 1 : 3;
    const int32_t bytesPerPixel = image.BytesPerPixel();
    for (int32_t y = 0; y < image.Height(); ++y) {
        uint8_t* row = image.Row(y);
        for (int32_t x = 0; x < image.Width(); ++x) {
            uint8_t* pixel = row + x * bytesPerPixel;
            for (int32_t c = 0; c < channels; ++c) {
                if (wide) {
                    const uint32_t v = PatternSample(x, y, c, seed, 1023);
                    pixel[2 * c] = static_cast<uint8_t>(v);
                    pixel[2 * c + 1] = static_cast<uint8_t>(v >> 8);
                } else {
                    pixel[c] = static_cast<uint8_t>(PatternSample(x, y, c, seed, 255));
                }
            }
        }
    }
}

inline CDibImage MakeCameraImage(int32_t width, int32_t height, int32_t bits, uint32_t seed = 0) {
    CDibImage image;
    EXPECT_EQ(image.Create(width, height, bits), 1);
    FillCameraPattern(image, seed);
    return image;
}

inline uint16_t Word(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }

inline uint32_t U32At(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<uint32_t>(bytes.at(offset)) | static_cast<uint32_t>(bytes.at(offset + 1)) << 8 |
           static_cast<uint32_t>(bytes.at(offset + 2)) << 16 | static_cast<uint32_t>(bytes.at(offset + 3)) << 24;
}

inline uint16_t U16At(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<uint16_t>(bytes.at(offset) | bytes.at(offset + 1) << 8);
}

inline std::string FourCCAt(const std::vector<uint8_t>& bytes, size_t offset) {
    return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                       bytes.begin() + static_cast<std::ptrdiff_t>(offset + 4));
}

inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// FNV-1a, 64 bits: enough to notice any change in a golden file.
inline uint64_t Fnv1a64(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (uint8_t b : bytes) {
        hash = (hash ^ b) * 0x100000001b3ull;
    }
    return hash;
}

// A directory of its own for each test program, emptied when it is made.
class ScratchDirectory {
public:
    explicit ScratchDirectory(const std::string& name)
        : path_(std::filesystem::current_path() / "output_test_files" / name) {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
        std::filesystem::create_directories(path_);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// A device whose writes always fail with "no space left": Linux only.
inline bool HaveFullDevice() { return !kUnderEmulator && std::filesystem::exists("/dev/full"); }
inline constexpr const char* kFullDevice = "/dev/full";

}  // namespace tavrin::test
