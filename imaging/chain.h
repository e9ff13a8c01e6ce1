// The per-frame processing chain: what the camera object runs on the raw
// frame, after mirroring and automatic exposure, to leave the output image of
// its colour mode. Every step is one call of the rectangle conversion driver
// over the whole image with one kernel:
//
//   1. monochrome modes, by GrayMode: 1 = per-cell gray gains and offsets
//      (with the one-shot automatic gray gain), 2 = gray from colour (mode 0);
//   2. colour modes: ConvertColor (white balance, then both demosaic passes);
//   3. hue and saturation (colour modes), 4. gamma, 5. contrast,
//   6. sharpness (in place, its ring in the work image), 7. brightness.
//
// The settings are the camera object's filter record, which other threads
// write at any time: each step reads the fields it needs once. The white
// balance and the automatic gray gain write their results back into it and
// call the refresh callback, which tells an open image dialog to show them
// (it must return at once).
//
// The caller holds the camera object's frame lock. The kernels keep no state
// shared between threads, so chains of several cameras run side by side.
#pragma once

#include <cstdint>
#include <functional>

#include "imaging/color_mode.h"
#include "records/filter_record.h"

namespace tavrin {

class CDibImage;
struct TonePlan;

struct ChainFrame {
    int32_t colorMode = MODE_MONO8;
    // The software mirrors applied to this frame's raw image.
    bool mirrorV = false;
    bool mirrorH = false;
    // Colour modes: where the raw frame is read from when it was not copied
    // into the raw image (a view of the device's frame slot); null for the
    // raw image. The monochrome modes always work on the raw image.
    CDibImage* rawSource = nullptr;
};

// A table of what the tone steps make of each 8-bit sample value, kept
// while the mode and the settings it was made for hold.
struct SampleTableCache {
    bool valid = false;
    int32_t mode = 0;
    int32_t gamma = 0, contrast = 0, brightness = 0;
    uint8_t table[256] = {};
};

class ProcessingChain {
public:
    using RefreshCallback = std::function<void()>;

    ProcessingChain() = default;
    explicit ProcessingChain(RefreshCallback refresh) : refresh_(std::move(refresh)) {}

    void SetRefreshCallback(RefreshCallback refresh) { refresh_ = std::move(refresh); }

    // Runs steps 1 to 7 on the images of `frame.colorMode`.
    void Run(const ImageSet& images, FilterRecord& filters, const ChainFrame& frame);

    // White balance (when BayerGainAuto is on) and demosaic of `raw` (8 or 16
    // bits) into `colour` (24/32 or 48/64 bits). With `table256`, an 8-bit
    // demosaic puts each colour sample through it as it stores; returns
    // whether it did.
    bool ConvertColor(CDibImage& colour, CDibImage& raw, FilterRecord& filters, const ChainFrame& frame,
                      const uint8_t* table256 = nullptr);

private:
    void GrayGainStep(CDibImage& raw, FilterRecord& filters, const ChainFrame& frame);
    void WhiteBalanceStep(CDibImage& raw, FilterRecord& filters, int32_t effectiveMode);
    // Returns true when the leading tone steps ran with it.
    bool HueSatStep(CDibImage& output, const FilterRecord& filters, int32_t mode, const TonePlan& tones);
    void ToneSteps(const ImageSet& images, CDibImage& output, const TonePlan& tones, int32_t mode, bool leadDone);
    // Returns false when it could not run (no work image); `table256`, when
    // given, follows it on 8-bit images in the same pass.
    bool SharpenStep(const ImageSet& images, CDibImage& output, int32_t sharpness, int32_t mode,
                     const uint8_t* table256);
    void Refresh() const;
    const uint8_t* LeadTable8(int32_t mode, const TonePlan& tones);
    const uint8_t* BrightnessTable8(int32_t mode, int32_t brightness);

    RefreshCallback refresh_;
    // Building a table runs the steps over a strip of every sample value (a
    // power function per entry for gamma), about as long as putting a small
    // frame through it: it is built again only when its settings change.
    SampleTableCache leadTable_;
    SampleTableCache brightnessTable_;
};

}  // namespace tavrin
