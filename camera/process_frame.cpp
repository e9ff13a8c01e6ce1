// The per-frame processing of the raw frame: software mirroring, automatic
// exposure or gain, then the imaging chain into the output image.
#include "camera/acquisition_engine.h"
#include "camera/auto_iris.h"
#include "imaging/kernels/measure.h"
#include "imaging/kernels/mirror.h"

namespace tavrin {

// Measures the five regions; analog control turns their vote into a new
// gain or exposure.
AnalogChange AcquisitionEngine::AutoIris(CDibImage& raw, int32_t irisMode) {
    std::array<int32_t, 5> means{};
    const auto regions = AutoIrisRegions(raw.Width(), raw.Height());
    const MeasureKernel<int32_t> mean = RawBitsOf(preparedMode_) == 16 ? RegionMean16 : RegionMean8;
    for (size_t i = 0; i < regions.size(); ++i) {
        const ImageRect rect{regions[i].left, regions[i].top, regions[i].right, regions[i].bottom};
        means[i] = raw.Measure(mean, &rect).value_or(0);
    }
    return analog_.PlanAutoIris(irisMode, AutoIrisFactor(means));
}

AcquisitionEngine::FrameMirrors AcquisitionEngine::CurrentMirrors() const {
    const AnalogRecord& analog = context_.analog;
    return FrameMirrors{analog.Get(AnalogRecord::kMirrorH) != 0, analog.Get(AnalogRecord::kMirrorV) != 0};
}

AnalogChange AcquisitionEngine::ProcessFrame(CDibImage& raw, FrameMirrors mirrors, const ImageSet& images) {
    MirrorInPlace(raw.Bits(), raw.Width(), raw.Height(), raw.Stride(), raw.BytesPerPixel(), mirrors.horizontal,
                  mirrors.vertical);
    AnalogChange change;
    const int32_t irisMode = context_.analog.Get(AnalogRecord::kAutoIris);
    if (irisMode == 1 || irisMode == 2) {
        change = AutoIris(raw, irisMode);
    }
    // A frame that is not the raw image is read where the device left it.
    CDibImage* rawSource = &raw == imageSet_.Raw(preparedMode_) ? nullptr : &raw;
    chain_.Run(images, context_.filter, ChainFrame{preparedMode_, mirrors.vertical, mirrors.horizontal, rawSource});
    return change;
}

}  // namespace tavrin
