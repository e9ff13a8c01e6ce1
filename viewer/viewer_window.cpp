#include "viewer/viewer_window.h"

#include <gdk/gdkkeysyms.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "TavrinSim.h"
#include "viewer/region.h"

namespace tavrin::viewer {

struct ViewerWindow::SettingRow {
    TavrinSettingInfo info{};
    GtkWidget* label = nullptr;
    GtkWidget* control = nullptr;  // the box or widget in the grid's second column
    GtkWidget* focus = nullptr;    // what Enter in the search field focuses
    GtkAdjustment* adjustment = nullptr;
    GtkWidget* check = nullptr;
    GtkWidget* combo = nullptr;
    ViewerWindow* owner = nullptr;
};

namespace {

constexpr double kMinScale = 1.0 / 16;
constexpr double kMaxScale = 32;
constexpr double kWheelStep = 1.25;
constexpr gint64 kStatusPeriodUs = 250000;
// A drag shorter than this many picture pixels is a click, not a region.
constexpr double kMinDrag = 8;

int FormatOfFile(const std::string& path) {
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos) {
        return -1;
    }
    gchar* lower = g_ascii_strdown(path.c_str() + dot + 1, -1);
    const std::string extension = lower;
    g_free(lower);
    if (extension == "bmp") {
        return 0;
    }
    if (extension == "raw") {
        return 1;
    }
    if (extension == "jpg" || extension == "jpeg") {
        return 2;
    }
    if (extension == "png") {
        return 5;
    }
    if (extension == "tif" || extension == "tiff") {
        return 6;
    }
    return -1;
}

// The status bar names an error code as the SDK's header does; a number
// that is no code shows as itself.
std::string ErrorName(int code) {
    char name[32];
    return TavrinEx_GetErrorName(code, name, sizeof name) ? std::string(name) : std::to_string(code);
}

const char* ModeName(int bits) {
    switch (bits) {
    case 8:
        return "8-bit mono";
    case 16:
        return "10-bit mono";
    case 24:
        return "24-bit colour";
    case 32:
        return "32-bit colour";
    case 48:
        return "48-bit colour";
    case 64:
        return "64-bit colour";
    default:
        return "?";
    }
}

template <typename Function>
void Connect(gpointer instance, const char* signal, Function function, gpointer data) {
    g_signal_connect(instance, signal, G_CALLBACK(function), data);
}

template <typename Shortcuts>
GtkWidget* AddItem(GtkWidget* menu, GtkWidget* item, Shortcuts& shortcuts, guint key, GdkModifierType mods) {
    if (key != 0) {
        gtk_accel_label_set_accel(GTK_ACCEL_LABEL(gtk_bin_get_child(GTK_BIN(item))), key, mods);
        shortcuts.push_back({key, static_cast<guint>(mods), item});
    }
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    return item;
}

template <typename Shortcuts>
GtkWidget* MenuItem(GtkWidget* menu, const char* label, Shortcuts& shortcuts, guint key, GdkModifierType mods) {
    return AddItem(menu, gtk_menu_item_new_with_mnemonic(label), shortcuts, key, mods);
}

template <typename Shortcuts>
GtkWidget* CheckItem(GtkWidget* menu, const char* label, Shortcuts& shortcuts, guint key, GdkModifierType mods) {
    return AddItem(menu, gtk_check_menu_item_new_with_mnemonic(label), shortcuts, key, mods);
}

GtkWidget* Submenu(GtkWidget* bar, const char* label) {
    GtkWidget* top = gtk_menu_item_new_with_mnemonic(label);
    GtkWidget* menu = gtk_menu_new();
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(top), menu);
    gtk_menu_shell_append(GTK_MENU_SHELL(bar), top);
    return menu;
}

// A menu text as a plain label: "_Readout region" and "読み出し領域(_R)"
// without their mnemonics.
std::string PlainLabel(const char* text) {
    std::string plain = text;
    if (const auto open = plain.find("(_"); open != std::string::npos && plain.find(')', open) == open + 3) {
        plain.erase(open, 4);
    }
    plain.erase(std::remove(plain.begin(), plain.end(), '_'), plain.end());
    return plain;
}

std::string Percent(uint32_t part, uint32_t whole) {
    char text[32];
    g_snprintf(text, sizeof text, "%.1f %%", whole ? 100.0 * part / whole : 0.0);
    return text;
}

}  // namespace

