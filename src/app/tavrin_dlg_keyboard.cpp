// The main window following the keyboard: its arrival and removal, the codes it sends on its own,
// the G-key bank, and switching and reloading its profiles.
#include <future>

#include "app/about_dialog.h"
#include "app/tavrin_app.h"
#include "app/tavrin_dlg.h"
#include "app/window_messages.h"
#include "device/consumer_codes.h"
#include "device/device_identity.h"
#include "model/key_table.h"
#include "profiles/key_button_looks.h"
#include "profiles/profile_menu.h"
#include "profiles/working_copy_edits.h"
#include "ui/color_static.h"
#include "ui/png_button.h"

namespace tavrin::app {

void CTavrinDlg::StartFollowingKeyboard()
{
    // The reads, the keyboard count and the presence workers.
    keyboard_->RegisterDeviceReads([this](std::uint16_t code) { OnConsumerCode(code); });
    const int count = keyboard_->KeyboardCount();
    keyboard_->StartPresence(
        profiles::KeyboardPresence::Window{[this] { return WindowReady(); }, [this] { OnKeyboardArrived(); },
            [this] { OnKeyboardRemoved(); }, [this](std::uint32_t presence) { OnPresenceChanged(presence); },
            [this] { PostMessageToSelf(MSG_OPEN, MSG_OPEN_CHECK); }},
        shownOnce_);
    if (count <= 0)
        shownOnce_ = true;
}

// On a presence worker.
void CTavrinDlg::OnKeyboardArrived()
{
    Trace("keyboard arrived");
    profiles::ArrivalState arrival;
    // In turn with the window's other keyboard traffic.
    std::promise<void> read;
    const auto readArrival = [&] {
        arrival = keyboard_->ReadArrival();
        read.set_value();
    };
    if (keyboardWorker_->Post(readArrival))
        read.get_future().wait();
    else
        readArrival();  // closing down: the worker takes nothing more
    // The texts belong to the window's thread: the message is made there.
    if (!arrival.DefaultMapTaken())
        windowThread_.Call([this] { messages_.ShowMessage(app_.Texts().Text("IDS_MIAN_DEFAULT_PROMPT")); });
    windowThread_.Call([this] { HandleMessage(MSG_PROFILE_RELOAD, MSG_PROFILE_RELOAD_CHECK, 0); });
}

// On a presence worker.
void CTavrinDlg::OnKeyboardRemoved()
{
    Trace("keyboard removed");
    keyboard_->Active().SetUnknown();
    windowThread_.Call([this] {
        HandleMessage(MSG_DEVICE_REMOVED, 0, 0);
        HideWindow();
    });
}

// On a presence worker, once the window is ready.
void CTavrinDlg::OnPresenceChanged(std::uint32_t presence)
{
    Trace(presence != 0 ? "keyboard present" : "keyboard absent");
    windowThread_.Call([this, presence] {
        SetTrayState(false, presence != 0 ? model::kConnectedIcon : model::kProgramIcon);
        BuildProfileMenu();
    });
}

// On the library's callback thread: nothing here waits for the window or touches its state.
void CTavrinDlg::OnConsumerCode(std::uint16_t code)
{
    switch (device::KeyboardEventOfCode(code)) {
    case device::KeyboardEvent::GKeyBank:
        keyboard_->Session().SwitchGKeyBank();
        PostMessageToSelf(MSG_GKEY_BANK, MSG_GKEY_BANK_CHECK);
        break;
    case device::KeyboardEvent::LightingChanged:
        windowThread_.Post([this] { StartOneShot(kTimerLightingReload); });
        break;
    case device::KeyboardEvent::ProfileChanged:
        windowThread_.Post([this] { StartOneShot(kTimerProfileChanged); });
        break;
    case device::KeyboardEvent::ReloadWanted:
        windowThread_.Post([this] { StartOneShot(kTimerFullReload); });
        break;
    case device::KeyboardEvent::PlayOn:
    case device::KeyboardEvent::PlayOff: {
        // Queued calls run in the order the codes came, so the last one's picture stays.
        const bool playing = device::KeyboardEventOfCode(code) == device::KeyboardEvent::PlayOn;
        windowThread_.Post([this, playing] { SetTrayState(playing, 0); });
        break;
    }
    case device::KeyboardEvent::None:
        break;
    }
}

void CTavrinDlg::StartOneShot(int timer)
{
    QTimer*& shot = oneShots_[timer];
    if (!shot) {
        shot = new QTimer(this);
        shot->setSingleShot(true);
        connect(shot, &QTimer::timeout, this, [this, timer] { OnTimer(timer); });
    }
    shot->start(0);
}

void CTavrinDlg::OnTimer(int timer)
{
    if (QTimer* shot = oneShots_[timer])
        shot->stop();
    switch (timer) {
    case kTimerLightingReload:
        WhenIdle([this] { ReloadLighting(false); });
        break;
    case kTimerProfileChanged:
        WhenIdle([this] {
            MarkProfileButton(ReadActiveProfile());
            RefreshKeyButtons();
            ShowColourKeys();
            BuildProfileMenu();
            ReloadLighting(true);
        });
        break;
    case kTimerFullReload:
        PostMessageToSelf(MSG_PROFILE_RELOAD, MSG_PROFILE_RELOAD_CHECK);
        break;
    default:
        break;
    }
}

void CTavrinDlg::OnProfileReload()
{
    Trace("MSG_PROFILE_RELOAD");
    ReloadFromKeyboard(false);
    MarkProfileButton(ReadActiveProfile());
    BuildProfileMenu();
    ReloadLighting(true, true);
}

void CTavrinDlg::ReloadLighting(bool withKeyColours, bool rebuildMarks)
{
    // Only the panel shows the lighting: while the window is hidden in the tray the keyboard is not
    // read for it, and the window reads it whole when it is laid out.
    if (!lightingPanel_) {
        lightingStale_ = true;
        lightingMarksStale_ = lightingMarksStale_ || rebuildMarks;
        return;
    }
    withKeyColours = withKeyColours || lightingStale_;
    rebuildMarks = rebuildMarks || lightingMarksStale_;
    lightingStale_ = false;
    lightingMarksStale_ = false;
    // Read on the keyboard worker into a copy (a part that fails keeps what it held), taken on the
    // window's thread once read. A newer reload of the same kind waiting behind a slow keyboard
    // replaces this one.
    auto snapshot = std::make_shared<lighting::LightingSnapshot>(lighting_->Snapshot());
    const std::string key
        = std::string("lighting reload") + (withKeyColours ? " with colours" : "") + (rebuildMarks ? " and marks" : "");
    keyboardWorker_->Post(
        [this, snapshot, withKeyColours, rebuildMarks] {
            const lighting::LightingFailure failure
                = lighting::ReadLighting(keyboard_->Commands(), withKeyColours, *snapshot);
            const int profile = keyboard_->Active().Value();
            windowThread_.Post([this, snapshot, failure, profile, rebuildMarks] {
                lighting_->TakeSnapshot(std::move(*snapshot), profile);
                if (failure.Failed())
                    Trace(("lighting not read: " + failure.Describe()).c_str());
                else if (rebuildMarks)
                    lighting_->RebuildMarks();
                if (lightingPanel_)
                    lightingPanel_->Refresh();
            });
        },
        key);
}

int CTavrinDlg::ReadActiveProfile()
{
    int active = profiles::kUnknownProfile;
    RunBusy([&] { active = keyboard_->Active().ReadActiveProfile(); });
    return active;
}

void CTavrinDlg::OnDeviceRemoved()
{
    CAboutDlg::CloseOpen();
    emit ChildWindowsClosing();
}

void CTavrinDlg::OnGKeyBank()
{
    if (!skin_)
        return;
    skin_->Buttons().bankLock->SetChecked(keyboard_->Session().GKeyBank() != 0);
    RefreshKeyButtons();
    ShowColourKeys();
}

void CTavrinDlg::ReloadFromKeyboard(bool keepApply)
{
    profiles::ReloadResult result;
    RunBusy([&] { result = profiles_->ReloadFromKeyboard(); });
    RefreshKeyButtons();
    if (!keepApply)
        SetSettingsModified(false);
    if (!result.fromKeyboard && result.read.failedStep != profiles::KeyboardReadStep::ActiveProfile)
        messages_.ShowMessage(profiles::DescribeKeyboardRead(result.read)
            + "; the profiles shown are those of the working file, not the keyboard's.");
}

void CTavrinDlg::RefreshKeyButtons()
{
    if (!skin_)
        return;
    const int active = keyboard_->Active().Value();
    const int profile = active >= 0 && active <= 2 ? active : 0;
    const std::vector<model::ButtonLook> looks
        = profiles::KeyButtonLooks(app_.Working(), profile, keyboard_->Session().GKeyBank(), app_.Texts());
    for (const model::ButtonLook& look : looks)
        if (ui::CPngButton* button = skin_->Keyboard().ButtonWithId(look.controlId)) {
            button->SetChecked(look.assigned);
            button->SetTooltip(QString::fromStdString(look.tip), !look.tip.empty());
        }
}

void CTavrinDlg::ShowColourKeys()
{
    if (!skin_)
        return;
    const int active = keyboard_->Active().Value();
    const int profile = active >= 0 && active <= 2 ? active : 0;
    const int bank = keyboard_->Session().GKeyBank();
    const auto show = [&](ui::CPngButton* button, int id) {
        const bool flag = profiles::ColourKeyFlag(app_.Working(), profile, bank, id).value_or(false);
        button->SetAlternativePictures(
            keySelectMode_, flag ? 1 : 0, skin_->Pictures().colour0, skin_->Pictures().colour1);
    };
    for (std::size_t g = 0; g < skin_->Keyboard().gKeys.size(); ++g)
        show(skin_->Keyboard().gKeys[g], *model::GButtonId(static_cast<int>(g)));
    for (const auto& key : skin_->Keyboard().keys)
        show(key.button, key.controlId);
}

void CTavrinDlg::MarkProfileButton(int profile)
{
    if (!skin_)
        return;
    for (int i = 0; i < 3; ++i)
        skin_->Buttons().profiles[static_cast<std::size_t>(i)]->SetChecked(i == profile);
}

void CTavrinDlg::BuildProfileMenu()
{
    const profiles::ProfileMenu menu = profiles::BuildProfileMenu(keyboard_->Active().Value(),
        app_.Texts().Text("IDS_DEFAULT_PROFILE_NAME"), profiles::ProfileNameOfFile(profiles_->WorkingFile()));
    profileMenu_.clear();
    for (const profiles::ProfileMenuEntry& entry : menu.entries) {
        if (entry.separator) {
            profileMenu_.addSeparator();
            continue;
        }
        QAction* action = profileMenu_.addAction(QString::fromStdString(entry.text));
        action->setCheckable(true);
        action->setChecked(entry.checked);
    }
    if (skin_) {
        skin_->Buttons().profileLabel->setToolTip(QString::fromStdString(menu.tooltip));
        skin_->Buttons().profileDialog->SetTooltip(QString::fromStdString(menu.tooltip), true);
    }
}

void CTavrinDlg::SetTrayState(bool playing, int icon)
{
    if (const std::optional<int> shown = trayState_.SetTrayState(playing, icon); shown && tray_) {
        tray_->SetIcon(*shown);
        Trace(*shown == model::kPlayingIcon       ? "tray icon 142"
                : *shown == model::kConnectedIcon ? "tray icon 141"
                                                  : "tray icon 128");
    }
}

profiles::ProfileWindows CTavrinDlg::SwitchWindows()
{
    profiles::ProfileWindows windows;
    windows.editorOpen = [] { return CTavrin_DlgComposite::OpenCount() > 0; };
    windows.unappliedChanges
        = [this] { return settingsModified_ || (profileDialog_ && profileDialog_->List().Modified()); };
    windows.apply = [this] { Apply(); };
    windows.dropUnapplied = [this] { SetSettingsModified(false); };
    windows.onKeyboard = [this](const std::function<void()>& work) { RunBusy(work); };
    windows.profileChosen = [this](int profile) {
        if (profileDialog_)
            profileDialog_->ProfileChosen(profile);
    };
    return windows;
}

void CTavrinDlg::OnProfileButton(int profile)
{
    // The button of the profile that is active already does nothing.
    if (ReadActiveProfile() == profile)
        return;
    const profiles::SwitchResult result = profiles_->SwitchProfile(profile, SwitchWindows());
    if (result.outcome == profiles::SwitchOutcome::NotTaken)
        messages_.ShowMessage("The keyboard did not take profile " + std::to_string(profile + 1) + ": "
            + device::DeviceResultText(result.device) + ". It runs the profile it ran before.");
    if (!result.Switched())
        return;
    RefreshKeyButtons();
    BuildProfileMenu();
    MarkProfileButton(profile);
    if (skin_)
        skin_->Buttons().workingModeLabel->hide();
    ShowColourKeys();
    ReloadLighting(true);
}

void CTavrinDlg::Reread()
{
    // After sleep or an unlock the keyboard may have changed meanwhile: its profiles are read
    // again, unless the window holds changes not applied yet, which are never thrown away
    // unasked; then only which profile runs is shown afresh.
    WhenIdle([this] {
        if (closed_ || !keyboard_->Presence() || keyboard_->Presence()->LastPresence() == 0)
            return;
        Trace("reread after the session came back");
        if (!settingsModified_) {
            HandleMessage(MSG_PROFILE_RELOAD, MSG_PROFILE_RELOAD_CHECK, 0);
            return;
        }
        MarkProfileButton(ReadActiveProfile());
        BuildProfileMenu();
    });
}

}  // namespace tavrin::app
