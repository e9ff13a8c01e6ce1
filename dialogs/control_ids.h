// Control ids and template numbers shared by the controllers and the views.
#pragma once

namespace tavrin::dialogs::ids {

inline constexpr int kStatic = -1;  // labels and group boxes nobody addresses
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kDefault = 3;
inline constexpr int kTab = 1001;
inline constexpr int kApply = 1002;

// Camera property dialog.
inline constexpr int kColorList = 1009;
inline constexpr int kSizeList = 1010;
inline constexpr int kSubSampleList = 1012;
inline constexpr int kClockList = 1014;
inline constexpr int kTotalWidth = 1039;  // 1039..1044: TH, TV, EH, EV, EHS, EVS
inline constexpr int kWaitTime = 1045;

// Analog gain page.
inline constexpr int kGainEdit = 1015;
inline constexpr int kExposureSlider = 1026;
inline constexpr int kExposureEdit = 1027;
inline constexpr int kMirrorV = 1028;
inline constexpr int kMirrorH = 1029;
inline constexpr int kAutoByGain = 1036;
inline constexpr int kAutoByExposure = 1037;
inline constexpr int kExposureLabel = 1049;

// Filter and gray pages.
inline constexpr int kBayerRadio0 = 1030;  // 1030..1033: Bayer mode 0..3
inline constexpr int kAllFrames = 1035;
inline constexpr int kGrayModeRadio0 = 1046;  // 1046..1048: gray mode 0..2
inline constexpr int kOnce = 2074;

}  // namespace tavrin::dialogs::ids

namespace tavrin::dialogs::templates {

// Japanese and English template numbers of each dialog and page.
struct Pair {
    int japanese;
    int english;
    int For(bool isJapanese) const { return isJapanese ? japanese : english; }
};
inline constexpr Pair kCamera{101, 106};
inline constexpr Pair kImageFrame{102, 108};
inline constexpr Pair kFilterPage{103, 107};
inline constexpr Pair kAnalogFrame{104, 111};
inline constexpr Pair kAnalogPage{105, 110};
inline constexpr Pair kGrayPage{113, 112};

}  // namespace tavrin::dialogs::templates