// GTK's C callbacks, each handing over to the window.
struct Callbacks {
    static void Action(GtkWidget*, gpointer data) {
        auto* action = static_cast<std::pair<ViewerWindow*, void (ViewerWindow::*)()>*>(data);
        (action->first->*action->second)();
    }
    static gboolean Draw(GtkWidget*, cairo_t* cr, gpointer data) {
        static_cast<ViewerWindow*>(data)->DrawPicture(cr);
        return TRUE;
    }
    static gboolean DrawHistogram(GtkWidget*, cairo_t* cr, gpointer data) {
        static_cast<ViewerWindow*>(data)->DrawHistogram(cr);
        return TRUE;
    }
    static gboolean Scroll(GtkWidget*, GdkEventScroll* event, gpointer data) {
        auto& w = *static_cast<ViewerWindow*>(data);
        double direction = 0;
        if (event->direction == GDK_SCROLL_UP) {
            direction = 1;
        } else if (event->direction == GDK_SCROLL_DOWN) {
            direction = -1;
        } else if (event->direction == GDK_SCROLL_SMOOTH) {
            direction = -event->delta_y;
        }
        if (direction == 0 || !w.havePicture_) {
            return FALSE;
        }
        double scale = 1, x = 0, y = 0;
        w.PictureTransform(scale, x, y);
        const double wanted = std::clamp(scale * std::pow(kWheelStep, direction), kMinScale, kMaxScale);
        // The picture point under the pointer stays under it.
        w.fit_ = false;
        w.originX_ = event->x - (event->x - x) * wanted / scale;
        w.originY_ = event->y - (event->y - y) * wanted / scale;
        w.scale_ = wanted;
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(w.fitItem_), FALSE);
        gtk_widget_queue_draw(w.picture_);
        return TRUE;
    }
    static gboolean Press(GtkWidget* widget, GdkEventButton* event, gpointer data) {
        auto& w = *static_cast<ViewerWindow*>(data);
        gtk_widget_grab_focus(widget);
        if (event->type != GDK_BUTTON_PRESS) {
            return FALSE;
        }
        if (event->button == 2 || event->button == 3) {
            double scale = 1, x = 0, y = 0;
            w.PictureTransform(scale, x, y);
            w.fit_ = false;
            w.scale_ = scale;
            w.originX_ = x;
            w.originY_ = y;
            gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(w.fitItem_), FALSE);
            w.panning_ = true;
            w.panX_ = event->x;
            w.panY_ = event->y;
            return TRUE;
        }
        if (event->button == 1 && w.havePicture_) {
            double px = 0, py = 0;
            w.ToPicture(event->x, event->y, px, py);
            w.dragging_ = true;
            w.dragStartX_ = w.dragEndX_ = std::clamp(px, 0.0, double(w.front_->width));
            w.dragStartY_ = w.dragEndY_ = std::clamp(py, 0.0, double(w.front_->height));
            return TRUE;
        }
        return FALSE;
    }
    static gboolean Release(GtkWidget*, GdkEventButton* event, gpointer data) {
        auto& w = *static_cast<ViewerWindow*>(data);
        if (event->button == 1 && w.dragging_) {
            w.dragging_ = false;
            w.ApplyRegionDrag();
            gtk_widget_queue_draw(w.picture_);
        }
        if (event->button == 2 || event->button == 3) {
            w.panning_ = false;
        }
        return TRUE;
    }
    static gboolean Motion(GtkWidget*, GdkEventMotion* event, gpointer data) {
        auto& w = *static_cast<ViewerWindow*>(data);
        w.pointerInside_ = true;
        w.pointerX_ = event->x;
        w.pointerY_ = event->y;
        if (w.panning_) {
            w.originX_ += event->x - w.panX_;
            w.originY_ += event->y - w.panY_;
            w.panX_ = event->x;
            w.panY_ = event->y;
            gtk_widget_queue_draw(w.picture_);
        }
        if (w.dragging_ && w.havePicture_) {
            double px = 0, py = 0;
            w.ToPicture(event->x, event->y, px, py);
            w.dragEndX_ = std::clamp(px, 0.0, double(w.front_->width));
            w.dragEndY_ = std::clamp(py, 0.0, double(w.front_->height));
            gtk_widget_queue_draw(w.picture_);
        }
        w.UpdatePixelReadout();
        return FALSE;
    }
    static gboolean Leave(GtkWidget*, GdkEventCrossing*, gpointer data) {
        auto& w = *static_cast<ViewerWindow*>(data);
        w.pointerInside_ = false;
        w.UpdatePixelReadout();
        return FALSE;
    }
    static gboolean Key(GtkWidget* window, GdkEventKey* event, gpointer data) {
        auto& w = *static_cast<ViewerWindow*>(data);
        const guint mods = event->state & gtk_accelerator_get_default_mod_mask();
        GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
        const bool typing = focus && GTK_IS_EDITABLE(focus);
        if (event->keyval == GDK_KEY_space && mods == 0 && !typing) {
            w.SoftwareTrigger();
            return TRUE;
        }
        if ((event->keyval == GDK_KEY_f || event->keyval == GDK_KEY_F) && mods == GDK_CONTROL_MASK) {
            gtk_widget_grab_focus(w.search_);
            return TRUE;
        }
        // Alt+1 to Alt+9: the stored readout windows, as the region menu shows.
        if (mods == GDK_MOD1_MASK && event->keyval >= GDK_KEY_1 &&
            event->keyval < GDK_KEY_1 + RegionMenu::kShortcutPresets) {
            w.ChoosePreset(static_cast<int>(event->keyval - GDK_KEY_1));
            return TRUE;
        }
        const guint key = gdk_keyval_to_lower(event->keyval);
        for (const auto& shortcut : w.shortcuts_) {
            if (shortcut.key == key && shortcut.mods == mods) {
                gtk_menu_item_activate(GTK_MENU_ITEM(shortcut.item));
                return TRUE;
            }
        }
        if (event->keyval == GDK_KEY_Escape && w.fullScreen_) {
            w.ToggleFullScreen();
            return TRUE;
        }
        return FALSE;
    }
    static gboolean Delete(GtkWidget*, GdkEvent*, gpointer data) {
        static_cast<ViewerWindow*>(data)->Quit();
        return TRUE;
    }
    static void Toggled(GtkCheckMenuItem* item, gpointer data) {
        auto& w = *static_cast<ViewerWindow*>(data);
        if (w.updating_) {
            return;
        }
        const bool on = gtk_check_menu_item_get_active(item);
        if (GTK_WIDGET(item) == w.fitItem_) {
            if (on) {
                w.FitToWindow();
            }
        } else if (GTK_WIDGET(item) == w.logItem_) {
            w.logHistogram_ = on;
            gtk_widget_queue_draw(w.histogram_);
        } else if (GTK_WIDGET(item) == w.triggerItem_) {
            w.SetTriggerMode(on);
        }
    }
    static void ToolToggled(GtkToggleButton* button, gpointer data) {
        auto& w = *static_cast<ViewerWindow*>(data);
        if (w.updating_) {
            return;
        }
        if (GTK_WIDGET(button) == w.triggerToggle_) {
            w.SetTriggerMode(gtk_toggle_button_get_active(button));
        } else if (GTK_WIDGET(button) == w.recordToggle_) {
            w.ToggleRecording();
        }
    }
    static void CameraChosen(GtkCheckMenuItem* item, gpointer data) {
        auto& w = *static_cast<ViewerWindow*>(data);
        if (w.updating_ || !gtk_check_menu_item_get_active(item)) {
            return;
        }
        w.session_.SelectCamera(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), "slot")));
    }
    static void RangeChanged(GtkAdjustment* adjustment, gpointer data) {
        auto* row = static_cast<ViewerWindow::SettingRow*>(data);
        if (!row->owner->updating_) {
            row->owner->session_.SetSetting(row->info.name, static_cast<int>(gtk_adjustment_get_value(adjustment)));
        }
    }
    static void CheckChanged(GtkToggleButton* button, gpointer data) {
        auto* row = static_cast<ViewerWindow::SettingRow*>(data);
        if (!row->owner->updating_) {
            row->owner->session_.SetSetting(row->info.name, gtk_toggle_button_get_active(button) ? 1 : 0);
        }
    }
    static void ComboChanged(GtkComboBox* combo, gpointer data) {
        auto* row = static_cast<ViewerWindow::SettingRow*>(data);
        const int active = gtk_combo_box_get_active(combo);
        if (!row->owner->updating_ && active >= 0 && active < row->info.valueCount) {
            row->owner->session_.SetSetting(row->info.name, row->info.values[active]);
        }
    }
    static void SearchChanged(GtkSearchEntry*, gpointer data) { static_cast<ViewerWindow*>(data)->FilterSettings(); }
    // Enter in the search field goes to the setting named exactly so, or
    // else to the first one shown.
    static void SearchActivated(GtkEntry* entry, gpointer data) {
        auto& w = *static_cast<ViewerWindow*>(data);
        const std::string text = gtk_entry_get_text(entry);
        ViewerWindow::SettingRow* chosen = nullptr;
        for (auto& row : w.rows_) {
            if (text == row->info.name) {
                chosen = row.get();
                break;
            }
            if (!chosen && gtk_widget_get_visible(row->label)) {
                chosen = row.get();
            }
        }
        if (chosen) {
            gtk_widget_grab_focus(chosen->focus);
        }
    }
    static void Defaults(GtkButton*, gpointer data) { static_cast<ViewerWindow*>(data)->session_.ApplyDefaults(); }
    static void Dialog(GtkMenuItem* item, gpointer data) {
        static_cast<ViewerWindow*>(data)->OpenDialog(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), "dialog")));
    }
    static void Presence(GtkMenuItem* item, gpointer data) {
        static_cast<ViewerWindow*>(data)->session_.SimulatePresence(
            GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), "present")) != 0);
    }
};

