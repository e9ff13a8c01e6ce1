#include "dialogs/headless_dialog.h"

#include <algorithm>
#include <stdexcept>

#include "dialogs/control_ids.h"

namespace tavrin::dialogs {

HeadlessDialog::HeadlessDialog(int templateId, DialogHandler& handler)
    : template_(*FindTemplate(templateId)), handler_(handler) {
    for (const ControlLayout& layout : template_.controls) {
        if (layout.id == ids::kStatic)
            continue;
        Control& control = controls_[layout.id];
        control.text = template_.japanese ? layout.japanese : layout.english;
        control.enabled = (layout.style & kDisabled) == 0;
    }
    handler_.OnInit(*this);
}

HeadlessDialog::Control& HeadlessDialog::At(int id) {
    auto found = controls_.find(id);
    if (found == controls_.end())
        throw std::out_of_range("no control " + std::to_string(id));
    return found->second;
}

const HeadlessDialog::Control& HeadlessDialog::At(int id) const { return const_cast<HeadlessDialog*>(this)->At(id); }

ControlKind HeadlessDialog::KindOf(int id) const { return template_.Find(id)->kind; }

void HeadlessDialog::SetText(int id, const std::string& text) {
    At(id).text = text;
    // As SetDlgItemText raises EN_CHANGE, so does this for an edit box.
    if (KindOf(id) == ControlKind::Edit)
        handler_.OnCommand(id, Notification::TextChanged);
}

void HeadlessDialog::ListInsert(int id, int index, const std::string& text) {
    auto& items = At(id).items;
    if (index < 0 || index > static_cast<int>(items.size()))
        index = static_cast<int>(items.size());
    items.insert(items.begin() + index, text);
}

void HeadlessDialog::ListDelete(int id, int index) {
    Control& list = At(id);
    if (index < 0 || index >= static_cast<int>(list.items.size()))
        return;
    list.items.erase(list.items.begin() + index);
    if (list.selection == index)
        list.selection = -1;
}

void HeadlessDialog::ListSelect(int id, int index) {
    Control& list = At(id);
    list.selection = index >= 0 && index < static_cast<int>(list.items.size()) ? index : -1;
}

void HeadlessDialog::SliderSetRange(int id, int minimum, int maximum) {
    Control& slider = At(id);
    slider.minimum = minimum;
    slider.maximum = maximum;
    slider.position = std::clamp(slider.position, minimum, std::max(minimum, maximum));
}

void HeadlessDialog::SliderSetPosition(int id, int position) {
    Control& slider = At(id);
    slider.position = std::clamp(position, slider.minimum, std::max(slider.minimum, slider.maximum));
}

void HeadlessDialog::SpinSetUp(int id, int minimum, int maximum, int16_t position, int buddy) {
    Control& spin = At(id);
    spin.minimum = minimum;
    spin.maximum = maximum;
    spin.position = position;
    spin.buddy = buddy;
}

Controls* HeadlessDialog::CreatePage(int templateId, DialogHandler& handler) {
    if (!FindTemplate(templateId))
        return nullptr;
    pages_.push_back(std::make_unique<HeadlessDialog>(templateId, handler));
    return pages_.back().get();
}

void HeadlessDialog::ShowPage(Controls& page, bool visible) { static_cast<HeadlessDialog&>(page).visible_ = visible; }

void HeadlessDialog::CheckRadio(int id) {
    // Auto radio buttons: the clicked one is checked, the others of its
    // group (the radios from the group's first one on) are cleared.
    const auto& layouts = template_.controls;
    auto clicked = std::find_if(layouts.begin(), layouts.end(), [id](const ControlLayout& s) { return s.id == id; });
    auto first = clicked;
    while (first != layouts.begin() && !(first->style & kGroupStart))
        --first;
    for (auto it = first; it != layouts.end() && it->kind == ControlKind::Radio; ++it) {
        if (it != first && (it->style & kGroupStart))
            break;
        At(it->id).checked = it->id == id;
    }
}

void HeadlessDialog::Click(int id) {
    if (!At(id).enabled)
        return;
    const ControlKind kind = KindOf(id);
    if (kind == ControlKind::CheckBox)
        At(id).checked = !At(id).checked;
    if (kind == ControlKind::Radio)
        CheckRadio(id);
    handler_.OnCommand(id, Notification::Clicked);
}

void HeadlessDialog::Choose(int id, int index) {
    ListSelect(id, index);
    handler_.OnCommand(id, Notification::SelectionChanged);
}

void HeadlessDialog::Drag(int sliderId, int position) {
    SliderSetPosition(sliderId, position);
    handler_.OnScroll(sliderId);
}

void HeadlessDialog::SelectTab(int index) {
    At(ids::kTab).selection = index;
    handler_.OnTabChanged();
}

}  // namespace tavrin::dialogs
