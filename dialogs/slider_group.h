// A row of slider, edit box and spin control editing one number, as every
// page of the analog and image dialogs has them.
#pragma once

#include <cstdint>

#include "dialogs/controls.h"

namespace tavrin::dialogs {

struct SliderRow {
    int slider;
    int edit;
    int spin;
    int minimum;
    int maximum;
    int tickSpacing;
};

// Slider range (maximum first), position and ticks; spin range, position
// (low 16 bits) and buddy; the value as text into the edit box (which
// notifies its change); then all three enabled or disabled.
void SetUpSliderGroup(Controls& controls, const SliderRow& row, int32_t value, bool enabled);

// The row's slider and edit box show a value.
void ShowRowValue(Controls& controls, const SliderRow& row, int32_t value);

}  // namespace tavrin::dialogs