namespace {

// Binds a menu item or button to one of the window's actions; the binding
// lives as long as the widget.
void Bind(GtkWidget* widget, const char* signal, ViewerWindow* window, void (ViewerWindow::*action)()) {
    auto* binding = new std::pair<ViewerWindow*, void (ViewerWindow::*)()>(window, action);
    g_object_set_data_full(G_OBJECT(widget), "action", binding, [](gpointer data) {
        delete static_cast<std::pair<ViewerWindow*, void (ViewerWindow::*)()>*>(data);
    });
    g_signal_connect(widget, signal, G_CALLBACK(Callbacks::Action), binding);
}

}  // namespace

ViewerWindow::ViewerWindow(ViewerOptions options)
    : options_(std::move(options)),
      texts_(UserTexts()),
      session_(
          options_.slot, [this] { g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, &ViewerWindow::FrameIdle, this, nullptr); },
          [this] { g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, &ViewerWindow::StateIdle, this, nullptr); }) {}

ViewerWindow::~ViewerWindow() {
    session_.Close();
    if (surface_) {
        cairo_surface_destroy(surface_);
    }
}

bool ViewerWindow::Start() {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window_), texts_.title);
    gtk_window_set_default_size(GTK_WINDOW(window_), 1100, 680);
    gtk_window_set_icon_name(GTK_WINDOW(window_), "tavrin-viewer");
    Connect(window_, "delete-event", Callbacks::Delete, this);
    Connect(window_, "key-press-event", Callbacks::Key, this);

    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_container_add(GTK_CONTAINER(window_), box);
    if (!session_.Open()) {
        return false;
    }
    state_ = session_.CopyState();
    BuildMenus(box);
    BuildToolbar(box);

    GtkWidget* paned = gtk_paned_new(GTK_ORIENTATION_HORIZONTAL);
    gtk_box_pack_start(GTK_BOX(box), paned, TRUE, TRUE, 0);
    picture_ = gtk_drawing_area_new();
    gtk_widget_set_can_focus(picture_, TRUE);
    gtk_widget_set_size_request(picture_, 320, 240);
    gtk_widget_set_tooltip_text(picture_, texts_.regionHint);
    gtk_widget_add_events(picture_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                        GDK_SCROLL_MASK | GDK_LEAVE_NOTIFY_MASK);
    Connect(picture_, "draw", Callbacks::Draw, this);
    Connect(picture_, "scroll-event", Callbacks::Scroll, this);
    Connect(picture_, "button-press-event", Callbacks::Press, this);
    Connect(picture_, "button-release-event", Callbacks::Release, this);
    Connect(picture_, "motion-notify-event", Callbacks::Motion, this);
    Connect(picture_, "leave-notify-event", Callbacks::Leave, this);
    gtk_paned_pack1(GTK_PANED(paned), picture_, TRUE, FALSE);
    sidePanel_ = BuildSidePanel();
    gtk_paned_pack2(GTK_PANED(paned), sidePanel_, FALSE, FALSE);

    GtkWidget* status = statusBar_ = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    gtk_container_set_border_width(GTK_CONTAINER(status), 3);
    statusLabel_ = gtk_label_new("");
    noticeLabel_ = gtk_label_new("");
    pixelLabel_ = gtk_label_new("");
    gtk_label_set_ellipsize(GTK_LABEL(noticeLabel_), PANGO_ELLIPSIZE_START);
    gtk_box_pack_start(GTK_BOX(status), statusLabel_, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(status), noticeLabel_, TRUE, TRUE, 0);
    gtk_box_pack_end(GTK_BOX(status), pixelLabel_, FALSE, FALSE, 0);
    gtk_box_pack_end(GTK_BOX(box), status, FALSE, FALSE, 0);
    gtk_box_reorder_child(GTK_BOX(box), status, -1);

    gtk_widget_show_all(window_);
    gtk_widget_grab_focus(picture_);
    OnState();
    return true;
}

