// The per-frame processing of the raw frame: software mirroring, automatic
// exposure or gain, then the imaging chain into the output image.
#include <algorithm>

#include "camera/acquisition_engine.h"
#include "camera/auto_iris.h"
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

// Measures the five regions; analog control turns their vote into a new
// gain or exposure.
AnalogChange AcquisitionEngine::AutoIris(CDibImage& raw, int32_t irisMode) {
    std::array<int32_t, 5> means{};
    const auto regions = AutoIrisRegions(raw.Width(), raw.Height());
    const PixelKernel mean = RawBitsOf(preparedMode_) == 16 ? RegionMean16 : RegionMean8;
    for (size_t i = 0; i < regions.size(); ++i) {
        const ImageRect rect{regions[i].left, regions[i].top, regions[i].right, regions[i].bottom};
        means[i] = raw.Convert(mean, raw, &rect, rect.left, rect.top);
    }
    return analog_.PlanAutoIris(irisMode, AutoIrisFactor(means));
}

AnalogChange AcquisitionEngine::ProcessFrame(CDibImage& raw) {
    const AnalogRecord& analog = context_.analog;
    const bool mirrorH = analog.Get(AnalogRecord::kMirrorH) != 0;
    const bool mirrorV = analog.Get(AnalogRecord::kMirrorV) != 0;
    Mirror(raw, mirrorH, mirrorV);
    AnalogChange change;
    const int32_t irisMode = analog.Get(AnalogRecord::kAutoIris);
    if (irisMode == 1 || irisMode == 2) {
        change = AutoIris(raw, irisMode);
    }
    chain_.Run(imageSet_, context_.filter, ChainFrame{preparedMode_, mirrorV, mirrorH});
    return change;
}

}  // namespace tavrin
