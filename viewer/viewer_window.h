// The viewer's main window: the live picture (fit or zoomed, panned, with
// the pixel under the pointer), the histogram, the settings panel built
// from the settings catalogue, menus with their shortcuts and the status
// bar. It runs on the GTK main loop and only asks the camera session for
// work; pictures reach it through idle callbacks that take the newest one.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>
#include <vector>

#include "TavrinEx.h"
#include "viewer/camera_session.h"
#include "viewer/region_menu.h"
#include "viewer/texts.h"

namespace tavrin::viewer {

struct ViewerOptions {
    int slot = -1;  // -1: the first camera found
    std::string outputDir;
};

class ViewerWindow {
public:
    explicit ViewerWindow(ViewerOptions options);
    ~ViewerWindow();
    ViewerWindow(const ViewerWindow&) = delete;
    ViewerWindow& operator=(const ViewerWindow&) = delete;

    // Opens the camera handle and shows the window; false without a handle.
    bool Start();

    // Actions (menu items, buttons and shortcuts).
    void Snapshot();
    void SaveAs();
    void ToggleRecording();
    void SetTriggerMode(bool on);
    void SoftwareTrigger();
    void FullSensor();
    void ChoosePreset(int preset);  // RegionMenu::kFullSensor or an index into the size table
    void ToggleFullScreen();
    void FitToWindow();
    void ActualSize();
    void OpenDialog(int which);
    void Quit();

    struct SettingRow;

private:
    static gboolean FrameIdle(gpointer self);
    static gboolean StateIdle(gpointer self);
    void OnFrame();
    void OnState();
    void BuildMenus(GtkWidget* box);
    void BuildToolbar(GtkWidget* box);
    GtkWidget* BuildSidePanel();
    void BuildSettingRows(GtkWidget* grid);
    void ApplySettingValues(const std::vector<int>& values);
    void RebuildCameraMenu();
    void UpdateStatus();
    void UpdateTitle();
    void UpdatePixelReadout();
    void DrawPicture(cairo_t* cr);
    void DrawHistogram(cairo_t* cr);
    void PictureTransform(double& scale, double& originX, double& originY) const;
    bool ToPicture(double x, double y, double& pictureX, double& pictureY) const;
    void ApplyRegionDrag();
    void FilterSettings();
    std::string OutputFile(const char* extension) const;
    int SettingValue(const char* name) const;

    // Event handlers reached from GTK's C callbacks.
    friend struct Callbacks;

    ViewerOptions options_;
    const Texts& texts_;
    CameraSession session_;
    SessionState state_;
    FrameView* front_ = nullptr;
    cairo_surface_t* surface_ = nullptr;
    bool havePicture_ = false;

    GtkWidget* window_ = nullptr;
    // The keyboard shortcuts: the window's key handler activates the menu
    // item of each, so they work with the menu bar hidden (full screen) and
    // ahead of any text field; the menus show them.
    struct Shortcut {
        guint key;
        guint mods;
        GtkWidget* item;
    };
    std::vector<Shortcut> shortcuts_;
    GtkWidget* picture_ = nullptr;
    GtkWidget* histogram_ = nullptr;
    GtkWidget* clipLabel_ = nullptr;
    GtkWidget* statusLabel_ = nullptr;
    GtkWidget* pixelLabel_ = nullptr;
    GtkWidget* noticeLabel_ = nullptr;
    GtkWidget* search_ = nullptr;
    GtkWidget* sidePanel_ = nullptr;
    GtkWidget* menuBar_ = nullptr;
    GtkWidget* toolbar_ = nullptr;
    GtkWidget* statusBar_ = nullptr;
    GtkWidget* cameraMenu_ = nullptr;
    GtkWidget* cameraMenuTail_ = nullptr;  // the first item after the camera list
    std::vector<GtkWidget*> cameraItems_;
    GtkWidget* triggerItem_ = nullptr;
    GtkWidget* triggerToggle_ = nullptr;
    GtkWidget* fireButton_ = nullptr;
    GtkWidget* fireItem_ = nullptr;
    GtkWidget* recordToggle_ = nullptr;
    std::unique_ptr<RegionMenu> regionMenu_;   // in the Camera menu
    std::unique_ptr<RegionMenu> regionPopup_;  // behind the toolbar's button
    GtkWidget* fitItem_ = nullptr;
    GtkWidget* logItem_ = nullptr;
    std::vector<std::unique_ptr<SettingRow>> rows_;
    bool updating_ = false;  // widgets being set from the camera's values

    // The picture's placement: fitted, or a scale with the picture's top
    // left corner at (originX_, originY_) in the widget.
    bool fit_ = true;
    double scale_ = 1;
    double originX_ = 0;
    double originY_ = 0;
    bool panning_ = false;
    double panX_ = 0;
    double panY_ = 0;
    bool dragging_ = false;
    double dragStartX_ = 0;  // picture coordinates
    double dragStartY_ = 0;
    double dragEndX_ = 0;
    double dragEndY_ = 0;
    bool pointerInside_ = false;
    double pointerX_ = 0;  // widget coordinates
    double pointerY_ = 0;
    bool fullScreen_ = false;
    bool logHistogram_ = false;
    gint64 lastStatus_ = 0;
    int shownNoticeSerial_ = 0;
    int shownSettingsSerial_ = 0;
    std::vector<CameraEntry> shownCameras_;
    double viewRate_ = 0;
    gint64 viewRateStart_ = 0;
    uint64_t viewRateCount_ = 0;
};

}  // namespace tavrin::viewer
