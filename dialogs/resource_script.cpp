#include "dialogs/resource_script.h"

#include <sstream>

#include "dialogs/dialog_templates.h"

namespace tavrin::dialogs {
namespace {

std::string Quoted(const char* text) {
    std::string out = "\"";
    for (const char* p = text; *p; ++p) {
        out += *p;
        if (*p == '"')
            out += '"';
    }
    return out + "\"";
}

// Window class and styles of each kind of control (WS_CHILD | WS_VISIBLE
// come with every CONTROL statement).
struct KindStyle {
    const char* windowClass;
    const char* style;
};

KindStyle StyleOf(ControlKind kind) {
    switch (kind) {
    case ControlKind::Tab:
        return {"WC_TABCONTROLA", "TCS_OWNERDRAWFIXED | WS_TABSTOP"};
    case ControlKind::GroupBox:
        return {"\"Button\"", "BS_GROUPBOX"};
    case ControlKind::Label:
        return {"\"Static\"", "SS_LEFT"};
    case ControlKind::DropList:
        return {"\"ComboBox\"", "CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP"};
    case ControlKind::Edit:
        return {"\"Edit\"", "ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP"};
    case ControlKind::PushButton:
        return {"\"Button\"", "BS_PUSHBUTTON | WS_TABSTOP"};
    case ControlKind::DefaultButton:
        return {"\"Button\"", "BS_DEFPUSHBUTTON | WS_TABSTOP"};
    case ControlKind::CheckBox:
        return {"\"Button\"", "BS_AUTOCHECKBOX | WS_TABSTOP"};
    case ControlKind::Radio:
        return {"\"Button\"", "BS_AUTORADIOBUTTON"};
    case ControlKind::Slider:
        return {"TRACKBAR_CLASSA", "TBS_AUTOTICKS | TBS_HORZ | WS_TABSTOP"};
    case ControlKind::Spin:
        return {"UPDOWN_CLASSA", "UDS_SETBUDDYINT | UDS_ARROWKEYS"};
    }
    return {"\"Static\"", "SS_LEFT"};
}

void WriteControl(std::ostream& out, const ControlLayout& control, bool japanese, bool endsRadioGroup) {
    const KindStyle kind = StyleOf(control.kind);
    std::string style = kind.style;
    if (control.style & kDisabled)
        style += " | WS_DISABLED";
    if (control.style & kReadOnly)
        style += " | ES_READONLY";
    if (control.style & kDigitsOnly)
        style += " | ES_NUMBER";
    if ((control.style & kGroupStart) || endsRadioGroup)
        style += " | WS_GROUP";
    // A drop-down list's height in a template is that of its open list.
    const int height = control.kind == ControlKind::DropList ? 100 : control.height;
    out << "    CONTROL " << Quoted(japanese ? control.japanese : control.english) << ", " << control.id << ", "
        << kind.windowClass << ", " << style << ", " << control.x << ", " << control.y << ", " << control.width << ", "
        << height << "\n";
}

void WriteTemplate(std::ostream& out, const DialogTemplate& dialog) {
    out << "\nLANGUAGE " << (dialog.japanese ? "LANG_JAPANESE, SUBLANG_DEFAULT" : "LANG_ENGLISH, SUBLANG_ENGLISH_US")
        << "\n"
        << dialog.id << " DIALOGEX 0, 0, " << dialog.width << ", " << dialog.height << "\n";
    if (dialog.caption) {
        out << "STYLE DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU\n"
            << "CAPTION " << Quoted(dialog.caption) << "\n";
    } else {
        out << "STYLE DS_SETFONT | DS_CONTROL | WS_CHILD\n";
    }
    out << "FONT " << kFontPoints << ", " << Quoted(kFontName) << ", 0, 0, 0x1\nBEGIN\n";
    bool afterRadio = false;
    for (const ControlLayout& control : dialog.controls) {
        WriteControl(out, control, dialog.japanese, afterRadio && control.kind != ControlKind::Radio);
        afterRadio = control.kind == ControlKind::Radio;
    }
    out << "END\n";
}

}  // namespace

std::string ResourceScript() {
    std::ostringstream out;
    out << "// Written from dialogs/dialog_templates.cpp by ResourceScript(); do not edit by hand.\n"
           "#pragma code_page(65001)\n#include <windows.h>\n#include <commctrl.h>\n";
    for (const DialogTemplate& dialog : AllTemplates())
        WriteTemplate(out, dialog);
    return out.str();
}

}  // namespace tavrin::dialogs
