// Every control the main window owns: its skin key in Main.ini, its control identifier, what kind of
// control it is, how the skin places it and which of the window's pictures it takes. Plain data.
#pragma once

#include <string>
#include <vector>

#include "ui/skin_layout.h"

namespace tavrin::ui {

// Control identifiers of the main window that its own code refers to by name.
namespace main_id {
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kProfiles = 1005;
inline constexpr int kApply = 1006;
inline constexpr int kMacro = 1007;
inline constexpr int kLink = 1121;
inline constexpr int kHelp = 1122;
inline constexpr int kMinimise = 1123;
inline constexpr int kClose = 1124;
inline constexpr int kCapsLock = 1125;
inline constexpr int kNumLock = 1126;
inline constexpr int kScrollLock = 1127;
inline constexpr int kBankLock = 1128;
inline constexpr int kFlipIndicator = 1129;
inline constexpr int kFlipFirst = 1130;
inline constexpr int kFlipSecond = 1131;
inline constexpr int kLeftArrow = 1132;
inline constexpr int kRightArrow = 1133;
inline constexpr int kVersion = 1134;
inline constexpr int kProfile1 = 1135;
inline constexpr int kProfile2 = 1136;
inline constexpr int kProfile3 = 1137;
inline constexpr int kDefault = 1138;
inline constexpr int kMenu = 1139;
inline constexpr int kSwitch = 1144;
inline constexpr int kReport1 = 1147;
inline constexpr int kReport2 = 1168;
inline constexpr int kReport3 = 1169;
inline constexpr int kReport4 = 1170;
inline constexpr int kFn = 1174;

inline constexpr int kEffectList = 1146;
inline constexpr int kDirectionLabel = 1148;
inline constexpr int kFirstDirection = 1149;
inline constexpr int kSecondDirection = 1150;
inline constexpr int kFyColourLabel = 1151;
inline constexpr int kFyColourButton = 1152;
inline constexpr int kHxColourLabel = 1154;
inline constexpr int kHxColourButton = 1155;
inline constexpr int kHxColourfulSwitch = 1156;
inline constexpr int kPaintColourLabel = 1159;
inline constexpr int kPaintColourButton = 1160;
inline constexpr int kBaseColourLabel = 1161;
inline constexpr int kBaseColourButton = 1162;
inline constexpr int kBrushLabel = 1163;
inline constexpr int kPaintBrush = 1164;
inline constexpr int kBaseBrush = 1165;
inline constexpr int kSpeedLabel = 1166;
inline constexpr int kPanelSwitch = 1167;
inline constexpr int kPanelTitle = 1171;
inline constexpr int kBrightnessLabel = 1172;
inline constexpr int kHxColourfulLabel = 1173;
inline constexpr int kFyColourfulSwitch = 1175;
inline constexpr int kFyColourfulLabel = 1176;
inline constexpr int kBusyPicture = 1177;
inline constexpr int kBrightnessSlider = 1178;
inline constexpr int kSpeedSlider = 1179;
inline constexpr int kRedPicture = 1194;
inline constexpr int kYellowPicture = 1195;
inline constexpr int kGreenPicture = 1196;
inline constexpr int kBluePicture = 1197;
inline constexpr int kUserLayouts = 1198;
inline constexpr int kReportLabel = 1204;
inline constexpr int kProfileLabel = 1207;
inline constexpr int kLightingLabel = 1208;
inline constexpr int kWorkingModeLabel = 1209;
inline constexpr int kAmbientList = 1211;
inline constexpr int kAmbientLabel = 1212;
inline constexpr int kAmbientColourButton = 1214;
inline constexpr int kAmbientColourLabel = 1215;
}  // namespace main_id

enum class ControlKind { ImageButton, Label, Picture, DropDownList, EditableDropDown, Slider, ColourButton };

// Which of the main window's pictures an image button takes for normal, hover, pressed, disabled
// and checked.
enum class PictureSet {
    None,
    Standard,  // normal, over, down, normal, disable
    Lock,      // normal four times, over
    Link,      // normal, over, disable, normal, normal
    Apply,     // normal, over, down, disable, disable
    Flip,      // normal four times, disable
    Arrow,     // the arrow picture throughout
};

struct MainControl {
    std::string key;
    int id = 0;
    ControlKind kind = ControlKind::ImageButton;
    PlacingRule rule = PlacingRule::ImageButton;
    PictureSet pictures = PictureSet::None;
    // Lighting controls start hidden (the panel starts closed); some are never shown.
    bool startsHidden = false;
    bool neverShown = false;
};

// The whole table: the window's own buttons, the 104 key buttons, the nine G buttons, Fn, the
// arrows and the lighting panel.
const std::vector<MainControl>& MainWindowControls();
const MainControl* FindMainControl(int id);
// Every key the main skin file places: each control's, and the direction group's per-effect layouts.
std::vector<std::string> MainWindowSkinKeys();

// The direction label and pictures have a layout per effect: "" for most, "2" for effects 1–3,
// "3" for effect 12 (the suffix of their skin keys).
std::string DirectionLayoutSuffix(int mode);
inline constexpr const char* kDirectionKeys[3] = {"CONTROL_BLFXStatic", "CONTROL_BLFXLStaPic", "CONTROL_BLFXRStaPic"};

}  // namespace tavrin::ui
