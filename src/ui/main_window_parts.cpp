#include "ui/main_window_parts.h"

#include <QComboBox>

#include "ui/color_static.h"
#include "ui/main_window_controls.h"
#include "ui/picture_static.h"
#include "ui/png_button.h"
#include "ui/skin_color_button.h"
#include "ui/skin_slider.h"

namespace tavrin::ui {
namespace {

// The one place a control is looked up by identifier and typed: the table says what each
// identifier is, so a null here is a table that contradicts itself.
class Typed {
public:
    explicit Typed(const std::function<QWidget*(int)>& control)
        : control_(control)
    {
    }
    template<class T> void operator()(T*& target, int id) const
    {
        target = qobject_cast<T*>(control_(id));
        Q_ASSERT_X(target, "main window controls", "an identifier of another kind");
    }

private:
    const std::function<QWidget*(int)>& control_;
};

void GroupKeyboard(const Typed& take, KeyboardButtons& keyboard)
{
    for (const model::KeyButton& key : model::KeyButtonsInOrder()) {
        KeyboardButtons::Key entry{key.code, key.controlId, nullptr};
        take(entry.button, key.controlId);
        keyboard.keys.push_back(entry);
    }
    for (std::size_t g = 0; g < keyboard.gKeys.size(); ++g)
        take(keyboard.gKeys[g], *model::GButtonId(static_cast<int>(g)));
    take(keyboard.fn, model::kFnButtonId);
}

void GroupWindowButtons(const Typed& take, WindowButtons& b)
{
    take(b.ok, main_id::kOk);
    take(b.cancel, main_id::kCancel);
    take(b.apply, main_id::kApply);
    take(b.help, main_id::kHelp);
    take(b.menu, main_id::kMenu);
    take(b.minimise, main_id::kMinimise);
    take(b.close, main_id::kClose);
    take(b.link, main_id::kLink);
    take(b.version, main_id::kVersion);
    take(b.profiles[0], main_id::kProfile1);
    take(b.profiles[1], main_id::kProfile2);
    take(b.profiles[2], main_id::kProfile3);
    take(b.profileDialog, main_id::kProfiles);
    take(b.defaultMode, main_id::kDefault);
    take(b.macro, main_id::kMacro);
    take(b.switchMode, main_id::kSwitch);
    take(b.capsLock, main_id::kCapsLock);
    take(b.numLock, main_id::kNumLock);
    take(b.scrollLock, main_id::kScrollLock);
    take(b.bankLock, main_id::kBankLock);
    take(b.flipIndicator, main_id::kFlipIndicator);
    take(b.flipFirst, main_id::kFlipFirst);
    take(b.flipSecond, main_id::kFlipSecond);
    take(b.leftArrow, main_id::kLeftArrow);
    take(b.rightArrow, main_id::kRightArrow);
    take(b.profileLabel, main_id::kProfileLabel);
    take(b.lightingLabel, main_id::kLightingLabel);
    take(b.workingModeLabel, main_id::kWorkingModeLabel);
    take(b.busy, main_id::kBusyPicture);
}

void GroupLightingPanel(const Typed& take, const std::function<QWidget*(int)>& control, LightingPanelControls& l)
{
    take(l.title, main_id::kPanelTitle);
    take(l.openSwitch, main_id::kPanelSwitch);
    take(l.effects, main_id::kEffectList);
    take(l.brightnessLabel, main_id::kBrightnessLabel);
    take(l.brightness, main_id::kBrightnessSlider);
    take(l.speedLabel, main_id::kSpeedLabel);
    take(l.speed, main_id::kSpeedSlider);
    take(l.directionLabel, main_id::kDirectionLabel);
    take(l.firstDirection, main_id::kFirstDirection);
    take(l.secondDirection, main_id::kSecondDirection);
    take(l.hx.label, main_id::kHxColourLabel);
    take(l.hx.colour, main_id::kHxColourButton);
    take(l.hx.colourfulLabel, main_id::kHxColourfulLabel);
    take(l.hx.colourfulSwitch, main_id::kHxColourfulSwitch);
    take(l.fy.label, main_id::kFyColourLabel);
    take(l.fy.colour, main_id::kFyColourButton);
    take(l.fy.colourfulLabel, main_id::kFyColourfulLabel);
    take(l.fy.colourfulSwitch, main_id::kFyColourfulSwitch);
    take(l.fixedColours[0], main_id::kRedPicture);
    take(l.fixedColours[1], main_id::kYellowPicture);
    take(l.fixedColours[2], main_id::kGreenPicture);
    take(l.fixedColours[3], main_id::kBluePicture);
    take(l.paintColourLabel, main_id::kPaintColourLabel);
    take(l.paintColour, main_id::kPaintColourButton);
    take(l.baseColourLabel, main_id::kBaseColourLabel);
    take(l.baseColour, main_id::kBaseColourButton);
    take(l.brushLabel, main_id::kBrushLabel);
    take(l.paintBrush, main_id::kPaintBrush);
    take(l.baseBrush, main_id::kBaseBrush);
    take(l.userLayouts, main_id::kUserLayouts);
    take(l.ambientLabel, main_id::kAmbientLabel);
    take(l.ambient, main_id::kAmbientList);
    take(l.ambientColourLabel, main_id::kAmbientColourLabel);
    take(l.ambientColour, main_id::kAmbientColourButton);
    take(l.reportLabel, main_id::kReportLabel);
    take(l.reportRates[0], main_id::kReport1);
    take(l.reportRates[1], main_id::kReport2);
    take(l.reportRates[2], main_id::kReport3);
    take(l.reportRates[3], main_id::kReport4);
    for (const MainControl& entry : MainWindowControls())
        if (entry.neverShown)
            l.alwaysHidden.push_back(control(entry.id));
}

}  // namespace

CPngButton* KeyboardButtons::ButtonOf(model::KeyCode code) const
{
    for (const Key& key : keys)
        if (key.code == code)
            return key.button;
    return nullptr;
}

CPngButton* KeyboardButtons::ButtonWithId(int controlId) const
{
    for (const Key& key : keys)
        if (key.controlId == controlId)
            return key.button;
    if (const std::optional<int> g = model::GIndexOfButton(controlId))
        return gKeys[static_cast<std::size_t>(*g)];
    return controlId == model::kFnButtonId ? fn : nullptr;
}

MainWindowParts GroupMainWindowControls(const std::function<QWidget*(int)>& control)
{
    const Typed take(control);
    MainWindowParts parts;
    GroupKeyboard(take, parts.keyboard);
    GroupWindowButtons(take, parts.buttons);
    GroupLightingPanel(take, control, parts.lighting);
    return parts;
}

}  // namespace tavrin::ui
