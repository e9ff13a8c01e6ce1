// Colour modes, the camera object's image buffers and the Bayer phase.
//
// A camera object holds one colour mode, an index 0..5. The raw frame is 8-bit
// in modes 0, 2, 3 and 16-bit (10 significant bits) in modes 1, 4, 5; the
// output image has the mode's bits per pixel (16 for mode 1).
#pragma once

#include <cstdint>

namespace tavrin {

class CDibImage;

enum ColorMode : int32_t {
    MODE_MONO8 = 0,
    MODE_MONO16 = 1,
    MODE_RGB24 = 2,
    MODE_RGB32 = 3,
    MODE_RGB48 = 4,
    MODE_RGB64 = 5,
};
inline constexpr int32_t kColorModeCount = 6;

bool IsValidColorMode(int32_t mode);
inline bool IsMonoMode(int32_t mode) { return mode == MODE_MONO8 || mode == MODE_MONO16; }
inline bool IsColorMode(int32_t mode) { return mode >= MODE_RGB24 && mode <= MODE_RGB64; }

// Tavrin_SetColorMode's value (8, 16, 24, 32, 48, 64) to the mode index;
// false for any other value.
bool ColorModeFromSetValue(int32_t bits, int32_t& mode);
// What Tavrin_GetColorMode answers: 8, 10, 24, 32, 42, 58 (0 for an invalid mode).
int32_t ColorModeReportedValue(int32_t mode);
// Bits per pixel of the output image (8, 16, 24, 32, 48, 64) and of the raw
// frame (8 or 16); 0 for an invalid mode.
int32_t OutputBitsOf(int32_t mode);
int32_t RawBitsOf(int32_t mode);
// Significant bits of the monochrome samples: 8 in mode 0, 10 otherwise.
int32_t SignificantBitsOf(int32_t mode);

// Frame size divisor of a subsampling setting: 2, 4 or 8 for 1 or 17, 2 or
// 18, 3 or 19; 1 otherwise.
int32_t SubsamplingDivisor(int32_t subsampling);

// The eight images a camera object owns.
enum class BufferRole : int32_t { kImage8, kImage16, kImage24, kImage32, kImage48, kImage64, kWork, kDisplay };

struct ImageSet {
    CDibImage* image8 = nullptr;  // gray palette
    CDibImage* image16 = nullptr;
    CDibImage* image24 = nullptr;
    CDibImage* image32 = nullptr;
    CDibImage* image48 = nullptr;
    CDibImage* image64 = nullptr;
    CDibImage* work = nullptr;     // sharpening keeps the rows it still reads in its first rows
    CDibImage* display = nullptr;  // preview at window size

    CDibImage* Get(BufferRole role) const;
    // The raw image of a mode: the 16-bit image in modes 1, 4, 5, else the 8-bit image.
    CDibImage* Raw(int32_t mode) const;
    // The output image: the one with the mode's bits (the 16-bit image in mode 1).
    CDibImage* Output(int32_t mode) const;
    // The same images with `output` as the mode's output image.
    ImageSet WithOutput(int32_t mode, CDibImage* output) const;

private:
    // Where a mode's output image is named; null outside modes 0..5.
    static CDibImage* ImageSet::*OutputMember(int32_t mode);
};

// Whether the frame-sized buffer of a role is allocated in a mode (the work
// copy and the display image exist in every mode).
bool IsAllocatedForMode(BufferRole role, int32_t mode);
// Bits per pixel of a role's image in a mode: the work copy follows the
// output; the display is 8-bit in modes 0 and 1, 24-bit otherwise.
int32_t BitsOfRole(BufferRole role, int32_t mode);

// (Re)creates the frame-sized images of a mode (8-bit with the gray colour
// table) and the work copy as an image of the output's geometry. The display
// image is the preview's business. Returns false if any allocation fails.
bool AllocateFrameImages(const ImageSet& images, int32_t mode, int32_t width, int32_t height);

// The Bayer phase the kernels see. The stored mode (its low two bits: bit 0
// row phase, bit 1 column phase of memory row 0, column 0) is corrected for
// the software mirrors: mirroring moves the last row (column) to the first,
// whose phase differs from the first one's exactly when the height (width) is
// even. For the even frames of the sensor this is: vertical mirror toggles
// the row phase, horizontal mirror the column phase.
int32_t EffectiveBayerMode(int32_t storedMode, bool mirrorV, bool mirrorH, int32_t width, int32_t height);

}  // namespace tavrin
