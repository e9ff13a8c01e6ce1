#include "imaging/color_mode.h"

#include "imaging/dib_image.h"

namespace tavrin {
namespace {

struct ModeInfo {
    int32_t setValue;
    int32_t reportedValue;
    int32_t outputBits;
    int32_t rawBits;
};

constexpr ModeInfo kModes[kColorModeCount] = {
    {8, 8, 8, 8}, {16, 10, 16, 16}, {24, 24, 24, 8}, {32, 32, 32, 8}, {48, 42, 48, 16}, {64, 58, 64, 16},
};

}  // namespace

bool IsValidColorMode(int32_t mode) { return mode >= 0 && mode < kColorModeCount; }

bool ColorModeFromSetValue(int32_t bits, int32_t& mode) {
    for (int32_t i = 0; i < kColorModeCount; ++i) {
        if (kModes[i].setValue == bits) {
            mode = i;
            return true;
        }
    }
    return false;
}

int32_t ColorModeReportedValue(int32_t mode) { return IsValidColorMode(mode) ? kModes[mode].reportedValue : 0; }
int32_t OutputBitsOf(int32_t mode) { return IsValidColorMode(mode) ? kModes[mode].outputBits : 0; }
int32_t RawBitsOf(int32_t mode) { return IsValidColorMode(mode) ? kModes[mode].rawBits : 0; }
int32_t SignificantBitsOf(int32_t mode) { return mode == MODE_MONO8 ? 8 : 10; }

int32_t SubsamplingDivisor(int32_t subsampling) {
    switch (subsampling) {
    case 1:
    case 17:
        return 2;
    case 2:
    case 18:
        return 4;
    case 3:
    case 19:
        return 8;
    default:
        return 1;
    }
}

CDibImage* ImageSet::Get(BufferRole role) const {
    switch (role) {
    case BufferRole::kImage8:
        return image8;
    case BufferRole::kImage16:
        return image16;
    case BufferRole::kImage24:
        return image24;
    case BufferRole::kImage32:
        return image32;
    case BufferRole::kImage48:
        return image48;
    case BufferRole::kImage64:
        return image64;
    case BufferRole::kWork:
        return work;
    case BufferRole::kDisplay:
        return display;
    }
    return nullptr;
}

CDibImage* ImageSet::Raw(int32_t mode) const {
    if (!IsValidColorMode(mode)) {
        return nullptr;
    }
    return RawBitsOf(mode) == 16 ? image16 : image8;
}

CDibImage* ImageSet::*ImageSet::OutputMember(int32_t mode) {
    switch (mode) {
    case MODE_MONO8:
        return &ImageSet::image8;
    case MODE_MONO16:
        return &ImageSet::image16;
    case MODE_RGB24:
        return &ImageSet::image24;
    case MODE_RGB32:
        return &ImageSet::image32;
    case MODE_RGB48:
        return &ImageSet::image48;
    case MODE_RGB64:
        return &ImageSet::image64;
    default:
        return nullptr;
    }
}

CDibImage* ImageSet::Output(int32_t mode) const {
    CDibImage* ImageSet::*member = OutputMember(mode);
    return member != nullptr ? this->*member : nullptr;
}

ImageSet ImageSet::WithOutput(int32_t mode, CDibImage* output) const {
    ImageSet images = *this;
    if (CDibImage* ImageSet::*member = OutputMember(mode)) {
        images.*member = output;
    }
    return images;
}

bool IsAllocatedForMode(BufferRole role, int32_t mode) {
    if (!IsValidColorMode(mode)) {
        return false;
    }
    switch (role) {
    case BufferRole::kImage8:
        return mode <= MODE_RGB32;
    case BufferRole::kImage16:
        return mode == MODE_MONO16 || mode == MODE_RGB48 || mode == MODE_RGB64;
    case BufferRole::kImage24:
        return mode != MODE_MONO16;
    case BufferRole::kImage32:
        return mode == MODE_RGB32;
    case BufferRole::kImage48:
        return mode == MODE_RGB48;
    case BufferRole::kImage64:
        return mode == MODE_RGB64;
    case BufferRole::kWork:
    case BufferRole::kDisplay:
        return true;
    }
    return false;
}

int32_t BitsOfRole(BufferRole role, int32_t mode) {
    switch (role) {
    case BufferRole::kImage8:
        return 8;
    case BufferRole::kImage16:
        return 16;
    case BufferRole::kImage24:
        return 24;
    case BufferRole::kImage32:
        return 32;
    case BufferRole::kImage48:
        return 48;
    case BufferRole::kImage64:
        return 64;
    case BufferRole::kWork:
        return OutputBitsOf(mode);
    case BufferRole::kDisplay:
        return IsMonoMode(mode) ? 8 : 24;
    }
    return 0;
}

bool AllocateFrameImages(const ImageSet& images, int32_t mode, int32_t width, int32_t height) {
    if (!IsValidColorMode(mode)) {
        return false;
    }
    constexpr BufferRole kFrameRoles[] = {BufferRole::kImage8,  BufferRole::kImage16, BufferRole::kImage24,
                                          BufferRole::kImage32, BufferRole::kImage48, BufferRole::kImage64};
    for (BufferRole role : kFrameRoles) {
        CDibImage* image = images.Get(role);
        if (!IsAllocatedForMode(role, mode)) {
            continue;
        }
        if (image == nullptr || image->Create(width, height, BitsOfRole(role, mode)) == 0) {
            return false;
        }
    }
    CDibImage* output = images.Output(mode);
    return images.work != nullptr && images.work->CreateLike(*output) != 0;
}

int32_t EffectiveBayerMode(int32_t storedMode, bool mirrorV, bool mirrorH, int32_t width, int32_t height) {
    int32_t mode = storedMode & 3;
    if (mirrorV && height % 2 == 0) {
        mode ^= 1;
    }
    if (mirrorH && width % 2 == 0) {
        mode ^= 2;
    }
    return mode;
}

}  // namespace tavrin
