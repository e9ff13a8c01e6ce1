// The GTK module's one export: a modal dialog on the caller's thread, built
// from a template, transient for the parent when the parent is an X11
// window, ended by the controller's EndDialog or the close box (Cancel).
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <memory>
#include <mutex>

#include "dialogs/control_ids.h"
#include "dialogs/gtk/gtk_controls.h"
#include "dialogs/gtk/gtk_entry.h"

namespace tavrin::dialogs::gtk {
namespace {

constexpr const char* kStyle =
    "* { font: 8pt Sans; } entry, button, combobox button { min-height: 0; padding: 0 2px; }"
    "scale { min-height: 0; padding: 0; }";

bool StartGtk() {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        started = gtk_init_check(nullptr, nullptr) != FALSE;
        if (!started)
            return;
        GtkCssProvider* css = gtk_css_provider_new();
        gtk_css_provider_load_from_data(css, kStyle, -1, nullptr);
        gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        g_object_unref(css);
    });
    return started;
}

// Work handed over by other threads runs from an idle callback on this
// thread while the dialog lives; callbacks that come later do nothing.
struct WakeTarget {
    std::mutex mutex;
    const CrossThreadWork* work = nullptr;
};

gboolean RunWork(gpointer data) {
    std::unique_ptr<std::shared_ptr<WakeTarget>> target(static_cast<std::shared_ptr<WakeTarget>*>(data));
    const CrossThreadWork* work = nullptr;
    {
        std::lock_guard lock((*target)->mutex);
        work = (*target)->work;
    }
    if (work && work->run)
        work->run();
    return G_SOURCE_REMOVE;
}

void MakeTransient(GtkWidget* window, platform::WindowHandle parent) {
    GdkDisplay* display = gtk_widget_get_display(window);
    if (!parent || !GDK_IS_X11_DISPLAY(display))
        return;
    gdk_x11_display_error_trap_push(display);
    GdkWindow* owner = gdk_x11_window_foreign_new_for_display(display, reinterpret_cast<uintptr_t>(parent));
    if (owner) {
        gtk_widget_realize(window);
        gdk_window_set_transient_for(gtk_widget_get_window(window), owner);
        g_object_unref(owner);
    }
    gdk_x11_display_error_trap_pop_ignored(display);
}

int RunModal(int templateId, platform::WindowHandle parent, DialogHandler& handler, const CrossThreadWork* work) {
    const DialogTemplate* dialog = FindTemplate(templateId);
    if (!dialog || !dialog->caption || !StartGtk())
        return -1;

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), dialog->caption);
    gtk_window_set_modal(GTK_WINDOW(window), TRUE);
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, GtkControls::PixelsX(dialog->width), GtkControls::PixelsY(dialog->height));
    gtk_container_add(GTK_CONTAINER(window), fixed);

    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    auto controls = std::make_unique<GtkControls>(*dialog, handler, fixed);
    controls->OnEnd([loop](int) { g_main_loop_quit(loop); });
    using DeleteCallback = gboolean (*)(GtkWidget*, GdkEvent*, gpointer);
    const DeleteCallback onClose = [](GtkWidget*, GdkEvent*, gpointer data) -> gboolean {
        static_cast<DialogHandler*>(data)->OnCommand(ids::kCancel, Notification::Clicked);
        return TRUE;
    };
    g_signal_connect(window, "delete-event", G_CALLBACK(onClose), &handler);
    MakeTransient(window, parent);
    gtk_widget_show_all(window);
    handler.OnInit(*controls);

    auto target = std::make_shared<WakeTarget>();
    target->work = work;
    if (work && work->ready) {
        work->ready([target] { g_idle_add(RunWork, new std::shared_ptr<WakeTarget>(target)); });
    }
    if (controls->Result() == 0)
        g_main_loop_run(loop);
    {
        std::lock_guard lock(target->mutex);
        target->work = nullptr;
    }
    const int result = controls->Result();
    gtk_widget_destroy(window);
    controls.reset();
    g_main_loop_unref(loop);
    while (gtk_events_pending())
        gtk_main_iteration();
    return result;
}

}  // namespace
}  // namespace tavrin::dialogs::gtk

extern "C" __attribute__((visibility("default"))) int TavrinGtk_RunModalDialog(
    int templateId, tavrin::platform::WindowHandle parent, tavrin::dialogs::DialogHandler* handler,
    const tavrin::dialogs::CrossThreadWork* work) {
    static_assert(std::is_same_v<decltype(&TavrinGtk_RunModalDialog), tavrin::dialogs::RunModalDialogFunction*>);
    try {
        return tavrin::dialogs::gtk::RunModal(templateId, parent, *handler, work);
    } catch (...) {
        return -1;
    }
}

extern "C" __attribute__((visibility("default"))) int TavrinGtk_CanStart() {
    static_assert(std::is_same_v<decltype(&TavrinGtk_CanStart), tavrin::dialogs::CanStartFunction*>);
    return tavrin::dialogs::gtk::StartGtk() ? 1 : 0;
}
