// The readout-region menu: "Full sensor" and the camera's stored readout
// windows (its size table) as presets, with the one in use marked. The
// window keeps one in the Camera menu and one behind a toolbar button; the
// menu bar's shows the shortcuts (Ctrl+Shift+F, Alt+1 to Alt+9), which the
// window's key handler serves.
#pragma once

#include <gtk/gtk.h>

#include <array>
#include <functional>
#include <vector>

#include "viewer/camera_session.h"
#include "viewer/texts.h"

namespace tavrin::viewer {

class RegionMenu {
public:
    static constexpr int kFullSensor = -1;
    static constexpr int kShortcutPresets = 9;  // Alt+1 to Alt+9
    // Called with kFullSensor or the index of the chosen preset.
    using Choose = std::function<void(int preset)>;

    RegionMenu(const Texts& texts, Choose choose, bool showShortcuts);
    RegionMenu(const RegionMenu&) = delete;
    RegionMenu& operator=(const RegionMenu&) = delete;

    GtkWidget* Menu() const { return menu_; }
    GtkWidget* FullSensorItem() const { return fullSensor_; }

    // Lists the presets anew when they changed and marks the entry that
    // matches the region in use (first column, first line, width, height).
    void Show(const std::vector<RegionPreset>& presets, const std::array<int, 4>& region, int sensorWidth,
              int sensorHeight);

private:
    static void Activated(GtkMenuItem* item, gpointer data);
    GtkWidget* AddEntry(const std::string& label, int preset);
    std::string Label(const RegionPreset& preset) const;

    const Texts& texts_;
    Choose choose_;
    bool showShortcuts_;
    GtkWidget* menu_ = nullptr;
    GtkWidget* fullSensor_ = nullptr;
    GtkWidget* separator_ = nullptr;
    std::vector<GtkWidget*> presetItems_;
    std::vector<RegionPreset> shown_;
    bool marking_ = false;  // Show() sets the marks
};

}  // namespace tavrin::viewer