void ViewerWindow::BuildMenus(GtkWidget* box) {
    menuBar_ = gtk_menu_bar_new();
    const auto ctrl = GDK_CONTROL_MASK;
    const auto ctrlShift = static_cast<GdkModifierType>(GDK_CONTROL_MASK | GDK_SHIFT_MASK);
    const auto none = static_cast<GdkModifierType>(0);

    GtkWidget* file = Submenu(menuBar_, texts_.menuFile);
    Bind(MenuItem(file, texts_.snapshot, shortcuts_, GDK_KEY_s, ctrl), "activate", this, &ViewerWindow::Snapshot);
    Bind(MenuItem(file, texts_.saveAs, shortcuts_, GDK_KEY_s, ctrlShift), "activate", this, &ViewerWindow::SaveAs);
    Bind(MenuItem(file, texts_.record, shortcuts_, GDK_KEY_r, ctrl), "activate", this, &ViewerWindow::ToggleRecording);
    gtk_menu_shell_append(GTK_MENU_SHELL(file), gtk_separator_menu_item_new());
    Bind(MenuItem(file, texts_.quit, shortcuts_, GDK_KEY_q, ctrl), "activate", this, &ViewerWindow::Quit);

    GtkWidget* view = Submenu(menuBar_, texts_.menuView);
    fitItem_ = CheckItem(view, texts_.fitToWindow, shortcuts_, GDK_KEY_0, ctrl);
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(fitItem_), TRUE);
    Connect(fitItem_, "toggled", Callbacks::Toggled, this);
    Bind(MenuItem(view, texts_.actualSize, shortcuts_, GDK_KEY_1, ctrl), "activate", this, &ViewerWindow::ActualSize);
    Bind(MenuItem(view, texts_.fullScreen, shortcuts_, GDK_KEY_F11, none), "activate", this,
         &ViewerWindow::ToggleFullScreen);
    logItem_ = CheckItem(view, texts_.logHistogram, shortcuts_, GDK_KEY_l, ctrl);
    Connect(logItem_, "toggled", Callbacks::Toggled, this);

    cameraMenu_ = Submenu(menuBar_, texts_.menuCamera);
    cameraMenuTail_ = gtk_separator_menu_item_new();
    gtk_menu_shell_append(GTK_MENU_SHELL(cameraMenu_), cameraMenuTail_);
    triggerItem_ = CheckItem(cameraMenu_, texts_.triggerMode, shortcuts_, GDK_KEY_t, ctrl);
    Connect(triggerItem_, "toggled", Callbacks::Toggled, this);
    // Space is taken by the window's key handler (not while typing), so
    // the menu only shows it.
    fireItem_ = MenuItem(cameraMenu_, texts_.softwareTrigger, shortcuts_, 0, none);
    gtk_accel_label_set_accel(GTK_ACCEL_LABEL(gtk_bin_get_child(GTK_BIN(fireItem_))), GDK_KEY_space, none);
    Bind(fireItem_, "activate", this, &ViewerWindow::SoftwareTrigger);
    GtkWidget* region = MenuItem(cameraMenu_, texts_.readoutRegion, shortcuts_, 0, none);
    const auto choose = [this](int preset) { ChoosePreset(preset); };
    regionMenu_ = std::make_unique<RegionMenu>(texts_, choose, true);
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(region), regionMenu_->Menu());
    shortcuts_.push_back({GDK_KEY_f, static_cast<guint>(ctrlShift), regionMenu_->FullSensorItem()});
    gtk_menu_shell_append(GTK_MENU_SHELL(cameraMenu_), gtk_separator_menu_item_new());
    const char* dialogs[] = {texts_.cameraDialog, texts_.analogDialog, texts_.imageDialog};
    for (int i = 0; i < 3; ++i) {
        GtkWidget* item = MenuItem(cameraMenu_, dialogs[i], shortcuts_, 0, none);
        g_object_set_data(G_OBJECT(item), "dialog", GINT_TO_POINTER(i));
        Connect(item, "activate", Callbacks::Dialog, this);
    }

    if (state_.simulator) {
        GtkWidget* simulator = Submenu(menuBar_, texts_.menuSimulator);
        GtkWidget* unplug = MenuItem(simulator, texts_.unplug, shortcuts_, GDK_KEY_d, ctrlShift);
        g_object_set_data(G_OBJECT(unplug), "present", GINT_TO_POINTER(0));
        Connect(unplug, "activate", Callbacks::Presence, this);
        GtkWidget* plug = MenuItem(simulator, texts_.plugIn, shortcuts_, GDK_KEY_a, ctrlShift);
        g_object_set_data(G_OBJECT(plug), "present", GINT_TO_POINTER(1));
        Connect(plug, "activate", Callbacks::Presence, this);
    }
    gtk_box_pack_start(GTK_BOX(box), menuBar_, FALSE, FALSE, 0);
}

void ViewerWindow::BuildToolbar(GtkWidget* box) {
    toolbar_ = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
    gtk_container_set_border_width(GTK_CONTAINER(toolbar_), 3);
    auto button = [&](const char* label, void (ViewerWindow::*action)()) {
        GtkWidget* b = gtk_button_new_with_mnemonic(label);
        gtk_widget_set_can_focus(b, FALSE);
        Bind(b, "clicked", this, action);
        gtk_box_pack_start(GTK_BOX(toolbar_), b, FALSE, FALSE, 0);
        return b;
    };
    button(texts_.fitToWindow, &ViewerWindow::FitToWindow);
    button(texts_.actualSize, &ViewerWindow::ActualSize);
    button(texts_.snapshot, &ViewerWindow::Snapshot);
    recordToggle_ = gtk_toggle_button_new_with_mnemonic(texts_.record);
    triggerToggle_ = gtk_toggle_button_new_with_mnemonic(texts_.triggerMode);
    for (GtkWidget* toggle : {recordToggle_, triggerToggle_}) {
        gtk_widget_set_can_focus(toggle, FALSE);
        Connect(toggle, "toggled", Callbacks::ToolToggled, this);
        gtk_box_pack_start(GTK_BOX(toolbar_), toggle, FALSE, FALSE, 0);
    }
    fireButton_ = button(texts_.softwareTrigger, &ViewerWindow::SoftwareTrigger);
    const auto choose = [this](int preset) { ChoosePreset(preset); };
    regionPopup_ = std::make_unique<RegionMenu>(texts_, choose, false);
    GtkWidget* region = gtk_menu_button_new();
    gtk_button_set_label(GTK_BUTTON(region), PlainLabel(texts_.readoutRegion).c_str());
    gtk_widget_set_can_focus(region, FALSE);
    gtk_menu_button_set_popup(GTK_MENU_BUTTON(region), regionPopup_->Menu());
    gtk_box_pack_start(GTK_BOX(toolbar_), region, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), toolbar_, FALSE, FALSE, 0);
}

GtkWidget* ViewerWindow::BuildSidePanel() {
    GtkWidget* panel = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
    gtk_container_set_border_width(GTK_CONTAINER(panel), 4);
    gtk_widget_set_size_request(panel, 380, -1);

    GtkWidget* heading = gtk_label_new(texts_.histogram);
    gtk_widget_set_halign(heading, GTK_ALIGN_START);
    gtk_box_pack_start(GTK_BOX(panel), heading, FALSE, FALSE, 0);
    histogram_ = gtk_drawing_area_new();
    gtk_widget_set_size_request(histogram_, 256, 120);
    Connect(histogram_, "draw", Callbacks::DrawHistogram, this);
    gtk_box_pack_start(GTK_BOX(panel), histogram_, FALSE, FALSE, 0);
    clipLabel_ = gtk_label_new("");
    gtk_widget_set_halign(clipLabel_, GTK_ALIGN_START);
    gtk_box_pack_start(GTK_BOX(panel), clipLabel_, FALSE, FALSE, 0);

    GtkWidget* settingsHeading = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
    GtkWidget* settingsLabel = gtk_label_new(texts_.settings);
    gtk_box_pack_start(GTK_BOX(settingsHeading), settingsLabel, FALSE, FALSE, 0);
    GtkWidget* defaults = gtk_button_new_with_label(texts_.defaults);
    Connect(defaults, "clicked", Callbacks::Defaults, this);
    gtk_box_pack_end(GTK_BOX(settingsHeading), defaults, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(panel), settingsHeading, FALSE, FALSE, 0);

    search_ = gtk_search_entry_new();
    gtk_entry_set_placeholder_text(GTK_ENTRY(search_), texts_.findSetting);
    Connect(search_, "search-changed", Callbacks::SearchChanged, this);
    Connect(search_, "activate", Callbacks::SearchActivated, this);
    gtk_box_pack_start(GTK_BOX(panel), search_, FALSE, FALSE, 0);

    GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 2);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 6);
    BuildSettingRows(grid);
    gtk_container_add(GTK_CONTAINER(scrolled), grid);
    gtk_box_pack_start(GTK_BOX(panel), scrolled, TRUE, TRUE, 0);
    return panel;
}

