// The filter identifiers 1 to 28 that Tavrin_GetFilterValue and
// Tavrin_SetFilterValue (and every named filter export) address. The
// settings front-end maps each to where its value lives; the settings
// catalogue names the ones a user sets.
#pragma once

namespace tavrin {

enum FilterId : int {
    kFilterBrightness = 1,
    kFilterContrast = 2,
    kFilterHue = 3,
    kFilterSaturation = 4,
    kFilterSharpness = 5,
    kFilterBayerGainRgb = 6,
    kFilterBayerGainRed = 7,
    kFilterBayerGainGreen = 8,
    kFilterBayerGainBlue = 9,
    kFilterBayerGainAuto = 10,
    kFilterGamma = 11,
    kFilterBayerMode = 12,
    kFilterGlobalGain = 13,
    kFilterColorGainRed = 14,
    kFilterColorGainGreen1 = 15,
    kFilterColorGainGreen2 = 16,
    kFilterColorGainBlue = 17,
    kFilterExposure = 18,
    kFilterGrayMode = 19,
    kFilterGrayGainR = 20,
    kFilterGrayGainG1 = 21,
    kFilterGrayGainG2 = 22,
    kFilterGrayGainB = 23,
    kFilterGrayOffsetR = 24,
    kFilterGrayOffsetG1 = 25,
    kFilterGrayOffsetG2 = 26,
    kFilterGrayOffsetB = 27,
    kFilterGrayAutoBalance = 28,  // has no named export
    kFirstFilterId = kFilterBrightness,
    kLastFilterId = kFilterGrayAutoBalance,
};

}  // namespace tavrin
