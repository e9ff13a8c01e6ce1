#include "viewer/region_menu.h"

#include <gdk/gdkkeysyms.h>

#include <string>

namespace tavrin::viewer {

RegionMenu::RegionMenu(const Texts& texts, Choose choose, bool showShortcuts)
    : texts_(texts), choose_(std::move(choose)), showShortcuts_(showShortcuts) {
    menu_ = gtk_menu_new();
    fullSensor_ = AddEntry(texts_.fullSensor, kFullSensor);
    if (showShortcuts_) {
        gtk_accel_label_set_accel(GTK_ACCEL_LABEL(gtk_bin_get_child(GTK_BIN(fullSensor_))), GDK_KEY_f,
                                  static_cast<GdkModifierType>(GDK_CONTROL_MASK | GDK_SHIFT_MASK));
    }
    separator_ = gtk_separator_menu_item_new();
    gtk_menu_shell_append(GTK_MENU_SHELL(menu_), separator_);
    gtk_widget_show_all(menu_);
    gtk_widget_hide(separator_);  // shown with the first preset
}

// Check items drawn as radio buttons: the mark shows the region in use.
GtkWidget* RegionMenu::AddEntry(const std::string& label, int preset) {
    GtkWidget* item = gtk_check_menu_item_new_with_mnemonic(label.c_str());
    gtk_check_menu_item_set_draw_as_radio(GTK_CHECK_MENU_ITEM(item), TRUE);
    g_object_set_data(G_OBJECT(item), "preset", GINT_TO_POINTER(preset));
    g_signal_connect(item, "activate", G_CALLBACK(Activated), this);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu_), item);
    return item;
}

void RegionMenu::Activated(GtkMenuItem* item, gpointer data) {
    auto& self = *static_cast<RegionMenu*>(data);
    if (self.marking_) {
        return;  // setting a mark activates the item too
    }
    self.choose_(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), "preset")));
}

std::string RegionMenu::Label(const RegionPreset& preset) const {
    return std::to_string(preset.width) + " x " + std::to_string(preset.height) + texts_.regionAt + "(" +
           std::to_string(preset.left) + ", " + std::to_string(preset.top) + ")";
}

void RegionMenu::Show(const std::vector<RegionPreset>& presets, const std::array<int, 4>& region, int sensorWidth,
                      int sensorHeight) {
    if (presets != shown_) {
        for (GtkWidget* item : presetItems_) {
            gtk_widget_destroy(item);
        }
        presetItems_.clear();
        shown_ = presets;
        for (size_t i = 0; i < shown_.size(); ++i) {
            GtkWidget* item = AddEntry(Label(shown_[i]), static_cast<int>(i));
            if (showShortcuts_ && i < kShortcutPresets) {
                gtk_accel_label_set_accel(GTK_ACCEL_LABEL(gtk_bin_get_child(GTK_BIN(item))),
                                          GDK_KEY_1 + static_cast<guint>(i), GDK_MOD1_MASK);
            }
            gtk_widget_show(item);
            presetItems_.push_back(item);
        }
        gtk_widget_set_visible(separator_, !shown_.empty());
    }
    marking_ = true;
    const RegionPreset current{region[0], region[1], region[2], region[3]};
    const bool full = current == RegionPreset{0, 0, sensorWidth, sensorHeight};
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(fullSensor_), full);
    for (size_t i = 0; i < presetItems_.size(); ++i) {
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(presetItems_[i]), !full && shown_[i] == current);
    }
    marking_ = false;
}

}  // namespace tavrin::viewer
