// The control interface over a real Win32 dialog window. Texts go through
// the ANSI interfaces, so the Japanese texts of the controllers (code page
// 932) show as they are on a Japanese system.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "dialogs/controls.h"
#include "dialogs/modal_view.h"

namespace tavrin::dialogs::win32 {

// What a dialog procedure finds through its window: the controls it wraps,
// the handler they drive and, for a frame, the cross-thread work and the
// tab label brush.
struct DialogContext {
    DialogHandler* handler = nullptr;
    const CrossThreadWork* work = nullptr;
    HBRUSH tabBrush = nullptr;
    std::unique_ptr<class Win32Controls> controls;
};

class Win32Controls : public Controls {
public:
    Win32Controls(HWND window, HINSTANCE module) : window_(window), module_(module) {}

    void SetText(int id, const std::string& text) override { SetDlgItemTextA(window_, id, text.c_str()); }
    std::string GetText(int id) const override;
    void Enable(int id, bool enabled) override { EnableWindow(GetDlgItem(window_, id), enabled); }
    void SetCheck(int id, bool checked) override { CheckDlgButton(window_, id, checked ? BST_CHECKED : BST_UNCHECKED); }
    bool IsChecked(int id) const override { return IsDlgButtonChecked(window_, id) == BST_CHECKED; }
    void ListInsert(int id, int index, const std::string& text) override;
    void ListDelete(int id, int index) override;
    void ListSelect(int id, int index) override;
    int ListSelection(int id) const override;
    void SliderSetRange(int id, int minimum, int maximum) override;
    void SliderSetPosition(int id, int position) override;
    int SliderPosition(int id) const override;
    void SliderSetTickSpacing(int id, int spacing) override;
    void SpinSetUp(int id, int minimum, int maximum, int16_t position, int buddy) override;
    void TabInsert(int id, int index, const std::string& text) override;
    int TabSelection(int id) const override;
    Controls* CreatePage(int templateId, DialogHandler& handler) override;
    void ShowPage(Controls& page, bool visible) override;
    void EndDialog(int result) override { ::EndDialog(window_, result); }

    HWND Window() const { return window_; }

private:
    LRESULT Send(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendDlgItemMessageA(window_, id, message, wParam, lParam);
    }

    HWND window_;
    HINSTANCE module_;
    std::vector<std::unique_ptr<DialogContext>> pages_;
};

// The dialog procedure of frames and pages alike.
INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The library's own module, where the templates are.
HINSTANCE TemplateModule();

}  // namespace tavrin::dialogs::win32
