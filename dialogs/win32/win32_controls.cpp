#include "dialogs/win32/win32_controls.h"

#include <commctrl.h>

namespace tavrin::dialogs::win32 {
namespace {

constexpr int kPageX = 30;  // where a page sits within the tab control, in pixels
constexpr int kPageY = 25;

}  // namespace

HINSTANCE TemplateModule() { return GetModuleHandleA("TavrinSdk_860VX_RUX.dll"); }

std::string Win32Controls::GetText(int id) const {
    char text[256] = {};
    GetDlgItemTextA(window_, id, text, sizeof text);
    return text;
}

void Win32Controls::ListInsert(int id, int index, const std::string& text) {
    Send(id, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
}

void Win32Controls::ListDelete(int id, int index) { Send(id, CB_DELETESTRING, static_cast<WPARAM>(index)); }

void Win32Controls::ListSelect(int id, int index) { Send(id, CB_SETCURSEL, static_cast<WPARAM>(index)); }

int Win32Controls::ListSelection(int id) const { return static_cast<int>(Send(id, CB_GETCURSEL)); }

void Win32Controls::SliderSetRange(int id, int minimum, int maximum) {
    Send(id, TBM_SETRANGEMAX, TRUE, maximum);
    Send(id, TBM_SETRANGEMIN, TRUE, minimum);
}

void Win32Controls::SliderSetPosition(int id, int position) { Send(id, TBM_SETPOS, TRUE, position); }

int Win32Controls::SliderPosition(int id) const { return static_cast<int>(Send(id, TBM_GETPOS)); }

void Win32Controls::SliderSetTickSpacing(int id, int spacing) {
    Send(id, TBM_SETTICFREQ, static_cast<WPARAM>(spacing));
}

void Win32Controls::SpinSetUp(int id, int minimum, int maximum, int16_t position, int buddy) {
    Send(id, UDM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
    Send(id, UDM_SETPOS, 0, MAKELPARAM(static_cast<WORD>(position), 0));
    Send(id, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(window_, buddy)));
}

void Win32Controls::TabInsert(int id, int index, const std::string& text) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(text.c_str());
    Send(id, TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

int Win32Controls::TabSelection(int id) const { return static_cast<int>(Send(id, TCM_GETCURSEL)); }

Controls* Win32Controls::CreatePage(int templateId, DialogHandler& handler) {
    auto context = std::make_unique<DialogContext>();
    context->handler = &handler;
    HWND tab = GetDlgItem(window_, 1001);
    HWND page = CreateDialogParamW(module_, MAKEINTRESOURCEW(templateId), tab, DialogProcedure,
                                   reinterpret_cast<LPARAM>(context.get()));
    if (!page)
        return nullptr;
    SetWindowPos(page, nullptr, kPageX, kPageY, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    pages_.push_back(std::move(context));
    return pages_.back()->controls.get();
}

void Win32Controls::ShowPage(Controls& page, bool visible) {
    ShowWindow(static_cast<Win32Controls&>(page).Window(), visible ? SW_SHOW : SW_HIDE);
}

}  // namespace tavrin::dialogs::win32
