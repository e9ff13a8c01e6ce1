#include "dialogs/dialog_templates.h"

#include <array>

#include "dialogs/control_ids.h"

namespace tavrin::dialogs {
namespace {

using K = ControlKind;
constexpr int S = ids::kStatic;

// A control whose text is the same in both languages.
constexpr ControlLayout Same(int id, K kind, const char* text, int16_t x, int16_t y, int16_t w, int16_t h,
                             uint8_t style = kPlain) {
    return {id, kind, text, text, x, y, w, h, style};
}

// Camera property dialog: one "Stream Format" tab over the format, size and
// frame rate groups; only the colour list and the wait time take input.
constexpr ControlLayout kCameraControls[] = {
    Same(ids::kTab, K::Tab, "", 7, 7, 299, 175),
    {S, K::GroupBox, "Video Format", "ビデオ形式", 14, 24, 140, 104, kPlain},
    {S, K::Label, "Color / Compression(&C):", "色空間 / 圧縮(&C):", 20, 36, 128, 8, kPlain},
    Same(ids::kColorList, K::DropList, "", 20, 46, 128, 12),
    {S, K::Label, "Size(&S):", "出力サイズ(&S):", 20, 62, 128, 8, kPlain},
    Same(ids::kSizeList, K::DropList, "", 20, 72, 128, 12, kDisabled),
    {S, K::Label, "Sub Sample(&B):", "間引き転送モード(&B):", 20, 88, 128, 8, kPlain},
    Same(ids::kSubSampleList, K::DropList, "", 20, 98, 128, 12, kDisabled),
    {S, K::GroupBox, "Camera Size", "カスタムサイズ", 160, 24, 139, 104, kPlain},
    {S, K::Label, "H Total", "総水平画素", 166, 38, 70, 8, kPlain},
    Same(1039, K::Edit, "", 240, 36, 50, 12, kReadOnly | kDisabled),
    {S, K::Label, "V Total", "総垂直画素", 166, 52, 70, 8, kPlain},
    Same(1040, K::Edit, "", 240, 50, 50, 12, kReadOnly | kDisabled),
    {S, K::Label, "H Effective", "有効水平画素", 166, 66, 70, 8, kPlain},
    Same(1041, K::Edit, "", 240, 64, 50, 12, kDisabled),
    {S, K::Label, "V Effective", "有効垂直画素", 166, 80, 70, 8, kPlain},
    Same(1042, K::Edit, "", 240, 78, 50, 12, kDisabled),
    {S, K::Label, "H Start", "有効水平起点", 166, 94, 70, 8, kPlain},
    Same(1043, K::Edit, "", 240, 92, 50, 12, kDisabled),
    {S, K::Label, "V Start", "有効垂直起点", 166, 108, 70, 8, kPlain},
    Same(1044, K::Edit, "", 240, 106, 50, 12, kDisabled),
    {S, K::GroupBox, "Frame Rate", "フレームレート", 14, 134, 285, 40, kPlain},
    {S, K::Label, "Wait Time(&T):", "フレーム間待ち時間(&T):", 20, 150, 90, 8, kPlain},
    Same(ids::kWaitTime, K::Edit, "", 112, 148, 40, 12, kDigitsOnly),
    {S, K::Label, "Clock(&C):", "動作クロック(&C):", 160, 150, 60, 8, kPlain},
    Same(ids::kClockList, K::DropList, "", 222, 148, 70, 12, kDisabled),
    {S, K::Label, "* In the WORD forwarding mode, please set the clock to the half.",
     "※WORD転送モードの際は動作クロックをハーフに設定してください", 7, 188, 299, 10, kPlain},
    Same(ids::kOk, K::DefaultButton, "OK", 146, 208, 50, 14),
    {ids::kCancel, K::PushButton, "Cancel", "キャンセル", 201, 208, 50, 14, kPlain},
    {ids::kApply, K::PushButton, "Apply(&A)", "適用(&A)", 256, 208, 50, 14, kDisabled},
};

// Frames of the analog gain and image filter dialogs: the tab over the page
// and the three buttons below it, at the frame's bottom.
template <int16_t Height>
constexpr std::array<ControlLayout, 4> FrameControls() {
    return {{
        Same(ids::kTab, K::Tab, "", 7, 7, 280, Height - 32),
        {ids::kDefault, K::PushButton, "Default(&D)", "規定値(&D)", 127, Height - 21, 50, 14, kPlain},
        Same(ids::kOk, K::DefaultButton, "OK", 182, Height - 21, 50, 14),
        {ids::kCancel, K::PushButton, "Cancel", "キャンセル", 237, Height - 21, 50, 14, kPlain},
    }};
}
constexpr auto kAnalogFrameEnglish = FrameControls<178>();
constexpr auto kAnalogFrameJapanese = FrameControls<199>();
constexpr auto kImageFrame = FrameControls<194>();

// Analog gain page: six rows of slider, edit box and spin control.
constexpr ControlLayout kAnalogPage[] = {
    Same(S, K::Label, "&Global Gain", 0, 6, 60, 8),
    Same(1013, K::Slider, "", 62, 4, 100, 14),
    Same(1015, K::Edit, "", 164, 4, 30, 12, kDigitsOnly),
    Same(1038, K::Spin, "", 194, 4, 10, 12),
    Same(S, K::Label, "&Color Gain G1", 0, 24, 60, 8),
    Same(1018, K::Slider, "", 62, 22, 100, 14),
    Same(1019, K::Edit, "", 164, 22, 30, 12, kDigitsOnly),
    Same(1039, K::Spin, "", 194, 22, 10, 12),
    Same(S, K::Label, "&Color Gain R", 0, 42, 60, 8),
    Same(1020, K::Slider, "", 62, 40, 100, 14),
    Same(1021, K::Edit, "", 164, 40, 30, 12, kDigitsOnly),
    Same(1040, K::Spin, "", 194, 40, 10, 12),
    Same(S, K::Label, "&Color Gain B", 0, 60, 60, 8),
    Same(1022, K::Slider, "", 62, 58, 100, 14),
    Same(1023, K::Edit, "", 164, 58, 30, 12, kDigitsOnly),
    Same(1041, K::Spin, "", 194, 58, 10, 12),
    Same(S, K::Label, "&Color Gain G2", 0, 78, 60, 8),
    Same(1024, K::Slider, "", 62, 76, 100, 14),
    Same(1025, K::Edit, "", 164, 76, 30, 12, kDigitsOnly),
    Same(1042, K::Spin, "", 194, 76, 10, 12),
    Same(S, K::Label, "&Exposure", 0, 96, 60, 8),
    Same(1026, K::Slider, "", 62, 94, 100, 14),
    Same(1027, K::Edit, "", 164, 94, 30, 12, kDigitsOnly),
    Same(1043, K::Spin, "", 194, 94, 10, 12),
    Same(ids::kExposureLabel, K::Label, "= msec", 164, 112, 70, 8),
    Same(S, K::Label, "Auto Iris", 208, 4, 40, 8),
    Same(ids::kAutoByGain, K::CheckBox, "Gain", 208, 16, 40, 10),
    Same(ids::kAutoByExposure, K::CheckBox, "Exposure", 208, 28, 40, 10),
    Same(ids::kMirrorV, K::CheckBox, "Mirror V", 208, 52, 40, 10),
    Same(ids::kMirrorH, K::CheckBox, "Mirror H", 208, 64, 40, 10),
};

// The automatic pass buttons and the Bayer mode radios of both image pages,
// at the right-hand side from the given top.
#define TAVRIN_AUTO_AND_BAYER(x, top, heading)                                                                         \
    Same(S, K::Label, heading, x, top, 72, 8), Same(ids::kOnce, K::PushButton, "", x, top + 10, 12, 10),               \
        Same(S, K::Label, "Once", x + 14, top + 11, 40, 8),                                                            \
        Same(ids::kAllFrames, K::CheckBox, "", x, top + 24, 10, 10),                                                   \
        Same(S, K::Label, "All frames", x + 14, top + 25, 40, 8), Same(S, K::Label, "Bayer Mode", x, top + 42, 50, 8), \
        Same(1030, K::Radio, "", x, top + 54, 10, 10, kGroupStart),                                                    \
        Same(1031, K::Radio, "", x + 14, top + 54, 10, 10), Same(1032, K::Radio, "", x, top + 66, 10, 10),             \
        Same(1033, K::Radio, "", x + 14, top + 66, 10, 10)

#define TAVRIN_ROW(label, slider, edit, spin, y)                                            \
    Same(S, K::Label, label, 0, y + 2, 44, 8), Same(slider, K::Slider, "", 46, y, 110, 12), \
        Same(edit, K::Edit, "", 158, y, 28, 12, kDigitsOnly), Same(spin, K::Spin, "", 186, y, 10, 12)

constexpr ControlLayout kFilterPage[] = {
    TAVRIN_ROW("&Brightness", 2001, 2002, 2004, 2), TAVRIN_ROW("&Contrast", 2011, 2012, 2014, 17),
    TAVRIN_ROW("&Hue", 2021, 2022, 2024, 32),       TAVRIN_ROW("&Saturation", 2031, 2032, 2034, 47),
    TAVRIN_ROW("Shar&pness", 2041, 2042, 2044, 62), TAVRIN_ROW("&R Gain", 2051, 2052, 2054, 77),
    TAVRIN_ROW("&G Gain", 2061, 2062, 2063, 92),    TAVRIN_ROW("&B Gain", 2071, 2072, 2073, 107),
    TAVRIN_ROW("&Gamma", 2081, 2082, 2084, 122),    TAVRIN_AUTO_AND_BAYER(200, 2, "Auto white balance"),
};

#define TAVRIN_GRAY_ROW(label, first, y)                                                  \
    Same(S, K::Label, label, 6, y + 2, 30, 8), Same(first, K::Slider, "", 36, y, 90, 12), \
        Same(first + 1, K::Edit, "", 128, y, 28, 12, kDigitsOnly), Same(first + 2, K::Spin, "", 156, y, 10, 12)

constexpr ControlLayout kGrayPage[] = {
    Same(S, K::GroupBox, "Gain", 0, 0, 170, 66),
    TAVRIN_GRAY_ROW("Red", 2100, 10),
    TAVRIN_GRAY_ROW("Green1", 2103, 23),
    TAVRIN_GRAY_ROW("Green2", 2106, 36),
    TAVRIN_GRAY_ROW("Blue", 2109, 49),
    Same(S, K::GroupBox, "Offset", 0, 70, 170, 66),
    TAVRIN_GRAY_ROW("Red", 2112, 80),
    TAVRIN_GRAY_ROW("Green1", 2115, 93),
    TAVRIN_GRAY_ROW("Green2", 2118, 106),
    TAVRIN_GRAY_ROW("Blue", 2121, 119),
    Same(S, K::Label, "Filter mode", 176, 0, 70, 8),
    Same(1046, K::Radio, "Bayer", 176, 10, 70, 10, kGroupStart),
    Same(1047, K::Radio, "Bayer convert", 176, 21, 70, 10),
    Same(1048, K::Radio, "Grayscale", 176, 32, 70, 10),
    TAVRIN_AUTO_AND_BAYER(176, 48, "Auto Gain"),
};

#undef TAVRIN_GRAY_ROW
#undef TAVRIN_ROW
#undef TAVRIN_AUTO_AND_BAYER

constexpr const char* kPropertyEn = "Property";
constexpr const char* kPropertyJa = "プロパティ";

const DialogTemplate kTemplates[] = {
    {101, true, kPropertyJa, 313, 229, kCameraControls}, {102, true, kPropertyJa, 294, 194, kImageFrame},
    {103, true, nullptr, 251, 142, kFilterPage},         {104, true, kPropertyJa, 294, 199, kAnalogFrameJapanese},
    {105, true, nullptr, 240, 130, kAnalogPage},         {106, false, kPropertyEn, 313, 229, kCameraControls},
    {107, false, nullptr, 251, 142, kFilterPage},        {108, false, kPropertyEn, 294, 194, kImageFrame},
    {110, false, nullptr, 240, 130, kAnalogPage},        {111, false, kPropertyEn, 294, 178, kAnalogFrameEnglish},
    {112, false, nullptr, 251, 142, kGrayPage},          {113, true, nullptr, 251, 142, kGrayPage},
};

}  // namespace

const ControlLayout* DialogTemplate::Find(int controlId) const {
    for (const ControlLayout& control : controls) {
        if (control.id == controlId)
            return &control;
    }
    return nullptr;
}

const DialogTemplate* FindTemplate(int templateId) {
    for (const DialogTemplate& dialog : kTemplates) {
        if (dialog.id == templateId)
            return &dialog;
    }
    return nullptr;
}

std::span<const DialogTemplate> AllTemplates() { return kTemplates; }

}  // namespace tavrin::dialogs
