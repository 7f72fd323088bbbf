#include "ui/main_window_controls.h"

#include <algorithm>

#include "lighting/lighting_modes.h"
#include "model/key_table.h"

namespace tavrin::ui {
namespace {

MainControl Button(std::string key, int id, PictureSet pictures = PictureSet::Standard)
{
    return {std::move(key), id, ControlKind::ImageButton, PlacingRule::ImageButton, pictures, false, false};
}

MainControl Lighting(const char* key, int id, ControlKind kind, bool startsHidden = true)
{
    return {key, id, kind, PlacingRule::Plain, PictureSet::None, startsHidden, false};
}

// Laid out with the panel, never shown.
MainControl NeverShown(const char* key, int id, ControlKind kind)
{
    return {key, id, kind, PlacingRule::Plain, PictureSet::None, true, true};
}

std::vector<MainControl> BuildTable()
{
    using K = ControlKind;
    std::vector<MainControl> table = {
        Button("VELMAR_LINK", main_id::kLink, PictureSet::Link),
        Button("FUNC_PROFILES", main_id::kProfiles),
        Button("FUNC_MACRO", main_id::kMacro),
        Button("CONTROL_OK", main_id::kOk),
        Button("CONTROL_CANCEL", main_id::kCancel),
        Button("CONTROL_HELP", main_id::kHelp),
        Button("CONTROL_CLOSE", main_id::kClose),
        Button("CONTROL_MINIMIZE", main_id::kMinimise),
        Button("CONTROL_MENU", main_id::kMenu),
        Button("CONTROL2_APPLY", main_id::kApply, PictureSet::Apply),
        Button("LOCK_CAPS", main_id::kCapsLock, PictureSet::Lock),
        Button("LOCK_NUM", main_id::kNumLock, PictureSet::Lock),
        Button("LOCK_SCROLL", main_id::kScrollLock, PictureSet::Lock),
        Button("LOCK_AB", main_id::kBankLock, PictureSet::Lock),
        Button("FLIP_0", main_id::kFlipIndicator, PictureSet::Flip),
        Button("FLIP_1", main_id::kFlipFirst),
        Button("FLIP_2", main_id::kFlipSecond),
        Button("VELMAR_VER", main_id::kVersion),
        Button("FUNC_PROFILE1", main_id::kProfile1),
        Button("FUNC_PROFILE2", main_id::kProfile2),
        Button("FUNC_PROFILE3", main_id::kProfile3),
        Button("FUNC_DEFAULT", main_id::kDefault),
        Button("FUNC_SWITCH", main_id::kSwitch),
        {"FUNC_REPORT1", main_id::kReport1, K::ImageButton, PlacingRule::ImageButton, PictureSet::Standard, true,
            false},
        {"FUNC_REPORT2", main_id::kReport2, K::ImageButton, PlacingRule::ImageButton, PictureSet::Standard, true,
            false},
        {"FUNC_REPORT3", main_id::kReport3, K::ImageButton, PlacingRule::ImageButton, PictureSet::Standard, true,
            false},
        {"FUNC_REPORT4", main_id::kReport4, K::ImageButton, PlacingRule::ImageButton, PictureSet::Standard, true,
            false},
        Button("KEY_FN", main_id::kFn),
        {"LEFT_ARROW", main_id::kLeftArrow, K::ImageButton, PlacingRule::TwoKeys, PictureSet::Arrow, false, false},
        {"RIGHT_ARROW", main_id::kRightArrow, K::ImageButton, PlacingRule::TwoKeys, PictureSet::Arrow, false, false},
    };
    for (const model::KeyButton& key : model::KeyButtonsInOrder())
        table.push_back(Button(KeyButtonSkinKey(model::IndexFromCode(key.code)), key.controlId));
    for (int g = 0; g < static_cast<int>(model::kGKeyCount); ++g)
        table.push_back(Button(GButtonSkinKey(g + 1), *model::GButtonId(g)));

    const std::vector<MainControl> lighting = {
        Lighting("CONTROL_UsbStatic", main_id::kReportLabel, K::Label),
        Lighting("CONTROL_Profiles", main_id::kProfileLabel, K::Label, false),
        Lighting("CONTROL_Lighting", main_id::kLightingLabel, K::Label, false),
        Lighting("CONTROL_Working", main_id::kWorkingModeLabel, K::Label),  // shown while the default mode runs
        Lighting("CONTROL_LEDTEXT", main_id::kAmbientLabel, K::Label),
        Lighting("CONTROL_COLORTEXT", main_id::kAmbientColourLabel, K::Label),
        Lighting("CONTROL_DengStatic", main_id::kPanelTitle, K::Label, false),
        Lighting("CONTROL_DengStaPic", main_id::kPanelSwitch, K::Picture, false),
        Lighting("CONTROL_XGcombox", main_id::kEffectList, K::DropDownList),
        Lighting("CONTROL_LedCombox", main_id::kAmbientList, K::DropDownList),
        Lighting("CONTROL_JDTStatic", main_id::kBusyPicture, K::Picture),
        Lighting("CONTROL_LightStatic", main_id::kBrightnessLabel, K::Label),
        Lighting("CONTROL_LightSlider", main_id::kBrightnessSlider, K::Slider),
        Lighting("CONTROL_SpeedStatic", main_id::kSpeedLabel, K::Label),
        Lighting("CONTROL_SpeedSlider", main_id::kSpeedSlider, K::Slider),
        Lighting("CONTROL_BLFXStatic", main_id::kDirectionLabel, K::Label),
        Lighting("CONTROL_BLFXLStaPic", main_id::kFirstDirection, K::Picture),
        Lighting("CONTROL_BLFXRStaPic", main_id::kSecondDirection, K::Picture),
        Lighting("CONTROL_FYYSStatic", main_id::kFyColourLabel, K::Label),
        Lighting("CONTROL_FYYSButton", main_id::kFyColourButton, K::ColourButton),
        Lighting("CONTROL_FYSJSStaPic", main_id::kFyColourfulSwitch, K::Picture),
        Lighting("CONTROL_FYSJSStatic", main_id::kFyColourfulLabel, K::Label),
        NeverShown("CONTROL_FYCFStatic", 1182, K::Label),
        NeverShown("CONTROL_FYdjcfStatic", 1181, K::Label),
        NeverShown("CONTROL_FYggcfStatc", 1184, K::Label),
        NeverShown("CONTROL_FYdjcfStaPic", 1183, K::Picture),
        NeverShown("CONTROL_FYggcfStaPic", 1180, K::Picture),
        Lighting("CONTROL_HONGPIC", main_id::kRedPicture, K::Picture),
        Lighting("CONTROL_HUANGPIC", main_id::kYellowPicture, K::Picture),
        Lighting("CONTROL_LVPIC", main_id::kGreenPicture, K::Picture),
        Lighting("CONTROL_LANPIC", main_id::kBluePicture, K::Picture),
        Lighting("CONTROL_HXysStatic", main_id::kHxColourLabel, K::Label),
        Lighting("CONTROL_HXysButton", main_id::kHxColourButton, K::ColourButton),
        Lighting("CONTROL_ColorButton", main_id::kAmbientColourButton, K::ColourButton),
        Lighting("CONTROL_HXsjsStatic", main_id::kHxColourfulLabel, K::Label),
        Lighting("CONTROL_HXsjsStaPic", main_id::kHxColourfulSwitch, K::Picture),
        NeverShown("CONTROL_JTysStatic", 1157, K::Label),
        NeverShown("CONTROL_JTysButton", 1158, K::ColourButton),
        Lighting("CONTROL_USERysStatic", main_id::kPaintColourLabel, K::Label),
        Lighting("CONTROL_USERysButton", main_id::kPaintColourButton, K::ColourButton),
        Lighting("CONTROL_USERjsStatic", main_id::kBaseColourLabel, K::Label),
        Lighting("CONTROL_USERjsButton", main_id::kBaseColourButton, K::ColourButton),
        Lighting("CONTROL_USERgjStatic", main_id::kBrushLabel, K::Label),
        Lighting("CONTROL_USERgjStaPic1", main_id::kPaintBrush, K::Picture),
        Lighting("CONTROL_USERgjStaPic2", main_id::kBaseBrush, K::Picture),
        NeverShown("CONTROL_TSysStatic", 1186, K::Label),
        NeverShown("CONTROL_TSysButton", 1187, K::ColourButton),
        NeverShown("CONTROL_TSsjsStatic", 1189, K::Label),
        NeverShown("CONTROL_TSsjsStaPic", 1188, K::Picture),
        NeverShown("CONTROL_CDysStatic", 1190, K::Label),
        NeverShown("CONTROL_CDysButton", 1191, K::ColourButton),
        NeverShown("CONTROL_CDsjsStatic", 1193, K::Label),
        NeverShown("CONTROL_CDsjsStaPic", 1192, K::Picture),
        Lighting("CONTROL_umCombo", main_id::kUserLayouts, K::EditableDropDown),
    };
    table.insert(table.end(), lighting.begin(), lighting.end());
    return table;
}

}  // namespace

const std::vector<MainControl>& MainWindowControls()
{
    static const std::vector<MainControl> table = BuildTable();
    return table;
}

std::vector<std::string> MainWindowSkinKeys()
{
    std::vector<std::string> keys;
    for (const MainControl& control : MainWindowControls())
        keys.push_back(control.key);
    for (const char* suffix : {"2", "3"})
        for (const char* key : kDirectionKeys)
            keys.push_back(key + std::string(suffix));
    return keys;
}

const MainControl* FindMainControl(int id)
{
    const auto& table = MainWindowControls();
    const auto found = std::find_if(table.begin(), table.end(), [id](const MainControl& c) { return c.id == id; });
    return found == table.end() ? nullptr : &*found;
}

std::string DirectionLayoutSuffix(int mode)
{
    return lighting::DirectionPicturesOf(mode).layoutSuffix;
}

}  // namespace tavrin::ui
