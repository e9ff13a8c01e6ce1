// A dialog without a screen: it keeps every control's state as the Win32
// controls would and lets a test act as the user (click, type, choose, drag,
// switch tabs). Control classes come from the dialog template.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/controls.h"
#include "dialogs/dialog_templates.h"

namespace tavrin::dialogs {

class HeadlessDialog : public Controls {
public:
    struct Control {
        std::string text;
        bool enabled = true;
        bool checked = false;
        std::vector<std::string> items;
        int selection = -1;
        int minimum = 0, maximum = 100, position = 0, tickSpacing = 1;
        int buddy = 0;
    };

    // Builds the controls of a template (which must exist) and runs OnInit.
    HeadlessDialog(int templateId, DialogHandler& handler);

    // Controls
    void SetText(int id, const std::string& text) override;
    std::string GetText(int id) const override { return At(id).text; }
    void Enable(int id, bool enabled) override { At(id).enabled = enabled; }
    void SetCheck(int id, bool checked) override { At(id).checked = checked; }
    bool IsChecked(int id) const override { return At(id).checked; }
    void ListInsert(int id, int index, const std::string& text) override;
    void ListDelete(int id, int index) override;
    void ListSelect(int id, int index) override;
    int ListSelection(int id) const override { return At(id).selection; }
    void SliderSetRange(int id, int minimum, int maximum) override;
    void SliderSetPosition(int id, int position) override;
    int SliderPosition(int id) const override { return At(id).position; }
    void SliderSetTickSpacing(int id, int spacing) override { At(id).tickSpacing = spacing; }
    void SpinSetUp(int id, int minimum, int maximum, int16_t position, int buddy) override;
    void TabInsert(int id, int index, const std::string& text) override {
        ListInsert(id, index, text);
        if (At(id).selection < 0)
            At(id).selection = 0;  // a tab control selects its first tab
    }
    int TabSelection(int id) const override { return At(id).selection; }
    Controls* CreatePage(int templateId, DialogHandler& handler) override;
    void ShowPage(Controls& page, bool visible) override;
    void EndDialog(int result) override { result_ = result; }

    // The user's actions.
    void Click(int id);
    void Type(int id, const std::string& text) { SetText(id, text); }
    void Choose(int id, int index);
    void Drag(int sliderId, int position);
    void SelectTab(int index);

    const Control& Get(int id) const { return At(id); }
    HeadlessDialog& Page(int index) { return *pages_.at(index); }
    bool Visible() const { return visible_; }
    int Result() const { return result_; }  // 0 while open

private:
    Control& At(int id);
    const Control& At(int id) const;
    ControlKind KindOf(int id) const;
    void CheckRadio(int id);

    const DialogTemplate& template_;
    DialogHandler& handler_;
    std::map<int, Control> controls_;
    std::vector<std::unique_ptr<HeadlessDialog>> pages_;
    bool visible_ = true;
    int result_ = 0;
};

}  // namespace tavrin::dialogs
