// The main window's commands: its own buttons, its menu and the tray's, and Apply.
#include <QAbstractButton>
#include <QCursor>
#include <QPointer>
#include <QUrl>

#include "app/about_dialog.h"
#include "app/tavrin_app.h"
#include "app/tavrin_dlg.h"
#include "app/window_messages.h"
#include "device/device_identity.h"
#include "model/key_button_tips.h"
#include "model/key_editor_rules.h"
#include "model/key_table.h"
#include "model/layout_flip.h"
#include "platform/user_folders.h"
#include "profiles/working_copy_edits.h"
#include "profiles/working_file.h"
#include "ui/png_button.h"

namespace tavrin::app {
namespace {

constexpr const char* kProfileFileFilter = "(*.tvn)|*.tvn|(*.*)|*.*||";

model::FileChoice ProfileFileChoice(bool saving)
{
    return {"*.tvn", kProfileFileFilter, "tvn", saving};
}

}  // namespace

void CTavrinDlg::ConnectControls()
{
    const ui::WindowButtons& b = skin_->Buttons();
    const std::pair<ui::CPngButton*, std::function<void()>> commands[] = {
        {b.ok, [this] { OnOk(); }},
        {b.cancel, [this] { HideWindow(); }},
        {b.apply, [this] { Apply(); }},
        {b.help, [this] { OnHelp(); }},
        {b.minimise, [this] { showMinimized(); }},
        {b.close, [this] { WhenIdle([this] { CloseDown(); }); }},
        {b.link, [this] { OnLink(); }},
        {b.menu, [this] { OnMenu(); }},
        {b.profileDialog, [this] { OnProfileDialog(); }},
        {b.macro,
            [this] {
                if (keyboard_->Active().Value() != profiles::kDefaultModeProfile)
                    KeyButtonClicked(*model::GButtonId(8));
            }},
        {b.profiles[0], [this] { OnProfileButton(0); }},
        {b.profiles[1], [this] { OnProfileButton(1); }},
        {b.profiles[2], [this] { OnProfileButton(2); }},
        {b.defaultMode, [this] { OnDefault(); }},
        {b.switchMode, [this] { OnSwitchMode(); }},
        {b.flipFirst, [this] { OnFlip(); }},
        {b.flipSecond, [this] { OnFlip(); }},
    };
    for (const auto& [button, command] : commands)
        connect(button, &QAbstractButton::clicked, this, command);
    const ui::KeyboardButtons& keyboard = skin_->Keyboard();
    const auto clicks = [this](ui::CPngButton* button, int id) {
        connect(button, &QAbstractButton::clicked, this, [this, id] { KeyButtonClicked(id); });
    };
    for (const auto& key : keyboard.keys)
        clicks(key.button, key.controlId);
    for (std::size_t g = 0; g < keyboard.gKeys.size(); ++g)
        clicks(keyboard.gKeys[g], *model::GButtonId(static_cast<int>(g)));
    clicks(keyboard.fn, model::kFnButtonId);
}

void CTavrinDlg::OnCommand(int command)
{
    switch (command) {
    case ui::kCommandOpen:
        OnOpen();
        break;
    case ui::kCommandAbout:
        OnAbout();
        break;
    case ui::kCommandExit:
        WhenIdle([this] {
            hide();
            CloseDown();
        });
        break;
    case kCommandRestore:
        OnRestore();
        break;
    case kCommandBackup:
        OnBackup();
        break;
    default:
        break;
    }
}

void CTavrinDlg::Apply()
{
    // Nothing waits: the keyboard is not even asked.
    if (!settingsModified_)
        return;
    // The keyboard's default mode takes no profile.
    bool defaultMode = false;
    profiles::ApplyResult result;
    RunBusy([&] {
        defaultMode = keyboard_->Active().ReadActiveProfile() > 2;
        if (!defaultMode)
            result = keyboard_->Transfer().Apply(app_.Working(), app_.Applied(), profiles_->WorkingFile());
    });
    if (defaultMode)
        return;
    ShowDownloadMessages(result.download);
    if (result.Succeeded())
        SetSettingsModified(false);
    else
        messages_.ShowMessage(profiles::DescribeApply(result));
}

void CTavrinDlg::ShowDownloadMessages(const profiles::DownloadResult& download)
{
    // Shown here, on the window's thread once the keyboard work is over: the worker held the
    // keyboard and the profile data, and nobody may wait for a person while holding them.
    for (const std::string& message : download.messages)
        messages_.ShowMessage(message);
}

void CTavrinDlg::RunBusy(const std::function<void()>& work)
{
    const bool outermost = !busy_->Running();
    busy_->Run(work);
    // What waited for the keyboard work runs next, in the order it came, each from the event loop:
    // this may run inside a worker's call that the shutdown must not wait for.
    if (outermost)
        for (auto& call : std::exchange(afterBusy_, {}))
            QMetaObject::invokeMethod(
                this, [this, call = std::move(call)] { WhenIdle(call); }, Qt::QueuedConnection);
}

void CTavrinDlg::OnOk()
{
    Apply();
    HideWindow();
}

void CTavrinDlg::OnHelp()
{
    options_.openUrl(QUrl::fromLocalFile(QString::fromStdString(app_.Paths().helpFolder + "index.html")));
}

void CTavrinDlg::OnLink()
{
    options_.openUrl(QUrl(QString::fromStdString(app_.Paths().linkAddress)));
}

void CTavrinDlg::OnAbout()
{
    CAboutDlg::Open(app_.Texts(), QString::fromStdString(app_.Paths().linkAddress), [this] { OnHelp(); });
}

void CTavrinDlg::BuildWindowMenu()
{
    windowMenu_.clear();
    const std::pair<int, const char*> items[]
        = {{kCommandRestore, "IDS_BUTTON_MENU_IMPORT"}, {kCommandBackup, "IDS_BUTTON_MENU_EXPORT"}};
    for (const auto& [command, key] : items) {
        QAction* action = windowMenu_.addAction(QString::fromStdString(app_.Texts().Text(key)));
        action->setData(command);
        connect(action, &QAction::triggered, this, [this, command = command] { OnCommand(command); });
    }
    windowMenu_.addSeparator();
    FillLanguageMenu(*windowMenu_.addMenu(QString()));
}

void CTavrinDlg::FillLanguageMenu(QMenu& menu)
{
    menu.clear();
    menu.setObjectName("LanguageMenu");
    menu.setTitle(QString::fromStdString(app_.Texts().Text("IDS_MENU_LANGUAGE")));
    const int chosen = app_.Texts().LanguageIndex();
    for (int index = 0; index < model::kSupportedLanguageCount; ++index) {
        QAction* action = menu.addAction(QString::fromUtf8(model::kLanguageOwnNames[static_cast<std::size_t>(index)]));
        action->setCheckable(true);
        action->setChecked(index == chosen);
        connect(action, &QAction::triggered, this, [this, index] { ChooseLanguage(index); });
    }
}

void CTavrinDlg::ChooseLanguage(int languageIndex)
{
    app_.Texts().ChooseLanguageIndex(languageIndex);
    if (app_.Texts().LanguageIndex() != languageIndex) {
        messages_.ShowMessage("The language could not be stored in the settings; it stays as it was.");
        return;
    }
    HandleMessage(MSG_LANGUAGE, MSG_LANGUAGE_CHECK, static_cast<std::uint32_t>(app_.Texts().LanguageIndex()));
}

void CTavrinDlg::OnMenu()
{
    windowMenu_.popup(QCursor::pos());
}

void CTavrinDlg::OnProfileDialog()
{
    ProfileDialogHost host;
    host.profileFolder = profiles::WorkingFolder(platform::DocumentsFolder()) + "/";
    host.workingFile = profiles_->WorkingFile();
    host.activeProfile = ReadActiveProfile();
    host.settings = &app_.Settings();
    host.texts = &app_.Texts();
    host.messages = &messages_;
    host.apply = [this](std::optional<int> active) { return ApplyProfileDialog(active); };
    host.help = [this] { OnHelp(); };
    CTavrin_DlgProfile dialog(this, app_.Paths().profileSkinFile, app_.Paths().profileSkinFolder, std::move(host));
    if (!dialog.LayOut())
        return;
    profileDialog_ = &dialog;
    // The keyboard's removal closes it.
    connect(this, &CTavrinDlg::ChildWindowsClosing, &dialog, &QDialog::reject);
    dialog.exec();
    profileDialog_ = nullptr;
}

std::string CTavrinDlg::ApplyProfileDialog(std::optional<int> active)
{
    std::string failure;
    if (active) {
        int written = device::kDeviceOk;
        RunBusy([&] { written = keyboard_->Active().WriteActiveProfile(*active); });
        if (written <= 0)
            failure = "The keyboard did not take profile " + std::to_string(*active + 1) + ": "
                + device::DeviceResultText(written) + ". It runs the profile it ran before.";
    }
    ReloadFromKeyboard(false);
    MarkProfileButton(keyboard_->Active().Value());
    BuildProfileMenu();
    SetSettingsModified(false);
    return failure;
}

void CTavrinDlg::OnBackup()
{
    const std::optional<std::string> path = messages_.ChooseFileToSave(ProfileFileChoice(true));
    if (!path)
        return;
    if (!keyboard_->Transfer().Backup(*path, app_.Working()))
        messages_.ShowMessage("The profiles could not be saved to \"" + *path + "\"; nothing was written there.");
}

void CTavrinDlg::OnRestore()
{
    const std::optional<std::string> path = messages_.ChooseFileToOpen(ProfileFileChoice(false));
    if (!path)
        return;
    profiles::RestoreResult result;
    const std::string refused = app_.Texts().Text("IDS_MAIN_PROMPT_INPORT");
    RunBusy([&] {
        result
            = keyboard_->Transfer().Restore(*path, app_.Working(), app_.Applied(), profiles_->WorkingFile(), refused);
    });
    if (result.outcome == profiles::RestoreOutcome::Rejected)
        return;
    ShowDownloadMessages(result.download);
    RefreshKeyButtons();
    if (result.outcome == profiles::RestoreOutcome::Applied)
        SetSettingsModified(false);
    else
        messages_.ShowMessage(profiles::DescribeRestoreFailure(result));
}

void CTavrinDlg::OnDefault()
{
    const int active = ReadActiveProfile();
    if (active == profiles::kDefaultModeProfile || active > 2)
        return;
    if (messages_.Ask(app_.Texts().Text("IDS_MAIN_PROMPT_DEFAULT")) != model::Answer::Yes)
        return;
    profiles::ClearProfileAssignments(app_.Working(), active < 0 ? 0 : active, keyboard_->Session().GKeyBank());
    SetSettingsModified(true);
    RefreshKeyButtons();
    Apply();
    if (lightingPanel_)
        lightingPanel_->RestoreDefaults();
}

void CTavrinDlg::OnSwitchMode()
{
    keySelectMode_ = !keySelectMode_;
    if (skin_)
        skin_->Buttons().switchMode->setText(keySelectMode_ ? kSwitchToFunctionKeys : kSwitchToColourKeys);
    ShowColourKeys();
}

void CTavrinDlg::OnFlip()
{
    const bool flipped = app_.Settings().GetSettingNumber(profiles::kProfilesSection, profiles::kFlipEntry, 0) == 0;
    app_.Settings().WriteSettingFlag(profiles::kProfilesSection, profiles::kFlipEntry, flipped ? 1 : 0);
    ApplyFlip(flipped);
}

void CTavrinDlg::ApplyFlip(bool flipped)
{
    if (!skin_)
        return;
    for (const auto& key : skin_->Keyboard().keys)
        key.button->setEnabled(model::FlipEnables(key.controlId, flipped));
    skin_->Buttons().flipIndicator->SetChecked(flipped);
    skin_->SetArrowsUp(flipped);
}

void CTavrinDlg::KeyButtonClicked(int controlId)
{
    // With the lighting panel open a key click paints (on the press) and opens nothing; the G
    // buttons and the macro button still open the key editor.
    if (lightingPanel_ && lightingPanel_->TakesKeyClicks() && !model::GIndexOfButton(controlId))
        return;
    const int active = keyboard_->Active().Value();
    const int bank = keyboard_->Session().GKeyBank();
    if (keySelectMode_) {
        const int profile = active >= 0 && active <= 2 ? active : 0;
        if (profiles::ToggleColourKey(app_.Working(), profile, bank, controlId)) {
            SetSettingsModified(true);
            ShowColourKeys();
        }
        return;
    }
    const std::optional<std::size_t> record = model::EditedRecordOfButton(controlId, bank);
    if (!record || keyEditor_)
        return;
    if (active < 0 || active > profiles::kDefaultModeProfile) {
        messages_.ShowMessage("The keyboard's active profile could not be read, so it is not known which profile "
                              "this key belongs to. Nothing was changed; plug the keyboard in again and retry.");
        return;
    }
    OpenKeyEditor(controlId, active, *record);
}

void CTavrinDlg::OpenKeyEditor(int controlId, int profile, std::size_t record)
{
    KeyEditorHost host;
    host.working = &app_.Working();
    host.profile = profile;
    host.record = record;
    host.controlId = controlId;
    host.macroOnly = controlId == model::kG9ButtonId;
    host.texts = &app_.Texts();
    host.messages = &messages_;
    host.settings = &app_.Settings();
    host.help = [this] { OnHelp(); };
    host.applied = [this] {
        RefreshKeyButtons();
        ShowColourKeys();
        SetSettingsModified(true);
    };
    // The window may let its looks go while the editor is open (the keyboard went).
    QPointer<ui::CPngButton> button = skin_ ? skin_->Keyboard().ButtonWithId(controlId) : nullptr;
    if (button)
        host.buttonRect = QRect(button->mapToGlobal(QPoint(0, 0)), button->size());
    if (const std::optional<int> g = model::GIndexOfButton(controlId))
        host.title = model::GTipName(*g);
    else if (const std::optional<model::KeyCode> code = model::KeyCodeOfButton(controlId))
        host.title = model::DisplayedName(*code, app_.Texts());
    CTavrin_DlgComposite editor(
        this, app_.Paths().compositeSkinFile, app_.Paths().compositeSkinFolder, std::move(host));
    if (!editor.LayOut())
        return;
    keyEditor_ = &editor;
    // The keyboard's removal closes it.
    connect(this, &CTavrinDlg::ChildWindowsClosing, &editor, &QDialog::reject);
    editor.exec();
    keyEditor_ = nullptr;
    // The clicked button loses the pressed look it kept while the editor was open.
    if (button)
        button->update();
}

}  // namespace tavrin::app
