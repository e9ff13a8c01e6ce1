// The dialog templates as data: caption, size in dialog units and every
// control with its id, class, texts and place. The Win32 resource script and
// the GTK view are laid out from these tables, and the headless view takes
// the control classes from them. Template texts are UTF-8 here.
#pragma once

#include <cstdint>
#include <span>

namespace tavrin::dialogs {

enum class ControlKind : uint8_t {
    Tab,
    GroupBox,
    Label,
    DropList,
    Edit,
    PushButton,
    DefaultButton,
    CheckBox,
    Radio,
    Slider,
    Spin,
};

enum ControlStyle : uint8_t {
    kPlain = 0,
    kDisabled = 1,    // starts greyed
    kReadOnly = 2,    // edit box the user cannot type into
    kDigitsOnly = 4,  // edit box taking digits only
    kGroupStart = 8,  // first control of a radio group
};

struct ControlLayout {
    int id;
    ControlKind kind;
    const char* english;
    const char* japanese;
    int16_t x, y, width, height;  // dialog units
    uint8_t style;
};

struct DialogTemplate {
    int id;
    bool japanese;
    const char* caption;  // null for a page (a child dialog without caption)
    int16_t width, height;
    std::span<const ControlLayout> controls;

    const ControlLayout* Find(int controlId) const;
};

// Every template, 101 to 113; null for a number that is not one.
const DialogTemplate* FindTemplate(int templateId);
std::span<const DialogTemplate> AllTemplates();

inline constexpr const char* kFontName = "MS Shell Dlg";
inline constexpr int kFontPoints = 8;

}  // namespace tavrin::dialogs