// One row per setting of the catalogue, grouped as the catalogue groups
// them: a slider and a number for a range, a check box for a boolean, a
// list for a list. The tooltip carries the meaning, range, unit and default.
void ViewerWindow::BuildSettingRows(GtkWidget* grid) {
    // The catalogue's order within each group, groups in the order they first appear.
    std::vector<TavrinSettingInfo> catalogue;
    std::vector<std::string> groups;
    for (int i = 0; i < TavrinEx_GetSettingCount(); ++i) {
        TavrinSettingInfo info{};
        info.size = sizeof info;
        if (TavrinEx_DescribeSetting(i, &info)) {
            catalogue.push_back(info);
            if (std::find(groups.begin(), groups.end(), info.group) == groups.end()) {
                groups.emplace_back(info.group);
            }
        }
    }
    std::stable_sort(catalogue.begin(), catalogue.end(), [&](const auto& a, const auto& b) {
        return std::find(groups.begin(), groups.end(), a.group) < std::find(groups.begin(), groups.end(), b.group);
    });
    int line = 0;
    std::string group;
    for (const TavrinSettingInfo& described : catalogue) {
        auto row = std::make_unique<SettingRow>();
        row->owner = this;
        row->info = described;
        const TavrinSettingInfo& info = row->info;
        if (group != info.group) {
            group = info.group;
            GtkWidget* heading = gtk_label_new(nullptr);
            gchar* markup = g_markup_printf_escaped("<b>%s</b>", info.group);
            gtk_label_set_markup(GTK_LABEL(heading), markup);
            g_free(markup);
            gtk_widget_set_halign(heading, GTK_ALIGN_START);
            gtk_grid_attach(GTK_GRID(grid), heading, 0, line++, 2, 1);
        }
        std::string name = info.name;
        if (*info.unit) {
            name += std::string(" (") + info.unit + ")";
        }
        gchar* tip = g_strdup_printf("%s\n%s: %d .. %d %s\n%s: %d", info.meaning, texts_.range, info.minimum,
                                     info.maximum, info.unit, texts_.defaultValue, info.defaultValue);
        row->label = gtk_label_new(name.c_str());
        gtk_widget_set_halign(row->label, GTK_ALIGN_START);
        if (info.kind == TAVRIN_SETTING_BOOLEAN) {
            row->check = gtk_check_button_new();
            row->control = row->focus = row->check;
            Connect(row->check, "toggled", Callbacks::CheckChanged, row.get());
        } else if (info.kind == TAVRIN_SETTING_LIST) {
            row->combo = gtk_combo_box_text_new();
            for (int v = 0; v < info.valueCount; ++v) {
                const std::string text = std::strcmp(info.name, "color-mode") == 0
                                             ? ModeName(info.values[v])
                                             : std::to_string(info.values[v]) + " " + info.unit;
                gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(row->combo), text.c_str());
            }
            row->control = row->focus = row->combo;
            Connect(row->combo, "changed", Callbacks::ComboChanged, row.get());
        } else {
            row->adjustment = gtk_adjustment_new(info.defaultValue, info.minimum, info.maximum, 1, 10, 0);
            GtkWidget* spin = gtk_spin_button_new(row->adjustment, 1, 0);
            gtk_spin_button_set_numeric(GTK_SPIN_BUTTON(spin), TRUE);
            gtk_entry_set_width_chars(GTK_ENTRY(spin), 8);
            row->focus = spin;
            GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
            // Ranges too wide for a slider (a wait in milliseconds, packed
            // gains) get the number alone.
            if (static_cast<int64_t>(info.maximum) - info.minimum <= 100000) {
                GtkWidget* scale = gtk_scale_new(GTK_ORIENTATION_HORIZONTAL, row->adjustment);
                gtk_scale_set_draw_value(GTK_SCALE(scale), FALSE);
                gtk_widget_set_hexpand(scale, TRUE);
                gtk_widget_set_size_request(scale, 140, -1);
                gtk_widget_set_tooltip_text(scale, tip);
                gtk_box_pack_start(GTK_BOX(box), scale, TRUE, TRUE, 0);
            }
            gtk_box_pack_end(GTK_BOX(box), spin, FALSE, FALSE, 0);
            row->control = box;
            Connect(row->adjustment, "value-changed", Callbacks::RangeChanged, row.get());
        }
        gtk_widget_set_tooltip_text(row->label, tip);
        gtk_widget_set_tooltip_text(row->focus, tip);
        g_free(tip);
        gtk_widget_set_hexpand(row->control, TRUE);
        gtk_grid_attach(GTK_GRID(grid), row->label, 0, line, 1, 1);
        gtk_grid_attach(GTK_GRID(grid), row->control, 1, line++, 1, 1);
        rows_.push_back(std::move(row));
    }
}

void ViewerWindow::ApplySettingValues(const std::vector<int>& values) {
    updating_ = true;
    for (auto& row : rows_) {
        const auto index = static_cast<size_t>(row->info.index);
        if (index >= values.size() || values[index] == kUnreadable) {
            continue;
        }
        const int value = values[index];
        if (row->adjustment) {
            gtk_adjustment_set_value(row->adjustment, value);
        } else if (row->check) {
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(row->check), value != 0);
        } else if (row->combo) {
            for (int v = 0; v < row->info.valueCount; ++v) {
                if (row->info.values[v] == value) {
                    gtk_combo_box_set_active(GTK_COMBO_BOX(row->combo), v);
                }
            }
        }
    }
    updating_ = false;
}

