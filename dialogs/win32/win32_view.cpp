// Dialog procedures: window messages turned into controller calls. One
// procedure serves frames and pages; a frame also draws its tab labels and
// runs the work other threads hand to it.
#include <windows.h>
#include <commctrl.h>

#include "dialogs/control_ids.h"
#include "dialogs/modal_view.h"
#include "dialogs/win32/win32_controls.h"

namespace tavrin::dialogs {
namespace win32 {
namespace {

constexpr UINT kRunWorkMessage = WM_APP + 0x60;

DialogContext* ContextOf(HWND window) { return reinterpret_cast<DialogContext*>(GetWindowLongPtrW(window, DWLP_USER)); }

void OnInitDialog(HWND window, DialogContext& context) {
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(&context));
    context.controls = std::make_unique<Win32Controls>(window, TemplateModule());
    context.handler->OnInit(*context.controls);
    if (context.work && context.work->ready) {
        context.work->ready([window] { PostMessageW(window, kRunWorkMessage, 0, 0); });
    }
}

Notification NotificationOf(WORD code) {
    if (code == EN_CHANGE)
        return Notification::TextChanged;
    if (code == CBN_SELCHANGE)
        return Notification::SelectionChanged;
    return Notification::Clicked;
}

// The owner-drawn tab label: its text centred on the button face colour.
void DrawTabLabel(const DRAWITEMSTRUCT& item, HBRUSH brush) {
    char text[256] = {};
    TCITEMA tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = text;
    tab.cchTextMax = 255;
    SendMessageA(item.hwndItem, TCM_GETITEMA, item.itemID, reinterpret_cast<LPARAM>(&tab));
    const RECT& r = item.rcItem;
    FillRect(item.hDC, &r, brush);
    SetBkColor(item.hDC, GetSysColor(COLOR_BTNFACE));
    const int length = lstrlenA(text);
    SIZE size{};
    GetTextExtentPoint32A(item.hDC, text, length, &size);
    const int x = r.left + (r.right - r.left) / 2 - size.cx / 2;
    const int y = r.top + (r.bottom - r.top) / 2 - size.cy / 2;
    TextOutA(item.hDC, x, y, text, length);
}

}  // namespace

INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        OnInitDialog(window, *reinterpret_cast<DialogContext*>(lParam));
        return TRUE;
    }
    DialogContext* context = ContextOf(window);
    if (!context || !context->controls)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        context->handler->OnCommand(LOWORD(wParam), NotificationOf(HIWORD(wParam)));
        return TRUE;
    case WM_HSCROLL:
        if (lParam)
            context->handler->OnScroll(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
        return TRUE;
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(TCN_SELCHANGE)) {
            context->handler->OnTabChanged();
        }
        return TRUE;
    case WM_DRAWITEM:
        if (wParam == static_cast<WPARAM>(ids::kTab) && context->tabBrush) {
            DrawTabLabel(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), context->tabBrush);
            return TRUE;
        }
        return FALSE;
    case kRunWorkMessage:
        if (context->work && context->work->run)
            context->work->run();
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace win32

int RunScreenDialog(int templateId, platform::WindowHandle parent, DialogHandler& handler,
                    const CrossThreadWork* work) {
    win32::DialogContext context;
    context.handler = &handler;
    context.work = work;
    context.tabBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    // Without the library's own module (templates) or the common control
    // classes the call fails with -1, which the launchers take as Cancel.
    const INT_PTR result =
        DialogBoxParamW(win32::TemplateModule(), MAKEINTRESOURCEW(templateId), static_cast<HWND>(parent),
                        win32::DialogProcedure, reinterpret_cast<LPARAM>(&context));
    DeleteObject(context.tabBrush);
    return result == 0 && !context.controls ? -1 : static_cast<int>(result);
}

// The view is part of the library and Windows always has a desktop.
std::string ScreenDialogProblem() { return {}; }

}  // namespace tavrin::dialogs
