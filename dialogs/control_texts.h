// Texts the controllers put into controls. The Japanese ones are held in
// code page 932, the form the ANSI window interfaces take on a Japanese
// system; the views convert them where a control wants Unicode.
#pragma once

#include <string>

#include "dialogs/controls.h"

namespace tavrin::dialogs::texts {

struct Pair {
    const char* english;
    const char* japanese;  // code page 932
    const char* In(Language language) const { return language == Language::Japanese ? japanese : english; }
};

inline constexpr Pair kStreamFormatTab{"Stream Format", "\x83X\x83g\x83\x8a\x81[\x83\x80\x8c`\x8e\xae"};
// Colour mode list, by colour mode; the 10-bit item is formatted with 10.
inline constexpr Pair kColorModes[6] = {
    {"Monochrome 8bit", "\x94\x92\x8d\x95 8bit"},
    {"Monochrome 10bit *", "\x94\x92\x8d\x95 %dbit \x81\xa6"},
    {"Color 24bit", "\x83J\x83\x89\x81[ 24bit"},
    {"Color 32bit", "\x83J\x83\x89\x81[ 32bit"},
    {"Color 48bit *", "\x83J\x83\x89\x81[ 48bit \x81\xa6"},
    {"Color 64bit *", "\x83J\x83\x89\x81[ 64bit \x81\xa6"},
};
// Clock list, by clock choice; the high clock item is formatted with 40.
inline constexpr Pair kClocks[3] = {
    {"Nomal(24MHz)", "\x95W\x8f\x80(24MHz)"},
    {"Half(12MHz)", "\x83n\x81[\x83t(12MHz)"},
    {"High(%dMHz)", "\x8d\x82\x91\xac(%dMHz)"},
};
inline constexpr Pair kCustomSize{"Custom", "\x83J\x83X\x83^\x83\x80"};
inline constexpr Pair kFullSampling{"1/1", "1/1"};
inline constexpr Pair kAnalogGainTab{"Analog Gain", "Analog Gain"};
inline constexpr Pair kImageFilterTab{"Image Filter", "Image Filter"};
inline constexpr Pair kGrayFilterTab{"Gray Filter", "Gray Filter"};

// printf with one integer, for the items that carry a number.
std::string Format(const char* pattern, int value);

}  // namespace tavrin::dialogs::texts