void ViewerWindow::FilterSettings() {
    const std::string text = gtk_entry_get_text(GTK_ENTRY(search_));
    for (auto& row : rows_) {
        const bool shown = text.empty() || std::strstr(row->info.name, text.c_str()) != nullptr;
        gtk_widget_set_visible(row->label, shown);
        gtk_widget_set_visible(row->control, shown);
    }
}

int ViewerWindow::SettingValue(const char* name) const {
    for (const auto& row : rows_) {
        const auto index = static_cast<size_t>(row->info.index);
        if (std::strcmp(row->info.name, name) == 0 && index < state_.settingValues.size()) {
            return state_.settingValues[index];
        }
    }
    return kUnreadable;
}

// ---- Pictures and state from the camera thread -----------------------------

gboolean ViewerWindow::FrameIdle(gpointer self) {
    static_cast<ViewerWindow*>(self)->OnFrame();
    return G_SOURCE_REMOVE;
}

gboolean ViewerWindow::StateIdle(gpointer self) {
    static_cast<ViewerWindow*>(self)->OnState();
    return G_SOURCE_REMOVE;
}

void ViewerWindow::OnFrame() {
    if (!session_.TakeNewestView(front_) || !front_ || front_->width <= 0 || front_->height <= 0) {
        return;
    }
    // One surface, reused while the picture keeps its size.
    if (!surface_ || cairo_image_surface_get_width(surface_) != front_->width ||
        cairo_image_surface_get_height(surface_) != front_->height) {
        if (surface_) {
            cairo_surface_destroy(surface_);
        }
        surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, front_->width, front_->height);
    }
    cairo_surface_flush(surface_);
    unsigned char* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    const size_t rowBytes = static_cast<size_t>(front_->width) * 4;
    for (int y = 0; y < front_->height; ++y) {
        std::memcpy(data + static_cast<ptrdiff_t>(y) * stride,
                    front_->pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(front_->width), rowBytes);
    }
    cairo_surface_mark_dirty(surface_);
    havePicture_ = true;
    ++viewRateCount_;
    gtk_widget_queue_draw(picture_);
    gtk_widget_queue_draw(histogram_);
    const gint64 now = g_get_monotonic_time();
    if (now - lastStatus_ >= kStatusPeriodUs) {
        lastStatus_ = now;
        if (viewRateStart_ == 0) {
            viewRateStart_ = now;
        } else if (now - viewRateStart_ >= 1000000) {
            viewRate_ = static_cast<double>(viewRateCount_) * 1e6 / static_cast<double>(now - viewRateStart_);
            viewRateStart_ = now;
            viewRateCount_ = 0;
        }
        UpdateStatus();
        UpdatePixelReadout();
    }
}

void ViewerWindow::OnState() {
    state_ = session_.CopyState();
    if (state_.settingsSerial != shownSettingsSerial_) {
        shownSettingsSerial_ = state_.settingsSerial;
        ApplySettingValues(state_.settingValues);
    }
    if (state_.cameras != shownCameras_) {
        shownCameras_ = state_.cameras;
        RebuildCameraMenu();
    }
    updating_ = true;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(recordToggle_), state_.recording);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(triggerToggle_), state_.triggerMode);
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(triggerItem_), state_.triggerMode);
    updating_ = false;
    if (state_.noticeSerial != shownNoticeSerial_) {
        shownNoticeSerial_ = state_.noticeSerial;
        std::string text;
        switch (state_.noticeKind) {
        case NoticeKind::Saved:
            text = std::string(texts_.saved) + ": " + state_.notice;
            break;
        case NoticeKind::Recorded:
            text = std::string(texts_.recorded) + ": " + state_.notice;
            break;
        case NoticeKind::Failed:
            text = std::string(texts_.failed) + ": " + state_.notice;
            break;
        case NoticeKind::NeedsLive:
            text = texts_.recordNeedsLive;
            break;
        case NoticeKind::Empty:
            break;
        }
        gtk_label_set_text(GTK_LABEL(noticeLabel_), text.c_str());
    }
    for (RegionMenu* menu : {regionMenu_.get(), regionPopup_.get()}) {
        menu->Show(state_.presets, state_.region, state_.sensorWidth, state_.sensorHeight);
    }
    UpdateTitle();
    UpdateStatus();
    gtk_widget_queue_draw(picture_);
}

void ViewerWindow::RebuildCameraMenu() {
    for (GtkWidget* item : cameraItems_) {
        gtk_widget_destroy(item);
    }
    cameraItems_.clear();
    GSList* group = nullptr;
    updating_ = true;
    int position = 0;
    for (const auto& camera : shownCameras_) {
        const std::string label = camera.name + "  (" + std::to_string(camera.slot) + ")";
        GtkWidget* item = gtk_radio_menu_item_new_with_label(group, label.c_str());
        group = gtk_radio_menu_item_get_group(GTK_RADIO_MENU_ITEM(item));
        g_object_set_data(G_OBJECT(item), "slot", GINT_TO_POINTER(camera.slot));
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), camera.slot == state_.slot);
        Connect(item, "toggled", Callbacks::CameraChosen, this);
        gtk_menu_shell_insert(GTK_MENU_SHELL(cameraMenu_), item, position++);
        gtk_widget_show(item);
        cameraItems_.push_back(item);
    }
    updating_ = false;
}

void ViewerWindow::UpdateTitle() {
    std::string title = texts_.title;
    title += " - ";
    title += state_.cameraName.empty() ? texts_.noCamera : state_.cameraName;
    if (state_.unplugged) {
        title += std::string(" - ") + texts_.unplugged;
    } else if (state_.recording) {
        title += std::string(" - ") + texts_.recording;
    }
    gtk_window_set_title(GTK_WINDOW(window_), title.c_str());
}

