#include "dialogs/gtk/gtk_controls.h"

#include <algorithm>
#include <stdexcept>

namespace tavrin::dialogs::gtk {
namespace {

constexpr int kPageX = 30;  // where a page sits within the tab control, in pixels
constexpr int kPageY = 40;  // below GTK's taller tab strip

// "&Gain" becomes "_Gain"; a literal underscore is doubled.
std::string Mnemonic(const char* text) {
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (*p == '&')
            out += '_';
        else if (*p == '_')
            out += "__";
        else
            out += *p;
    }
    return out;
}

struct Scope {
    explicit Scope(int& counter) : counter_(counter) { ++counter_; }
    ~Scope() { --counter_; }
    int& counter_;
};

}  // namespace

GtkControls::GtkControls(const DialogTemplate& dialog, DialogHandler& handler, GtkWidget* container)
    : template_(dialog), handler_(handler), container_(container) {
    Scope quiet(quiet_);
    for (const ControlLayout& layout : dialog.controls)
        Build(layout);
}

GtkControls::~GtkControls() = default;

GtkControls::Widget& GtkControls::At(int id) {
    auto found = widgets_.find(id);
    if (found == widgets_.end())
        throw std::out_of_range("no control " + std::to_string(id));
    return found->second;
}

const GtkControls::Widget& GtkControls::At(int id) const { return const_cast<GtkControls*>(this)->At(id); }

std::string GtkControls::ToGtk(const std::string& text) const {
    if (!template_.japanese)
        return text;
    gchar* converted = g_convert(text.c_str(), -1, "UTF-8", "CP932", nullptr, nullptr, nullptr);
    std::string out = converted ? converted : text;
    g_free(converted);
    return out;
}

std::string GtkControls::FromGtk(const std::string& text) const {
    if (!template_.japanese)
        return text;
    gchar* converted = g_convert(text.c_str(), -1, "CP932", "UTF-8", nullptr, nullptr, nullptr);
    std::string out = converted ? converted : text;
    g_free(converted);
    return out;
}

void GtkControls::Build(const ControlLayout& layout) {
    const char* text = template_.japanese ? layout.japanese : layout.english;
    Widget w;
    w.kind = layout.kind;
    switch (layout.kind) {
    case ControlKind::Tab:
        w.widget = gtk_notebook_new();
        break;
    case ControlKind::GroupBox:
        w.widget = gtk_frame_new(text);
        break;
    case ControlKind::Label:
        w.widget = gtk_label_new_with_mnemonic(Mnemonic(text).c_str());
        gtk_label_set_xalign(GTK_LABEL(w.widget), 0.0f);
        gtk_label_set_line_wrap(GTK_LABEL(w.widget), TRUE);
        break;
    case ControlKind::DropList:
        w.widget = gtk_combo_box_text_new();
        break;
    case ControlKind::Edit:
        w.widget = gtk_entry_new();
        gtk_entry_set_width_chars(GTK_ENTRY(w.widget), 1);
        gtk_editable_set_editable(GTK_EDITABLE(w.widget), !(layout.style & kReadOnly));
        if (layout.style & kDigitsOnly)
            gtk_entry_set_input_purpose(GTK_ENTRY(w.widget), GTK_INPUT_PURPOSE_DIGITS);
        break;
    case ControlKind::PushButton:
    case ControlKind::DefaultButton:
        w.widget = gtk_button_new_with_mnemonic(Mnemonic(text).c_str());
        break;
    case ControlKind::CheckBox:
        w.widget = gtk_check_button_new_with_mnemonic(Mnemonic(text).c_str());
        break;
    case ControlKind::Radio:
        if ((layout.style & kGroupStart) || !radioGroupNone_) {
            radioGroupNone_ = gtk_radio_button_new(nullptr);
            gtk_widget_set_no_show_all(radioGroupNone_, TRUE);
            gtk_fixed_put(GTK_FIXED(container_), radioGroupNone_, 0, 0);
        }
        w.widget =
            gtk_radio_button_new_with_mnemonic_from_widget(GTK_RADIO_BUTTON(radioGroupNone_), Mnemonic(text).c_str());
        w.noneRadio = radioGroupNone_;
        break;
    case ControlKind::Slider:
        w.widget = gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, 0, 100, 1);
        gtk_scale_set_draw_value(GTK_SCALE(w.widget), FALSE);
        gtk_range_set_round_digits(GTK_RANGE(w.widget), 0);
        break;
    case ControlKind::Spin: {
        w.widget = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
        for (const char* arrow : {"\xe2\x96\xb4", "\xe2\x96\xbe"}) {
            GtkWidget* button = gtk_button_new_with_label(arrow);
            gtk_box_pack_start(GTK_BOX(w.widget), button, TRUE, TRUE, 0);
        }
        break;
    }
    }
    if (layout.kind != ControlKind::Radio)
        radioGroupNone_ = nullptr;
    gtk_widget_set_size_request(w.widget, PixelsX(layout.width), PixelsY(layout.height));
    gtk_fixed_put(GTK_FIXED(container_), w.widget, PixelsX(layout.x), PixelsY(layout.y));
    if (layout.style & kDisabled)
        gtk_widget_set_sensitive(w.widget, FALSE);
    if (layout.id == -1)
        return;
    Widget& stored = widgets_[layout.id] = w;
    Connect(layout.id, stored);
}

