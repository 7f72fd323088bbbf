// The lighting panel of the main window over the real library and emulator: it opens from its
// switch and shows the controls of the chosen effect, its changes land in the keyboard's settings
// exactly as tavrinctl's do, keys are painted instead of edited, the keyboard's own lighting change
// reloads it, the default profile keeps it shut, and a failed write is told.
#include <QComboBox>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <cstdio>

#include "lighting/key_colours.h"
#include "main_window_fixture.h"
#include "platform/private_profile.h"
#include "ui/color_static.h"
#include "ui/picture_static.h"
#include "ui/png_button.h"
#include "ui/skin_color_button.h"
#include "ui/skin_slider.h"

namespace tavrin::app {
namespace {

constexpr int kKeyQ = 1044;  // LED 43

// The hex of the emulator's settings area, from its dump.
std::string SettingsOf(const std::string& dump)
{
    const std::size_t at = dump.find("\"settings\": \"");
    return at == std::string::npos ? std::string() : dump.substr(at + 13, 210);
}
int SettingsByte(const std::string& dump, int n)
{
    return std::stoi(SettingsOf(dump).substr(2 * n, 2), nullptr, 16);
}

class LightingPanelInWindow : public MainWindowInProcess {
protected:
    const ui::LightingPanelControls& Controls() { return window_->Skin()->Lighting(); }
    void Open()
    {
        if (!window_->Lighting()->PanelOpen())
            emit Controls().openSwitch->Clicked();
    }
    void ChooseEffect(int mode)
    {
        const int position = window_->Lighting()->Modes().PositionOf(mode);
        ASSERT_GE(position, 0);
        Controls().effects->setCurrentIndex(position);
        emit Controls().effects->activated(position);
    }
};

TEST_F(LightingPanelInWindow, OpensFromItsSwitchAndShowsTheControlsOfTheEffect)
{
    OpenWithKeyboard();
    EXPECT_FALSE(Controls().effects->isVisibleTo(window_.get())) << "the panel starts closed";
    Open();
    EXPECT_TRUE(window_->Lighting()->PanelOpen());
    EXPECT_TRUE(Controls().effects->isVisibleTo(window_.get()));
    EXPECT_EQ(Controls().effects->count(), 19);
    EXPECT_EQ(Controls().effects->currentText(), "Wave");
    ChooseEffect(18);
    EXPECT_FALSE(Controls().speed->isVisibleTo(window_.get())) << "Rings have no speed";
    EXPECT_TRUE(Controls().firstDirection->isVisibleTo(window_.get()));
    ChooseEffect(17);
    EXPECT_TRUE(Controls().fixedColours[2]->isVisibleTo(window_.get()));
    EXPECT_FALSE(Controls().hx.colour->isVisibleTo(window_.get()));
    EXPECT_EQ(SettingsByte(Dump(), 3), 17);
    EXPECT_TRUE(window_->LightingControls()->PreviewTimer().isActive());

    // The panel stays as it was left, across a restart of the window's looks.
    emit Controls().openSwitch->Clicked();
    EXPECT_FALSE(window_->LightingControls()->PreviewTimer().isActive());
    EXPECT_FALSE(Controls().effects->isVisibleTo(window_.get()));
}

TEST_F(LightingPanelInWindow, PanelChangesLandAsTavrinctlsDo)
{
    OpenWithKeyboard();
    Open();
    const ui::LightingPanelControls& l = Controls();
    ChooseEffect(2);
    l.brightness->setValue(5);
    l.speed->setValue(10);
    emit l.firstDirection->Clicked();
    emit l.hx.colour->ColourChosen(0x332211);  // 11 22 33
    emit l.reportRates[2]->clicked();
    l.ambient->setCurrentIndex(0);
    emit l.ambient->activated(0);
    emit l.ambientColour->ColourChosen(0x665544);
    const std::string fromPanel = SettingsOf(Dump());

    testing::EmulatorProcess second;
    ASSERT_TRUE(second.Start());
    int exitCode = -1;
    testing::RunCommand("HOME='" + home_.Path().string() + "' TOLVEX_EMULATOR='" + second.SocketPath() + "' '"
            + testing::BinaryFolder()
            + "/tavrinctl' lighting --profile 1 --effect Sweep --brightness 5 --speed 10 --direction left "
              "--colour 112233 --report-rate 250 --ambient 1 --ambient-colour 445566 >/dev/null",
        &exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(SettingsOf(second.Control("dump")), fromPanel);
    EXPECT_EQ(SettingsByte(Dump(), 5), 14) << "speed position 10 is the keyboard's 14";
    EXPECT_EQ(SettingsByte(Dump(), 7), 0) << "a chosen colour turns colourful off";
    EXPECT_TRUE(l.ambientColour->isVisibleTo(window_.get())) << "the first ambient entry shows its colour";
}

TEST_F(LightingPanelInWindow, KeysArePaintedNotEditedWhileThePanelIsOpen)
{
    OpenWithKeyboard();
    Open();
    ChooseEffect(19);
    emit Controls().paintColour->ColourChosen(0x00FF8000);  // 00 80 FF
    ui::CPngButton* q = window_->Skin()->Keyboard().ButtonWithId(kKeyQ);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), q->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(q, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), q->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(q, &release);
    EXPECT_EQ(window_->KeyEditor(), nullptr) << "no key editor while the panel paints";
    const std::string dump = Dump();
    const std::size_t colours = dump.find("\"colours\": [\"");
    ASSERT_NE(colours, std::string::npos);
    EXPECT_EQ(dump.substr(colours + 13 + 6 * 43, 6), "0080ff") << "Q is LED 43 of profile 1";
    EXPECT_TRUE(q->FrameColourEnabled());
    EXPECT_EQ(q->FrameColour(), 0x00FF8000u);
}

TEST_F(LightingPanelInWindow, TheKeyboardsOwnLightingChangeReloadsThePanel)
{
    OpenWithKeyboard();
    Open();
    emulator_.Control("lighting");  // the keyboard's effect key: effect 1 becomes 2
    EXPECT_TRUE(PumpUntil([&] { return window_->Lighting()->State().mode == 2; }));
    EXPECT_EQ(Controls().effects->currentText(), "Sweep");
}

TEST_F(LightingPanelInWindow, TheDefaultProfileKeepsThePanelShut)
{
    OpenWithKeyboard();
    emulator_.Control("profile 3");
    EXPECT_TRUE(PumpUntil([&] { return window_->Lighting()->Profile() == 3; }));
    emit Controls().openSwitch->Clicked();
    EXPECT_FALSE(window_->Lighting()->PanelOpen());
    EXPECT_FALSE(Controls().effects->isVisibleTo(window_.get()));
    EXPECT_FALSE(window_->LightingControls()->PreviewTimer().isActive());
}

TEST_F(LightingPanelInWindow, AFailedWriteIsToldAndThePreviewRuns)
{
    OpenWithKeyboard();
    Open();
    EXPECT_TRUE(PumpUntil([&] {
        const auto* esc = window_->Skin()->Keyboard().ButtonWithId(1022);
        return esc->FrameColourEnabled();
    })) << "the preview colours the keys";
    emulator_.Control("fault ff 6");
    Controls().brightness->setValue(3);
    WaitForKeyboardWork();  // the window goes on meanwhile: the failure is told once tried
    ASSERT_FALSE(messages_.notified.empty());
    EXPECT_NE(messages_.notified.back().find("did not take"), std::string::npos) << messages_.notified.back();
}

TEST_F(LightingPanelInWindow, DefaultsRestoreTheLightingRecordAndALanguageRenamesTheEffects)
{
    OpenWithKeyboard();
    Open();
    ChooseEffect(12);
    Controls().brightness->setValue(2);
    messages_.SetNextAnswer(model::Answer::Yes);
    emit window_->Skin()->Buttons().defaultMode->clicked();
    const std::string settings = SettingsOf(Dump());
    EXPECT_EQ(settings.substr(6, 12), "01180300ff00") << "effect 1, brightness 24, speed 3, direction 0, colourful";
    EXPECT_EQ(window_->Lighting()->State().brightness, 24);
    EXPECT_EQ(Controls().effects->currentText(), "Wave");

    QMenu* languages = window_->WindowMenu().findChild<QMenu*>("LanguageMenu");
    ASSERT_NE(languages, nullptr);
    languages->actions()[1]->trigger();  // French
    EXPECT_EQ(Controls().effects->itemText(1).toStdString(),
        platform::GetPrivateProfileString("Mode", "2", "", app_.Paths().base + "Lang040C.ini"));
    EXPECT_NE(Controls().effects->itemText(1), "Sweep");
    EXPECT_EQ(Controls().title->text().toStdString(), app_.Texts().Text("IDS_KEYBOARD_FUNC_DENG", 1));
}

// A keyboard whose every reply comes 250 ms late: the window's thread goes on painting and running
// its timers while the brightness slider is dragged and Apply runs, and the drag sends its newest
// value, not every step it passed.
TEST_F(LightingPanelInWindow, TheWindowGoesOnWhileASlowKeyboardTakesADragAndApply)
{
    OpenWithKeyboard();
    Open();
    ChooseEffect(1);
    WaitForKeyboardWork();
    emulator_.Control("fault delay 250000 100000");

    std::chrono::steady_clock::duration longestGap{};
    auto last = std::chrono::steady_clock::now();
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const auto now = std::chrono::steady_clock::now();
        longestGap = std::max(longestGap, now - last);
        last = now;
    });
    ticks.start(10);
    const auto dragStarted = std::chrono::steady_clock::now();
    for (int value = 1; value <= 20; ++value) {
        Controls().brightness->setValue(value);
        const auto step = std::chrono::steady_clock::now() + 20ms;
        while (std::chrono::steady_clock::now() < step)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    const auto dragTook = std::chrono::steady_clock::now() - dragStarted;
    window_->SetSettingsModified(true);
    window_->Apply();  // returns once written, the window's loop running meanwhile
    WaitForKeyboardWork();
    ticks.stop();

    const auto gapMs = std::chrono::duration_cast<std::chrono::milliseconds>(longestGap).count();
    std::printf("longest gap between 10 ms ticks: %lld ms (drag of 20 steps: %lld ms)\n", static_cast<long long>(gapMs),
        static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(dragTook).count()));
    EXPECT_LT(gapMs, 100);
    EXPECT_LT(dragTook, 1500ms) << "the drag never waited for the keyboard";
    EXPECT_FALSE(window_->SettingsModified()) << "Apply went through";
    emulator_.Control("fault clear");
    EXPECT_EQ(SettingsByte(Dump(), 4), window_->Lighting()->State().brightness)
        << "the newest value reached the keyboard";
}

}  // namespace
}  // namespace tavrin::app
