#include "output/sample_scaling.h"

#include "imaging/kernels/convert_kernels.h"

namespace tavrin {

SampleScaling ScalingForSignificantBits(int32_t significantBits) {
    SampleScaling scaling;
    scaling.gray16To8Flipped = Gray16To8Flip;
    if (significantBits == 10) {
        scaling.gray16 = Gray16Shift6;
        scaling.rgb48 = Rgb48Shift6;
        scaling.rgb64 = Rgb64Shift6;
        scaling.rgb48Swapped = Rgb48SwapShift6;
        scaling.rgb64Swapped = Rgb64SwapShift6;
    } else if (significantBits == 12) {
        scaling.gray16 = Gray16Shift4;
        scaling.rgb48 = Rgb48Shift4;
        scaling.rgb64 = Rgb64Shift4;
        scaling.rgb48Swapped = Rgb48SwapShift4;
        scaling.rgb64Swapped = Rgb64SwapShift4;
        scaling.gray16To8Flipped = Gray12To8Flip;
    }
    return scaling;
}

}  // namespace tavrin
