#include "dialogs/slider_group.h"

#include <cstdio>

#include "dialogs/control_texts.h"

namespace tavrin::dialogs {

void SetUpSliderGroup(Controls& controls, const SliderRow& row, int32_t value, bool enabled) {
    controls.SliderSetRange(row.slider, row.minimum, row.maximum);
    controls.SliderSetPosition(row.slider, value);
    controls.SliderSetTickSpacing(row.slider, row.tickSpacing);
    controls.SpinSetUp(row.spin, row.minimum, row.maximum, static_cast<int16_t>(value), row.edit);
    controls.SetInt(row.edit, value);
    controls.Enable(row.slider, enabled);
    controls.Enable(row.spin, enabled);
    controls.Enable(row.edit, enabled);
}

void ShowRowValue(Controls& controls, const SliderRow& row, int32_t value) {
    controls.SliderSetPosition(row.slider, value);
    controls.SetInt(row.edit, value);
}

namespace texts {

std::string Format(const char* pattern, int value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

}  // namespace texts
}  // namespace tavrin::dialogs
