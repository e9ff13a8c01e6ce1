// The small control interface every dialog controller is written against.
// It has the meaning of the Win32 dialog functions: controls are addressed
// by their ids, numbers go in and out as decimal text, and putting text into
// an edit box raises its change notification at once, as SetDlgItemInt
// raises EN_CHANGE. The Win32 view, the GTK view and the headless test view
// implement it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tavrin::dialogs {

enum class Language { English, Japanese };

// What a control tells its dialog (the WM_COMMAND notification codes that
// the controllers look at).
enum class Notification { Clicked, TextChanged, SelectionChanged };

class DialogHandler;

class Controls {
public:
    virtual ~Controls() = default;

    // Window text of any control; setting an edit box's text notifies it.
    virtual void SetText(int id, const std::string& text) = 0;
    virtual std::string GetText(int id) const = 0;
    virtual void Enable(int id, bool enabled) = 0;
    virtual void SetCheck(int id, bool checked) = 0;
    virtual bool IsChecked(int id) const = 0;

    // Drop-down lists: items are inserted at explicit positions (never
    // sorted); a selection of -1 means none.
    virtual void ListInsert(int id, int index, const std::string& text) = 0;
    virtual void ListDelete(int id, int index) = 0;
    virtual void ListSelect(int id, int index) = 0;
    virtual int ListSelection(int id) const = 0;

    // Trackbars: the position is kept within the range.
    virtual void SliderSetRange(int id, int minimum, int maximum) = 0;
    virtual void SliderSetPosition(int id, int position) = 0;
    virtual int SliderPosition(int id) const = 0;
    virtual void SliderSetTickSpacing(int id, int spacing) = 0;

    // Up-down controls: range, position and the edit box they step.
    virtual void SpinSetUp(int id, int minimum, int maximum, int16_t position, int buddy) = 0;

    // The tab control (one per dialog frame).
    virtual void TabInsert(int id, int index, const std::string& text) = 0;
    virtual int TabSelection(int id) const = 0;

    // Pages: a child dialog of the tab control, created from a template and
    // driven by its own handler (whose OnInit runs before this returns);
    // null when it cannot be created.
    virtual Controls* CreatePage(int templateId, DialogHandler& handler) = 0;
    virtual void ShowPage(Controls& page, bool visible) = 0;

    // Ends the modal dialog with a result (1 OK, 2 Cancel).
    virtual void EndDialog(int result) = 0;

    // Decimal numbers, as SetDlgItemInt and GetDlgItemInt: reading gives 0
    // when the text is not a number.
    void SetInt(int id, int32_t value) { SetText(id, std::to_string(value)); }
    void SetUnsigned(int id, uint32_t value) { SetText(id, std::to_string(value)); }
    int32_t GetInt(int id) const { return ParseSigned(GetText(id)).value_or(0); }
    uint32_t GetUnsigned(int id) const { return ParseUnsigned(GetText(id)).value_or(0); }

    static std::optional<int32_t> ParseSigned(const std::string& text);
    static std::optional<uint32_t> ParseUnsigned(const std::string& text);
};

// The logic of one dialog or page: the view turns its window messages into
// these calls.
class DialogHandler {
public:
    virtual ~DialogHandler() = default;
    virtual void OnInit(Controls& controls) = 0;
    virtual void OnCommand(int id, Notification notification) = 0;
    virtual void OnScroll(int /*sliderId*/) {}
    virtual void OnTabChanged() {}
};

}  // namespace tavrin::dialogs