void ViewerWindow::UpdateStatus() {
    std::string text;
    char part[160];
    g_snprintf(part, sizeof part, "%.1f fps (%s %.1f)", state_.cameraRate, "view", viewRate_);
    text += part;
    if (havePicture_ && front_ && front_->hasMeta) {
        const TavrinFrameMeta& meta = front_->meta;
        g_snprintf(part, sizeof part, "  |  %s %llu  |  %s %llu  |  %s %d lines (%d \xC2\xB5s)  |  %s %d", texts_.frame,
                   static_cast<unsigned long long>(meta.frameNumber), texts_.dropped,
                   static_cast<unsigned long long>(meta.droppedFrames), texts_.exposure, meta.exposureLines,
                   state_.exposureUs, texts_.gain, meta.gain);
        text += part;
    }
    text += std::string("  |  ") + ModeName(state_.colourMode);
    g_snprintf(part, sizeof part, "  |  %d x %d", state_.region[2], state_.region[3]);
    text += part;
    text += std::string("  |  ") + texts_.lastError + ": " +
            (state_.lastError ? ErrorName(state_.lastError) : std::string(texts_.none));
    if (state_.recording) {
        text += std::string("  |  \xE2\x97\x8F ") + texts_.recording;
    }
    if (state_.triggerMode) {
        text += std::string("  |  ") + texts_.triggerMode;
    }
    gtk_label_set_text(GTK_LABEL(statusLabel_), text.c_str());

    // Clipped shares of the histogram's channels.
    if (havePicture_ && front_ && front_->histogram.samples > 0) {
        const Histogram& h = front_->histogram;
        static const char* kNames[] = {"R", "G", "B", "L"};
        std::string clips;
        for (int c = h.colour ? 0 : Histogram::kLuminance; c < Histogram::kChannels; ++c) {
            clips += std::string(kNames[c]) + ": " + texts_.clippedDark + " " + Percent(h.atZero[c], h.samples) + ", " +
                     texts_.clippedBright + " " + Percent(h.atFullScale[c], h.samples) + "\n";
        }
        if (!clips.empty()) {
            clips.pop_back();
        }
        gtk_label_set_text(GTK_LABEL(clipLabel_), clips.c_str());
    }
}

void ViewerWindow::UpdatePixelReadout() {
    std::string text;
    double px = 0, py = 0;
    if (pointerInside_ && havePicture_ && front_ && ToPicture(pointerX_, pointerY_, px, py)) {
        const int x = static_cast<int>(std::floor(px));
        const int y = static_cast<int>(std::floor(py));
        const std::string values = PixelValues(*front_, x, y);
        if (!values.empty()) {
            text = "(" + std::to_string(x) + ", " + std::to_string(y) + ")  " + values;
        }
    }
    gtk_label_set_text(GTK_LABEL(pixelLabel_), text.c_str());
}

// ---- Drawing -----------------------------------------------------------------

void ViewerWindow::PictureTransform(double& scale, double& originX, double& originY) const {
    if (!fit_ || !havePicture_ || !front_) {
        scale = scale_;
        originX = originX_;
        originY = originY_;
        return;
    }
    const double width = gtk_widget_get_allocated_width(picture_);
    const double height = gtk_widget_get_allocated_height(picture_);
    scale = std::min(width / front_->width, height / front_->height);
    if (scale <= 0) {
        scale = 1;
    }
    originX = (width - front_->width * scale) / 2;
    originY = (height - front_->height * scale) / 2;
}

bool ViewerWindow::ToPicture(double x, double y, double& pictureX, double& pictureY) const {
    double scale = 1, originX = 0, originY = 0;
    PictureTransform(scale, originX, originY);
    pictureX = (x - originX) / scale;
    pictureY = (y - originY) / scale;
    return front_ && pictureX >= 0 && pictureY >= 0 && pictureX < front_->width && pictureY < front_->height;
}

void ViewerWindow::DrawPicture(cairo_t* cr) {
    const double width = gtk_widget_get_allocated_width(picture_);
    const double height = gtk_widget_get_allocated_height(picture_);
    cairo_set_source_rgb(cr, 0.12, 0.12, 0.12);
    cairo_paint(cr);
    double scale = 1, originX = 0, originY = 0;
    PictureTransform(scale, originX, originY);
    if (havePicture_ && surface_) {
        cairo_save(cr);
        cairo_translate(cr, originX, originY);
        cairo_scale(cr, scale, scale);
        cairo_set_source_surface(cr, surface_, 0, 0);
        // Enlarged pixels stay sharp squares; reduced pictures are smoothed cheaply.
        cairo_pattern_set_filter(cairo_get_source(cr), scale >= 1 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_BILINEAR);
        cairo_rectangle(cr, 0, 0, cairo_image_surface_get_width(surface_), cairo_image_surface_get_height(surface_));
        cairo_fill(cr);
        cairo_restore(cr);
    }
    if (dragging_) {
        const double x0 = originX + std::min(dragStartX_, dragEndX_) * scale;
        const double y0 = originY + std::min(dragStartY_, dragEndY_) * scale;
        cairo_rectangle(cr, x0, y0, std::fabs(dragEndX_ - dragStartX_) * scale,
                        std::fabs(dragEndY_ - dragStartY_) * scale);
        cairo_set_source_rgba(cr, 1, 0.8, 0, 0.9);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
    }
    const char* message = nullptr;
    if (state_.unplugged) {
        message = texts_.unplugged;
    } else if (!state_.streaming && !havePicture_) {
        message = texts_.noCamera;
    } else if (state_.triggerMode && !havePicture_) {
        message = texts_.triggerWaiting;
    }
    if (message) {
        PangoLayout* layout = gtk_widget_create_pango_layout(picture_, message);
        PangoFontDescription* font = pango_font_description_from_string("Sans Bold 20");
        pango_layout_set_font_description(layout, font);
        int textWidth = 0, textHeight = 0;
        pango_layout_get_pixel_size(layout, &textWidth, &textHeight);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
        cairo_rectangle(cr, (width - textWidth) / 2 - 12, (height - textHeight) / 2 - 8, textWidth + 24,
                        textHeight + 16);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 1, 0.85, 0.3);
        cairo_move_to(cr, (width - textWidth) / 2, (height - textHeight) / 2);
        pango_cairo_show_layout(cr, layout);
        pango_font_description_free(font);
        g_object_unref(layout);
    }
}

void ViewerWindow::DrawHistogram(cairo_t* cr) {
    const double width = gtk_widget_get_allocated_width(histogram_);
    const double height = gtk_widget_get_allocated_height(histogram_);
    cairo_set_source_rgb(cr, 0.08, 0.08, 0.08);
    cairo_paint(cr);
    if (!havePicture_ || !front_ || front_->histogram.samples == 0) {
        return;
    }
    const Histogram& h = front_->histogram;
    static const double kColours[Histogram::kChannels][3] = {
        {1, 0.3, 0.3}, {0.3, 1, 0.3}, {0.4, 0.5, 1}, {0.9, 0.9, 0.9}};
    auto level = [&](uint32_t count) { return logHistogram_ ? std::log1p(double(count)) : double(count); };
    cairo_set_line_width(cr, 1);
    for (int c = h.colour ? 0 : Histogram::kLuminance; c < Histogram::kChannels; ++c) {
        double top = 1;
        for (uint32_t count : h.counts[c]) {
            top = std::max(top, level(count));
        }
        cairo_set_source_rgba(cr, kColours[c][0], kColours[c][1], kColours[c][2], 0.9);
        for (int bin = 0; bin < Histogram::kBins; ++bin) {
            const double x = (bin + 0.5) * width / Histogram::kBins;
            const double y = height - 1 - level(h.counts[c][bin]) / top * (height - 2);
            if (bin == 0) {
                cairo_move_to(cr, x, y);
            } else {
                cairo_line_to(cr, x, y);
            }
        }
        cairo_stroke(cr);
    }
}

