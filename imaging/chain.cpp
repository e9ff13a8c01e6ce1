#include "imaging/chain.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "imaging/dib_image.h"
#include "imaging/kernels/balance.h"
#include "imaging/kernels/bright.h"
#include "imaging/kernels/contrast.h"
#include "imaging/kernels/demosaic.h"
#include "imaging/kernels/gamma.h"
#include "imaging/kernels/gray.h"
#include "imaging/kernels/huesat.h"
#include "imaging/kernels/params.h"
#include "imaging/kernels/sharpen.h"
#include "imaging/kernels/tone_lut.h"
#include "records/model_facts.h"

namespace tavrin {
namespace {

constexpr int32_t kUnityGrayGain = 128;
constexpr int32_t kMaxBayerGain = 400;
constexpr int32_t kNeutralGamma = 100;
// The 16-bit images carry the sensor's 10 significant bits.
constexpr int32_t kSensorBits = model::kSignificantBits;

// One kernel per family and mode group: mode 0, mode 1, modes 2-3, modes 4-5.
template <typename Params>
struct ToneFamily {
    FilterField setting;
    int32_t neutral;
    StepKernel<Params> mono8, mono16, rgb8, rgb16;
};

constexpr ToneFamily<ToneParams> kGammaStep{kGamma, kNeutralGamma, Gamma8Mono, Gamma16Mono, Gamma8Rgb, Gamma16Rgb};
constexpr ToneFamily<ToneParams> kContrastStep{kContrast,    0, Contrast8Mono, Contrast16Mono, Contrast8Rgb,
                                               Contrast16Rgb};
constexpr ToneFamily<SharpenInPlaceParams> kSharpenStep{
    kSharpness, 0, SharpenInPlace8Mono, SharpenInPlace16Mono, SharpenInPlace8Rgb, SharpenInPlace16Rgb};
constexpr ToneFamily<ToneParams> kBrightStep{kBrightness, 0, Bright8Mono, Bright16Mono, Bright8Rgb, Bright16Rgb};
// Consecutive gamma, contrast and brightness steps as one composed table.
constexpr ToneFamily<ToneCurveParams> kToneCurve{kGamma,          kNeutralGamma, ToneCurve8Mono,
                                                 ToneCurve16Mono, ToneCurve8Rgb, ToneCurve16Rgb};

template <typename Params>
StepKernel<Params> KernelFor(const ToneFamily<Params>& family, int32_t mode) {
    switch (mode) {
    case MODE_MONO8:
        return family.mono8;
    case MODE_MONO16:
        return family.mono16;
    case MODE_RGB24:
    case MODE_RGB32:
        return family.rgb8;
    default:
        return family.rgb16;
    }
}

int32_t EffectiveModeOf(const CDibImage& raw, const FilterRecord& filters, const ChainFrame& frame) {
    return EffectiveBayerMode(filters.Get(kBayerMode), frame.mirrorV, frame.mirrorH, raw.Width(), raw.Height());
}

// Takes one automatic gray gain request: the counter goes down by one, unless
// a setter changed it meanwhile. A negative counter (only a damaged registry
// value gives one) is cleared rather than counted further down.
void ConsumeGrayRequest(FilterRecord& filters, int32_t seen) {
    int32_t expected = seen;
    filters.fields[kGrayAutoBalance].compare_exchange_strong(expected, seen > 0 ? seen - 1 : 0,
                                                             std::memory_order_relaxed);
}

}  // namespace

// The tone steps as the chain runs them. First come the steps that depend
// on the sample alone: gamma, contrast, and brightness when no sharpening
// lies between; when two or three of them are on, one composed table does
// their work in one pass. Then sharpening, then brightness if it comes after.
struct TonePlan {
    ToneCurveParams lead;  // the leading steps' settings, neutral where a step is off or not leading
    int32_t leadSteps;
    int32_t sharpness;
    int32_t trailingBrightness;  // 0: none
};

namespace {

TonePlan TonePlanOf(const FilterRecord& filters) {
    const int32_t gamma = filters.Get(kGamma);
    const int32_t contrast = filters.Get(kContrast);
    const int32_t sharpness = filters.Get(kSharpness);
    const int32_t brightness = filters.Get(kBrightness);
    const int32_t leadBrightness = sharpness == 0 ? brightness : 0;
    const int32_t leadSteps =
        (gamma != kNeutralGamma ? 1 : 0) + (contrast != 0 ? 1 : 0) + (leadBrightness != 0 ? 1 : 0);
    return TonePlan{ToneCurveParams{gamma, contrast, leadBrightness, kSensorBits}, leadSteps, sharpness,
                    brightness - leadBrightness};
}

// Runs the leading steps through run(kernel, params): the composed table for
// two or more, the step's own kernel for one.
template <typename Run>
void RunLead(const TonePlan& tones, int32_t mode, const Run& run) {
    const ToneCurveParams& curve = tones.lead;
    if (tones.leadSteps >= 2) {
        run(KernelFor(kToneCurve, mode), curve);
        return;
    }
    for (const auto& [family, value] :
         {std::pair{&kGammaStep, curve.gamma}, {&kContrastStep, curve.contrast}, {&kBrightStep, curve.brightness}}) {
        if (value != family->neutral) {
            run(KernelFor(*family, mode), ToneParams{value, kSensorBits});
        }
    }
}

bool IsEightBitMode(int32_t mode) { return mode == MODE_MONO8 || mode == MODE_RGB24 || mode == MODE_RGB32; }

// What steps on 8-bit samples of `mode` make of each sample value, as a
// table: steps(run) hands each step to run(kernel, params), which runs it on
// a strip holding every sample value once, so entry i is exactly their
// result for sample i.
template <typename Steps>
void SampleTable8(int32_t mode, const Steps& steps, uint8_t (&table)[256]) {
    const int32_t bpp = mode == MODE_MONO8 ? 1 : 3;
    const int32_t pixels = (256 + bpp - 1) / bpp;
    uint8_t strip[258];  // 256 gray pixels, or 86 colour ones
    for (int32_t i = 0; i < 258; ++i)
        strip[i] = static_cast<uint8_t>(i);
    steps([&](auto kernel, const auto& params) {
        kernel(KernelArea{strip, strip, 0, 0, pixels, 1, 0, 0, bpp, bpp, pixels * bpp, pixels * bpp}, params);
    });
    std::memcpy(table, strip, sizeof table);
}

// Whether leading tone steps are on and can go, as one table, into the
// store of the colour step before them (8-bit colour images).
bool LeadFitsColourStore(int32_t mode, const TonePlan& tones) {
    return (mode == MODE_RGB24 || mode == MODE_RGB32) && tones.leadSteps > 0;
}

// Whether they go into the demosaic's store: hue and saturation are off,
// so no cross-channel step lies between.
bool LeadFollowsDemosaic(const FilterRecord& filters, int32_t mode, const TonePlan& tones) {
    return LeadFitsColourStore(mode, tones) && filters.Get(kHue) == 0 && filters.Get(kSaturation) == 0;
}

// The cache's table for `mode` and the settings, built by `steps` when it
// was made for others.
template <typename Steps>
const uint8_t* CachedSampleTable8(SampleTableCache& cache, int32_t mode, const ToneCurveParams& settings,
                                  const Steps& steps) {
    const bool holds = cache.valid && cache.mode == mode && cache.gamma == settings.gamma &&
                       cache.contrast == settings.contrast && cache.brightness == settings.brightness;
    if (!holds) {
        cache = SampleTableCache{true, mode, settings.gamma, settings.contrast, settings.brightness, {}};
        SampleTable8(mode, steps, cache.table);
    }
    return cache.table;
}

}  // namespace

const uint8_t* ProcessingChain::LeadTable8(int32_t mode, const TonePlan& tones) {
    return CachedSampleTable8(leadTable_, mode, tones.lead, [&](const auto& run) { RunLead(tones, mode, run); });
}

const uint8_t* ProcessingChain::BrightnessTable8(int32_t mode, int32_t brightness) {
    const ToneCurveParams settings{kNeutralGamma, 0, brightness, kSensorBits};
    return CachedSampleTable8(brightnessTable_, mode, settings, [&](const auto& run) {
        run(KernelFor(kBrightStep, mode), ToneParams{brightness, kSensorBits});
    });
}

void ProcessingChain::Refresh() const {
    if (refresh_) {
        refresh_();
    }
}

void ProcessingChain::Run(const ImageSet& images, FilterRecord& filters, const ChainFrame& frame) {
    const int32_t mode = frame.colorMode;
    CDibImage* raw = images.Raw(mode);
    CDibImage* output = images.Output(mode);
    if (raw == nullptr || output == nullptr) {
        return;
    }
    const TonePlan tones = TonePlanOf(filters);
    // The colour modes read the raw frame where the caller says it is.
    CDibImage& source = frame.rawSource != nullptr ? *frame.rawSource : *raw;
    bool leadDone = false;
    if (IsMonoMode(mode)) {
        const int32_t grayMode = filters.Get(kGrayMode);
        if (grayMode == 1) {
            GrayGainStep(*raw, filters, frame);
        } else if (grayMode == 2 && mode == MODE_MONO8 && images.image24 != nullptr) {
            ConvertColor(*images.image24, *raw, filters, frame);
            raw->Convert(RgbToGray8, *images.image24);
        }
    } else if (LeadFollowsDemosaic(filters, mode, tones)) {
        // No cross-channel step between: the leading tone steps, as one
        // table, go into the demosaic's store.
        leadDone = ConvertColor(*output, source, filters, frame, LeadTable8(mode, tones));
    } else {
        ConvertColor(*output, source, filters, frame);
        leadDone = HueSatStep(*output, filters, mode, tones);
    }
    ToneSteps(images, *output, tones, mode, leadDone);
}

void ProcessingChain::GrayGainStep(CDibImage& raw, FilterRecord& filters, const ChainFrame& frame) {
    GrayParams params{EffectiveModeOf(raw, filters, frame),
                      filters.Get(kGrayGainR),
                      filters.Get(kGrayGainG1),
                      filters.Get(kGrayGainG2),
                      filters.Get(kGrayGainB),
                      filters.Get(kGrayOffsetR),
                      filters.Get(kGrayOffsetG1),
                      filters.Get(kGrayOffsetG2),
                      filters.Get(kGrayOffsetB),
                      SignificantBitsOf(frame.colorMode)};
    const int32_t request = filters.Get(kGrayAutoBalance);
    if (request != 0) {
        params = raw.Measure(GrayAutoGain, params).value_or(params);
        filters.Set(kGrayGainR, params.gainR);
        filters.Set(kGrayGainG1, params.gainG1);
        filters.Set(kGrayGainG2, params.gainG2);
        filters.Set(kGrayGainB, params.gainB);
        filters.Set(kGrayOffsetR, params.offsetR);
        filters.Set(kGrayOffsetG1, params.offsetG1);
        filters.Set(kGrayOffsetG2, params.offsetG2);
        filters.Set(kGrayOffsetB, params.offsetB);
        Refresh();
        ConsumeGrayRequest(filters, request);
    }
    const bool anyGain = params.gainR != kUnityGrayGain || params.gainG1 != kUnityGrayGain ||
                         params.gainG2 != kUnityGrayGain || params.gainB != kUnityGrayGain;
    if (anyGain) {
        raw.Convert(raw.BitCount() == 16 ? GrayGain16 : GrayGain8, raw, params);
    }
}

bool ProcessingChain::ConvertColor(CDibImage& colour, CDibImage& raw, FilterRecord& filters, const ChainFrame& frame,
                                   const uint8_t* table256) {
    const int32_t effectiveMode = EffectiveModeOf(raw, filters, frame);
    if (filters.Get(kBayerGainAuto) != 0) {
        WhiteBalanceStep(raw, filters, effectiveMode);
    }
    BayerParams params{effectiveMode, filters.Get(kBayerGainRed), filters.Get(kBayerGainGreen),
                       filters.Get(kBayerGainBlue)};
    const bool sixteen = raw.BitCount() == 16;
    if (table256 != nullptr && !sixteen) {
        colour.Convert(Demosaic8Table, raw, BayerTableParams{params, table256});
        return true;
    }
    colour.Convert(sixteen ? Demosaic16Inner : Demosaic8Inner, raw, params);
    colour.Convert(sixteen ? Demosaic16Border : Demosaic8Border, raw, params);
    return false;
}

void ProcessingChain::WhiteBalanceStep(CDibImage& raw, FilterRecord& filters, int32_t effectiveMode) {
    const std::optional<BalanceGains> gains =
        raw.Measure(raw.BitCount() == 16 ? WhiteBalance16 : WhiteBalance8, BalanceParams{effectiveMode});
    if (!gains.has_value()) {
        return;  // nothing measured (no image)
    }
    filters.Set(kBayerGainRed, std::clamp(gains->red, 0, kMaxBayerGain));
    filters.Set(kBayerGainGreen, std::clamp(gains->green, 0, kMaxBayerGain));
    filters.Set(kBayerGainBlue, std::clamp(gains->blue, 0, kMaxBayerGain));
    Refresh();
    // A one-push request of the image dialog (both marks set) measures once.
    if (filters.Get(kWhiteBalanceMark1) != 0 && filters.Get(kWhiteBalanceMark2) != 0) {
        filters.Set(kBayerGainAuto, 0);
        filters.Set(kWhiteBalanceMark1, 0);
        filters.Set(kWhiteBalanceMark2, 0);
    }
}

// On 8-bit colour images the leading tone steps, as one table, go into the
// transform's store: the image is read and written once for all of them.
bool ProcessingChain::HueSatStep(CDibImage& output, const FilterRecord& filters, int32_t mode, const TonePlan& tones) {
    const int32_t hue = filters.Get(kHue);
    const int32_t saturation = filters.Get(kSaturation);
    if (hue == 0 && saturation == 0) {
        return false;
    }
    HueSatParams params{hue, 0, saturation, kSensorBits};
    if (LeadFitsColourStore(mode, tones)) {
        output.Convert(HueSatTable8, output, HueSatTableParams{params, LeadTable8(mode, tones)});
        return true;
    }
    const bool sixteen = mode == MODE_RGB48 || mode == MODE_RGB64;
    output.Convert(sixteen ? HueSat16 : HueSat8, output, params);
    return false;
}

void ProcessingChain::ToneSteps(const ImageSet& images, CDibImage& output, const TonePlan& tones, int32_t mode,
                                bool leadDone) {
    if (!leadDone) {
        RunLead(tones, mode, [&](auto kernel, const auto& params) { output.Convert(kernel, output, params); });
    }
    // On 8-bit images brightness, as a table, goes into the sharpening's store.
    if (tones.sharpness != 0) {
        const bool withBrightness = tones.trailingBrightness != 0 && IsEightBitMode(mode);
        const uint8_t* table = withBrightness ? BrightnessTable8(mode, tones.trailingBrightness) : nullptr;
        if (SharpenStep(images, output, tones.sharpness, mode, table) && withBrightness) {
            return;
        }
    }
    if (tones.trailingBrightness != 0) {
        output.Convert(KernelFor(kBrightStep, mode), output, ToneParams{tones.trailingBrightness, kSensorBits});
    }
}

bool ProcessingChain::SharpenStep(const ImageSet& images, CDibImage& output, int32_t sharpness, int32_t mode,
                                  const uint8_t* table256) {
    // Sharpening runs in place. The work image, made like the output once per
    // geometry, lends its first rows as the ring that keeps the three rows
    // the mask still reads after it has written them (an image too small to
    // sharpen leaves the ring alone).
    CDibImage* work = images.work;
    if (work == nullptr || output.IsEmpty()) {
        return false;
    }
    const bool sameGeometry =
        work->Width() == output.Width() && work->Height() == output.Height() && work->BitCount() == output.BitCount();
    if (!sameGeometry && work->CreateLike(output) == 0) {
        return false;
    }
    output.Convert(KernelFor(kSharpenStep, mode), output,
                   SharpenInPlaceParams{sharpness, kSensorBits, table256, work->Bits()});
    return true;
}

}  // namespace tavrin