void GtkControls::Connect(int id, Widget& w) {
    // Each signal carries the control's id; `this` outlives every widget.
    struct Link {
        GtkControls* self;
        int id;
    };
    auto* link = new Link{this, id};
    auto destroy = [](gpointer data, GClosure*) { delete static_cast<Link*>(data); };
    auto command = [](GtkWidget* widget, gpointer data) {
        auto* l = static_cast<Link*>(data);
        if (l->self->quiet_)
            return;
        const Widget& target = l->self->At(l->id);
        if (target.kind == ControlKind::Radio && !gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget)))
            return;
        const Notification n = target.kind == ControlKind::Edit       ? Notification::TextChanged
                               : target.kind == ControlKind::DropList ? Notification::SelectionChanged
                                                                      : Notification::Clicked;
        l->self->handler_.OnCommand(l->id, n);
    };
    using Callback = void (*)(GtkWidget*, gpointer);
    const Callback onCommand = command;
    switch (w.kind) {
    case ControlKind::Edit:
    case ControlKind::DropList:
        g_signal_connect_data(w.widget, "changed", G_CALLBACK(onCommand), link, destroy, GConnectFlags(0));
        break;
    case ControlKind::PushButton:
    case ControlKind::DefaultButton:
    case ControlKind::CheckBox:
    case ControlKind::Radio:
        g_signal_connect_data(w.widget, "clicked", G_CALLBACK(onCommand), link, destroy, GConnectFlags(0));
        break;
    case ControlKind::Slider: {
        const Callback onScroll = [](GtkWidget*, gpointer data) {
            auto* l = static_cast<Link*>(data);
            if (!l->self->quiet_)
                l->self->handler_.OnScroll(l->id);
        };
        g_signal_connect_data(w.widget, "value-changed", G_CALLBACK(onScroll), link, destroy, GConnectFlags(0));
        break;
    }
    case ControlKind::Tab: {
        using TabCallback = void (*)(GtkNotebook*, GtkWidget*, guint, gpointer);
        const TabCallback onTab = [](GtkNotebook*, GtkWidget*, guint, gpointer data) {
            auto* l = static_cast<Link*>(data);
            if (!l->self->quiet_)
                l->self->handler_.OnTabChanged();
        };
        g_signal_connect_data(w.widget, "switch-page", G_CALLBACK(onTab), link, destroy, G_CONNECT_AFTER);
        break;
    }
    case ControlKind::Spin: {
        GList* buttons = gtk_container_get_children(GTK_CONTAINER(w.widget));
        int delta = 1;
        for (GList* item = buttons; item; item = item->next, delta = -1) {
            auto* step = new Link{this, delta > 0 ? id : -id};
            const Callback onStep = [](GtkWidget*, gpointer data) {
                auto* l = static_cast<Link*>(data);
                l->self->Step(l->id > 0 ? l->id : -l->id, l->id > 0 ? 1 : -1);
            };
            g_signal_connect_data(item->data, "clicked", G_CALLBACK(onStep), step, destroy, GConnectFlags(0));
        }
        g_list_free(buttons);
        delete link;
        break;
    }
    default:
        delete link;
        break;
    }
}

void GtkControls::SetText(int id, const std::string& text) {
    Widget& w = At(id);
    const std::string shown = ToGtk(text);
    {
        Scope quiet(quiet_);
        if (w.kind == ControlKind::Edit)
            gtk_entry_set_text(GTK_ENTRY(w.widget), shown.c_str());
        else if (w.kind == ControlKind::Label)
            gtk_label_set_text(GTK_LABEL(w.widget), shown.c_str());
        else if (GTK_IS_BUTTON(w.widget))
            gtk_button_set_label(GTK_BUTTON(w.widget), shown.c_str());
    }
    // As SetDlgItemText raises EN_CHANGE, even for the same text.
    if (w.kind == ControlKind::Edit)
        handler_.OnCommand(id, Notification::TextChanged);
}

std::string GtkControls::GetText(int id) const {
    const Widget& w = At(id);
    if (w.kind == ControlKind::Edit)
        return FromGtk(gtk_entry_get_text(GTK_ENTRY(w.widget)));
    if (w.kind == ControlKind::Label)
        return FromGtk(gtk_label_get_text(GTK_LABEL(w.widget)));
    if (GTK_IS_BUTTON(w.widget)) {
        const char* label = gtk_button_get_label(GTK_BUTTON(w.widget));
        return FromGtk(label ? label : "");
    }
    return {};
}

void GtkControls::Enable(int id, bool enabled) { gtk_widget_set_sensitive(At(id).widget, enabled); }