// ---- Actions -------------------------------------------------------------------

std::string ViewerWindow::OutputFile(const char* extension) const {
    GDateTime* now = g_date_time_new_now_local();
    gchar* stamp = g_date_time_format(now, "%Y%m%d-%H%M%S");
    char name[96];
    g_snprintf(name, sizeof name, "tavrin-%s-%03d.%s", stamp, g_date_time_get_microsecond(now) / 1000, extension);
    g_free(stamp);
    g_date_time_unref(now);
    g_mkdir_with_parents(options_.outputDir.c_str(), 0755);
    gchar* path = g_build_filename(options_.outputDir.c_str(), name, nullptr);
    std::string result = path;
    g_free(path);
    return result;
}

void ViewerWindow::Snapshot() { session_.Snapshot(OutputFile("png"), FormatOfFile(".png")); }

void ViewerWindow::SaveAs() {
    GtkWidget* chooser =
        gtk_file_chooser_dialog_new(texts_.saveAs, GTK_WINDOW(window_), GTK_FILE_CHOOSER_ACTION_SAVE, texts_.cancel,
                                    GTK_RESPONSE_CANCEL, texts_.save, GTK_RESPONSE_ACCEPT, nullptr);
    gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(chooser), TRUE);
    gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), options_.outputDir.c_str());
    const std::string suggested = OutputFile("png");
    gchar* base = g_path_get_basename(suggested.c_str());
    gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(chooser), base);
    g_free(base);
    if (gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
        gchar* file = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
        if (file) {
            const int format = FormatOfFile(file);
            if (format < 0) {
                gtk_label_set_text(GTK_LABEL(noticeLabel_), texts_.unknownFormat);
            } else {
                session_.Snapshot(file, format);
            }
            g_free(file);
        }
    }
    gtk_widget_destroy(chooser);
}

void ViewerWindow::ToggleRecording() { session_.ToggleRecording(OutputFile("avi")); }

void ViewerWindow::SetTriggerMode(bool on) {
    havePicture_ = havePicture_ && !on;
    session_.SetTriggerMode(on);
}

void ViewerWindow::SoftwareTrigger() { session_.SoftwareTrigger(); }

void ViewerWindow::FullSensor() { session_.SetRegion(0, 0, state_.sensorWidth, state_.sensorHeight); }

void ViewerWindow::ChoosePreset(int preset) {
    if (preset == RegionMenu::kFullSensor) {
        FullSensor();
    } else if (preset >= 0 && static_cast<size_t>(preset) < state_.presets.size()) {
        const RegionPreset& chosen = state_.presets[static_cast<size_t>(preset)];
        session_.SetRegion(chosen.left, chosen.top, chosen.width, chosen.height);
    }
}

void ViewerWindow::ApplyRegionDrag() {
    if (!front_ || std::fabs(dragEndX_ - dragStartX_) < kMinDrag || std::fabs(dragEndY_ - dragStartY_) < kMinDrag) {
        return;
    }
    RegionRequest request;
    request.x0 = dragStartX_;
    request.y0 = dragStartY_;
    request.x1 = dragEndX_;
    request.y1 = dragEndY_;
    request.pictureWidth = front_->width;
    request.pictureHeight = front_->height;
    request.mirrorH = SettingValue("mirror-h") == 1;
    request.mirrorV = SettingValue("mirror-v") == 1;
    request.current = state_.region;
    request.sensorWidth = state_.sensorWidth;
    request.sensorHeight = state_.sensorHeight;
    const auto region = SnapRegion(request);
    session_.SetRegion(region[0], region[1], region[2], region[3]);
}

void ViewerWindow::ToggleFullScreen() {
    fullScreen_ = !fullScreen_;
    if (fullScreen_) {
        gtk_window_fullscreen(GTK_WINDOW(window_));
    } else {
        gtk_window_unfullscreen(GTK_WINDOW(window_));
    }
    gtk_widget_set_visible(menuBar_, !fullScreen_);
    gtk_widget_set_visible(toolbar_, !fullScreen_);
    gtk_widget_set_visible(sidePanel_, !fullScreen_);
    gtk_widget_set_visible(statusBar_, !fullScreen_);
}

void ViewerWindow::FitToWindow() {
    fit_ = true;
    updating_ = true;
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(fitItem_), TRUE);
    updating_ = false;
    gtk_widget_queue_draw(picture_);
}

void ViewerWindow::ActualSize() {
    double scale = 1, x = 0, y = 0;
    PictureTransform(scale, x, y);
    fit_ = false;
    updating_ = true;
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(fitItem_), FALSE);
    updating_ = false;
    // 1:1 around the middle of the view.
    const double cx = gtk_widget_get_allocated_width(picture_) / 2.0;
    const double cy = gtk_widget_get_allocated_height(picture_) / 2.0;
    originX_ = cx - (cx - x) / scale;
    originY_ = cy - (cy - y) / scale;
    scale_ = 1;
    gtk_widget_queue_draw(picture_);
}

// The built-in dialogs are modal and run their own loop on this thread;
// pictures keep coming meanwhile. They act on the same camera, so the
// panel reads its values again afterwards, and the camera dialog's format
// and region take effect with a fresh start.
void ViewerWindow::OpenDialog(int which) {
    HWND parent = nullptr;
    GdkWindow* own = gtk_widget_get_window(window_);
    if (own && GDK_IS_X11_WINDOW(own)) {
        parent = reinterpret_cast<HWND>(static_cast<uintptr_t>(gdk_x11_window_get_xid(own)));
    }
    const int camera = session_.Handle();
    if (which == 0) {
        Tavrin_SetCameraDlg(camera, parent);
        session_.Restart();
    } else if (which == 1) {
        Tavrin_SetAnalogDlg(camera, parent);
    } else {
        Tavrin_SetImageDlg(camera, parent);
    }
    session_.RefreshSettings();
}

void ViewerWindow::Quit() {
    // Finishes a recording's file and releases the camera before leaving.
    session_.Close();
    gtk_main_quit();
}

}  // namespace tavrin::viewer
