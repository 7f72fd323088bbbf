// The main window's controls as the window's behaviour uses them: grouped by what they are for and
// typed by what they are. The skin creates them all; these groups only point at them.
#pragma once

#include <array>
#include <functional>
#include <vector>

#include "model/key_table.h"

class QComboBox;
class QWidget;

namespace tavrin::ui {

class CPngButton;
class CSkinColorBtn;
class CSkinSlider;
class ColorStatic;
class PictureStatic;

// The keyboard drawn in the window: a button per key, the G keys and Fn.
struct KeyboardButtons {
    struct Key {
        model::KeyCode code = model::kNoKey;
        int controlId = 0;
        CPngButton* button = nullptr;
    };
    std::vector<Key> keys;                               // in the key table's order
    std::array<CPngButton*, model::kGKeyCount> gKeys{};  // G1 first
    CPngButton* fn = nullptr;

    // The button of a key; null for a code no button shows.
    CPngButton* ButtonOf(model::KeyCode code) const;
    // A key, G or Fn button by control identifier; null for any other.
    CPngButton* ButtonWithId(int controlId) const;
};

// The title bar, the toolbar, the strip above the keys and the footer.
struct WindowButtons {
    CPngButton* ok = nullptr;
    CPngButton* cancel = nullptr;
    CPngButton* apply = nullptr;
    CPngButton* help = nullptr;
    CPngButton* menu = nullptr;
    CPngButton* minimise = nullptr;
    CPngButton* close = nullptr;
    CPngButton* link = nullptr;
    CPngButton* version = nullptr;

    std::array<CPngButton*, 3> profiles{};  // profile 1 first
    CPngButton* profileDialog = nullptr;
    CPngButton* defaultMode = nullptr;
    CPngButton* macro = nullptr;
    CPngButton* switchMode = nullptr;

    CPngButton* capsLock = nullptr;
    CPngButton* numLock = nullptr;
    CPngButton* scrollLock = nullptr;
    CPngButton* bankLock = nullptr;
    CPngButton* flipIndicator = nullptr;
    CPngButton* flipFirst = nullptr;
    CPngButton* flipSecond = nullptr;
    CPngButton* leftArrow = nullptr;
    CPngButton* rightArrow = nullptr;

    ColorStatic* profileLabel = nullptr;
    ColorStatic* lightingLabel = nullptr;
    ColorStatic* workingModeLabel = nullptr;
    PictureStatic* busy = nullptr;  // the Apply animation
};

// A label, a colour button and a colourful switch with its label: one effect's colour choice.
struct EffectColourGroup {
    ColorStatic* label = nullptr;
    CSkinColorBtn* colour = nullptr;
    ColorStatic* colourfulLabel = nullptr;
    PictureStatic* colourfulSwitch = nullptr;
};

// The lighting panel, by role.
struct LightingPanelControls {
    ColorStatic* title = nullptr;
    PictureStatic* openSwitch = nullptr;

    QComboBox* effects = nullptr;
    ColorStatic* brightnessLabel = nullptr;
    CSkinSlider* brightness = nullptr;
    ColorStatic* speedLabel = nullptr;
    CSkinSlider* speed = nullptr;

    ColorStatic* directionLabel = nullptr;
    PictureStatic* firstDirection = nullptr;
    PictureStatic* secondDirection = nullptr;

    EffectColourGroup hx;                          // most effects
    EffectColourGroup fy;                          // effects 6 and 16
    std::array<PictureStatic*, 4> fixedColours{};  // effect 17: red, yellow, green, blue

    // The per-key colour tools of effect 19.
    ColorStatic* paintColourLabel = nullptr;
    CSkinColorBtn* paintColour = nullptr;
    ColorStatic* baseColourLabel = nullptr;
    CSkinColorBtn* baseColour = nullptr;
    ColorStatic* brushLabel = nullptr;
    PictureStatic* paintBrush = nullptr;
    PictureStatic* baseBrush = nullptr;
    QComboBox* userLayouts = nullptr;

    ColorStatic* ambientLabel = nullptr;
    QComboBox* ambient = nullptr;
    ColorStatic* ambientColourLabel = nullptr;
    CSkinColorBtn* ambientColour = nullptr;

    ColorStatic* reportLabel = nullptr;
    std::array<CPngButton*, 4> reportRates{};  // choice 0 first

    // Laid out with the panel and never shown.
    std::vector<QWidget*> alwaysHidden;
};

struct MainWindowParts {
    KeyboardButtons keyboard;
    WindowButtons buttons;
    LightingPanelControls lighting;
};

// Groups the window's controls, looked up by identifier through `control`.
MainWindowParts GroupMainWindowControls(const std::function<QWidget*(int)>& control);

}  // namespace tavrin::ui
