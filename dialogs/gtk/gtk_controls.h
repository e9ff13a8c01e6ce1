// The control interface over GTK 3 widgets laid out from a dialog template
// on a GtkFixed, with the Win32 meaning the controllers expect: only the
// user's actions notify, except that putting text into an edit box always
// raises its change notification. Texts from the controllers are code page
// 932 in the Japanese templates and are converted for GTK.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "dialogs/controls.h"
#include "dialogs/dialog_templates.h"

namespace tavrin::dialogs::gtk {

class GtkControls : public Controls {
public:
    // Builds the template's widgets into `container` (a GtkFixed).
    GtkControls(const DialogTemplate& dialog, DialogHandler& handler, GtkWidget* container);
    ~GtkControls() override;

    void SetText(int id, const std::string& text) override;
    std::string GetText(int id) const override;
    void Enable(int id, bool enabled) override;
    void SetCheck(int id, bool checked) override;
    bool IsChecked(int id) const override;
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
    void EndDialog(int result) override;

    GtkWidget* Container() const { return container_; }
    int Result() const { return result_; }
    // Called with the result when the dialog ends.
    void OnEnd(std::function<void(int)> onEnd) { onEnd_ = std::move(onEnd); }

    // Pixels of dialog units.
    static int PixelsX(int units) { return units * 7 / 4; }
    static int PixelsY(int units) { return units * 2; }

private:
    struct Widget {
        GtkWidget* widget = nullptr;
        ControlKind kind = ControlKind::Label;
        GtkWidget* noneRadio = nullptr;  // hidden member that lets a radio group show none checked
        int minimum = 0, maximum = 0, buddy = 0;
    };

    void Build(const ControlLayout& layout);
    void Connect(int id, Widget& w);
    Widget& At(int id);
    const Widget& At(int id) const;
    std::string ToGtk(const std::string& text) const;
    std::string FromGtk(const std::string& text) const;
    void Step(int spinId, int delta);

    const DialogTemplate& template_;
    DialogHandler& handler_;
    GtkWidget* container_;
    std::map<int, Widget> widgets_;
    std::vector<std::unique_ptr<GtkControls>> pages_;
    GtkWidget* radioGroupNone_ = nullptr;  // the current group's hidden member while building
    int quiet_ = 0;                        // programmatic changes in progress: the controls' signals stay silent
    int result_ = 0;
    std::function<void(int)> onEnd_;
};

}  // namespace tavrin::dialogs::gtk
