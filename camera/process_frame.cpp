// The per-frame processing of the raw frame: software mirroring, automatic
// exposure or gain, then the imaging chain into the output image.
#include <algorithm>
#include <cstring>

#include "camera/CTavrin.h"
#include "camera/auto_iris.h"
#include "device/tavrin_860vx_rux_sdk.h"
#include "imaging/kernels/measure.h"

namespace tavrin {
namespace {

// Reverses the sample order of one row of `width` samples of `bytes` each.
void ReverseRow(uint8_t* row, int32_t width, int32_t bytes) {
    for (int32_t left = 0, right = width - 1; left < right; ++left, --right) {
        std::swap_ranges(row + left * bytes, row + (left + 1) * bytes, row + right * bytes);
    }
}

// Mirrors the image in place: a horizontal mirror reverses every row, a
// vertical one the order of the rows; both together turn it by 180 degrees.
void Mirror(CDibImage& image, bool horizontal, bool vertical) {
    const int32_t height = image.Height();
    if (horizontal) {
        for (int32_t y = 0; y < height; ++y) {
            ReverseRow(image.Row(y), image.Width(), image.BytesPerPixel());
        }
    }
    if (vertical) {
        for (int32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
            std::swap_ranges(image.Row(top), image.Row(top) + image.Stride(), image.Row(bottom));
        }
    }
}

}  // namespace

void CTavrin::AutoIris(CDibImage& raw, int32_t mode) {
    std::array<int32_t, 5> means{};
    const auto regions = AutoIrisRegions(raw.Width(), raw.Height());
    const PixelKernel mean = RawBitsOf(mode) == 16 ? RegionMean16 : RegionMean8;
    for (size_t i = 0; i < regions.size(); ++i) {
        const ImageRect rect{regions[i].left, regions[i].top, regions[i].right, regions[i].bottom};
        means[i] = raw.Convert(mean, raw, &rect, rect.left, rect.top);
    }
    const int32_t factor = AutoIrisFactor(means);
    if (AutoIrisSettled(factor)) {
        return;
    }
    const int32_t irisMode = analog_.Get(AnalogRecord::kAutoIris);
    if (irisMode == 2) {
        const int32_t gain = AutoIrisGain(static_cast<int32_t>(device_->GetGain()), factor);
        device_->SetGain(static_cast<uint32_t>(gain));
        for (auto field : {AnalogRecord::kGlobalGain, AnalogRecord::kColorGainG1, AnalogRecord::kColorGainR,
                           AnalogRecord::kColorGainB, AnalogRecord::kColorGainG2}) {
            analog_.Set(field, gain);
        }
        dialogNotices_.gain = gain;
    } else {
        const int32_t lines = AutoIrisExposure(static_cast<int32_t>(device_->GetExposure()), factor);
        device_->SetExposure(static_cast<uint32_t>(lines));
        analog_.Set(AnalogRecord::kExposure, lines);
        dialogNotices_.exposure = lines;
    }
}

void CTavrin::ProcessFrame(CDibImage& raw) {
    const bool mirrorH = analog_.Get(AnalogRecord::kMirrorH) != 0;
    const bool mirrorV = analog_.Get(AnalogRecord::kMirrorV) != 0;
    Mirror(raw, mirrorH, mirrorV);
    const int32_t irisMode = analog_.Get(AnalogRecord::kAutoIris);
    if (irisMode == 1 || irisMode == 2) {
        AutoIris(raw, preparedMode_);
    }
    // With automatic white balance on or a gray pass requested, the chain
    // may write new gains that an open image dialog should show.
    dialogNotices_.imagePass = dialogNotices_.imagePass || filter_.Get(kBayerGainAuto) != 0 ||
                               filter_.Get(kGrayAutoBalance) != 0;
    chain_.Run(imageSet_, filter_, ChainFrame{preparedMode_, mirrorV, mirrorH});
}

}  // namespace tavrin