void GtkControls::SetCheck(int id, bool checked) {
    Widget& w = At(id);
    Scope quiet(quiet_);
    if (checked || w.kind != ControlKind::Radio) {
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w.widget), checked);
    } else if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w.widget))) {
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w.noneRadio), TRUE);
    }
}

bool GtkControls::IsChecked(int id) const {
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(At(id).widget)) != FALSE;
}

void GtkControls::ListInsert(int id, int index, const std::string& text) {
    Scope quiet(quiet_);
    gtk_combo_box_text_insert(GTK_COMBO_BOX_TEXT(At(id).widget), index, nullptr, ToGtk(text).c_str());
}

void GtkControls::ListDelete(int id, int index) {
    Scope quiet(quiet_);
    gtk_combo_box_text_remove(GTK_COMBO_BOX_TEXT(At(id).widget), index);
}

void GtkControls::ListSelect(int id, int index) {
    Scope quiet(quiet_);
    gtk_combo_box_set_active(GTK_COMBO_BOX(At(id).widget), index);
}

int GtkControls::ListSelection(int id) const { return gtk_combo_box_get_active(GTK_COMBO_BOX(At(id).widget)); }

void GtkControls::SliderSetRange(int id, int minimum, int maximum) {
    Scope quiet(quiet_);
    GtkAdjustment* range = gtk_range_get_adjustment(GTK_RANGE(At(id).widget));
    const double value =
        std::clamp(gtk_adjustment_get_value(range), double(minimum), double(std::max(minimum, maximum)));
    gtk_adjustment_configure(range, value, minimum, std::max(minimum, maximum), 1, 1, 0);
}

void GtkControls::SliderSetPosition(int id, int position) {
    Scope quiet(quiet_);
    gtk_range_set_value(GTK_RANGE(At(id).widget), position);
}

int GtkControls::SliderPosition(int id) const {
    return static_cast<int>(gtk_range_get_value(GTK_RANGE(At(id).widget)) + 0.5);
}

void GtkControls::SliderSetTickSpacing(int id, int spacing) {
    GtkWidget* scale = At(id).widget;
    gtk_scale_clear_marks(GTK_SCALE(scale));
    if (spacing <= 0)
        return;
    GtkAdjustment* range = gtk_range_get_adjustment(GTK_RANGE(scale));
    const int lower = static_cast<int>(gtk_adjustment_get_lower(range));
    const int upper = static_cast<int>(gtk_adjustment_get_upper(range));
    for (int tick = lower; tick <= upper; tick += spacing)
        gtk_scale_add_mark(GTK_SCALE(scale), tick, GTK_POS_BOTTOM, nullptr);
}

void GtkControls::SpinSetUp(int id, int minimum, int maximum, int16_t, int buddy) {
    Widget& w = At(id);
    w.minimum = minimum;
    w.maximum = maximum;
    w.buddy = buddy;
}

// An arrow of the spin control: the buddy's number one step on, within the
// range, written into the buddy (which notifies its change).
void GtkControls::Step(int spinId, int delta) {
    const Widget& spin = At(spinId);
    if (!spin.buddy || spin.minimum == spin.maximum)
        return;
    const int next = std::clamp(GetInt(spin.buddy) + delta, std::min(spin.minimum, spin.maximum),
                                std::max(spin.minimum, spin.maximum));
    SetInt(spin.buddy, next);
}

void GtkControls::TabInsert(int id, int index, const std::string& text) {
    Scope quiet(quiet_);
    GtkWidget* body = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_widget_show(body);
    gtk_notebook_insert_page(GTK_NOTEBOOK(At(id).widget), body, gtk_label_new(ToGtk(text).c_str()), index);
    gtk_widget_show_all(At(id).widget);
}

int GtkControls::TabSelection(int id) const { return gtk_notebook_get_current_page(GTK_NOTEBOOK(At(id).widget)); }

Controls* GtkControls::CreatePage(int templateId, DialogHandler& handler) {
    const DialogTemplate* page = FindTemplate(templateId);
    const ControlLayout* tab = template_.Find(1001);
    if (!page || !tab)
        return nullptr;
    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, PixelsX(page->width), PixelsY(page->height));
    gtk_fixed_put(GTK_FIXED(container_), fixed, PixelsX(tab->x) + kPageX, PixelsY(tab->y) + kPageY);
    pages_.push_back(std::make_unique<GtkControls>(*page, handler, fixed));
    // A page starts hidden, with its controls ready to show.
    gtk_widget_show_all(fixed);
    gtk_widget_hide(fixed);
    handler.OnInit(*pages_.back());
    return pages_.back().get();
}

void GtkControls::ShowPage(Controls& page, bool visible) {
    GtkWidget* fixed = static_cast<GtkControls&>(page).Container();
    if (visible)
        gtk_widget_show(fixed);
    else
        gtk_widget_hide(fixed);
}

void GtkControls::EndDialog(int result) {
    result_ = result;
    if (onEnd_)
        onEnd_(result);
}

}  // namespace tavrin::dialogs::gtk
