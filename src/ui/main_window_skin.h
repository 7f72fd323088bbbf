// The main window's looks: its state pictures and lighting bitmaps, every control it owns created and
// placed from Main.ini, the fonts, and the blinking arrows. Behaviour is the window's own; this
// class hands it its controls in typed groups.
#pragma once

#include <QPixmap>
#include <QTimer>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>

#include "ui/main_window_controls.h"
#include "ui/main_window_parts.h"

class QWidget;

namespace tavrin::ui {

class CBaseDialog;
class CPngButton;

class MainWindowSkin {
public:
    // The window's state pictures; every image button cuts its piece from them.
    struct StatePictures {
        QPixmap normal;
        QPixmap over;
        QPixmap down;
        QPixmap disable;
        QPixmap arrow;
        QPixmap colour0;  // colour-keys view, flag 0
        QPixmap colour1;  // colour-keys view, flag 1
    };
    static constexpr const char* kStatePictureFiles[] = {"main_normal.jpg", "main_over.jpg", "main_down.jpg",
        "main_disable.jpg", "Arrow.jpg", "main_color0.jpg", "main_color1.jpg"};
    // Nothing when one of them cannot be loaded; `failed` then names it.
    static std::optional<StatePictures> LoadStatePictures(const std::string& skinFolder, std::string& failed);

    static constexpr int kArrowBlinkMs = 1000;
    // Label text on the dark skin pictures, 0x00BBGGRR.
    static constexpr std::uint32_t kLabelTextColour = 0x00FFFFFF;

    // Creates and places every control of the window from its skin file. `arrowsUp` chooses the
    // arrows' picture set (the stored layout flip).
    MainWindowSkin(CBaseDialog& window, StatePictures pictures, bool arrowsUp);
    // Takes every control it made away again.
    ~MainWindowSkin();
    MainWindowSkin(const MainWindowSkin&) = delete;
    MainWindowSkin& operator=(const MainWindowSkin&) = delete;

    const KeyboardButtons& Keyboard() const { return parts_.keyboard; }
    const WindowButtons& Buttons() const { return parts_.buttons; }
    const LightingPanelControls& Lighting() const { return parts_.lighting; }
    // Any control by identifier, for what treats them all alike (commands, enabling); null for one
    // the window does not own.
    QWidget* Control(int id) const;

    const StatePictures& Pictures() const { return pictures_; }
    // A lighting bitmap by file name ("dengup.bmp"); null when it could not be loaded.
    const QPixmap& Bitmap(const std::string& name) const;

    // Moves the direction label and pictures to the layout of effect `mode`.
    void PlaceDirectionGroup(int mode);

    void SetArrowsUp(bool up);
    // One blink: the arrows switch between their first and second picture.
    void AdvanceArrowBlink();
    int ArrowPhase() const { return arrowPhase_; }
    const QTimer& ArrowTimer() const { return arrowTimer_; }

private:
    struct ArrowOffsets {
        SkinRect up[2];
        SkinRect down[2];
    };

    void LoadBitmaps();
    QWidget* CreateControl(const MainControl& control);
    void Place(const MainControl& control, QWidget* widget);
    void GivePictures(const MainControl& control, CPngButton& button, int x, int y);
    void ApplyLooks();
    void ApplyArrowOffsets();
    ArrowOffsets ReadArrowOffsets(ArrowSide side) const;

    CBaseDialog& window_;
    StatePictures pictures_;
    std::map<std::string, QPixmap, std::less<>> bitmaps_;
    std::unordered_map<int, QWidget*> controls_;
    MainWindowParts parts_;
    ArrowOffsets leftArrow_;
    ArrowOffsets rightArrow_;
    bool arrowsUp_ = false;
    int arrowPhase_ = 1;
    QTimer arrowTimer_;
};

}  // namespace tavrin::ui
