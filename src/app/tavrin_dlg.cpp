#include "app/tavrin_dlg.h"

#include <QAbstractButton>
#include <QLabel>
#include <QSocketNotifier>
#include <cstdio>
#include <unistd.h>

#include "app/tavrin_app.h"
#include "app/window_messages.h"
#include "platform/stop_signals.h"
#include "platform/user_folders.h"
#include "ui/png_button.h"
#include "ui/skin_failure.h"

namespace tavrin::app {

CTavrinDlg::CTavrinDlg(CTavrinApp& app, WindowOptions options)
    : ui::CBaseDialog(nullptr, app.Paths().mainSkinFile, app.Paths().skinFolder)
    , app_(app)
    , options_(std::move(options))
    , messages_(options_.messages ? *options_.messages : static_cast<model::UserMessages&>(boxes_))
    , keyboard_(std::move(options_.keyboard))
{
    setProperty("tavrinWindowTag", QVariant::fromValue<quint32>(kMainWindowTag));
    shownOnce_ = options_.shownOnce;
    // Nothing is waiting to be applied yet.
    settingsModified_ = false;
}

CTavrinDlg::~CTavrinDlg()
{
    if (keyboard_)
        keyboard_->Stop();
}

int CTavrinDlg::RunModal()
{
    if (!OnInitDialog())
        return 0;
    WatchStopSignals();
    loop_.exec();
    return 0;
}

bool CTavrinDlg::OnInitDialog()
{
    // Presence workers wait for this until the window has started up.
    windowReady_ = false;
    // The service library; any failure ends the process silently.
    std::string folder = app_.Paths().base;
    if (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    std::string failure;
    if (!keyboard_)
        keyboard_ = profiles::KeyboardContext::Bind(folder, messages_, failure);
    if (!keyboard_) {
        Trace("the service library could not be bound");
        return false;
    }
    // The reads, the keyboard count and the presence worker.
    keyboard_->RegisterDeviceReads([this](std::uint16_t code) { OnConsumerCode(code); });
    const int count = keyboard_->KeyboardCount();
    keyboard_->StartPresence(
        profiles::KeyboardPresence::Window{[this] { return WindowReady(); },
            [this] { PostMessageToSelf(MSG_OPEN, MSG_OPEN_CHECK); },
            [](std::uint32_t presence) { Trace(presence != 0 ? "keyboard present" : "keyboard absent"); }},
        shownOnce_);
    if (count <= 0)
        shownOnce_ = true;
    // The working copy starts as it was loaded: nothing to apply.
    settingsModified_ = false;
    // The skin's pictures and the layout, the paths that need the skin and the documents
    // folder, the window tag, the key events.
    if (!LayOutFromSkin())
        return false;
    CompletePathTable(app_.Paths(), platform::DocumentsFolder());
    const int events
        = keyEvents_.Create(platform::SessionEventPrefix(kKeyEventPrefix, options_.runtimeFolder), kKeyEventCount);
    if (events < kKeyEventCount)
        std::fprintf(stderr, "tavrin: only %d of the %d key events could be made (names held by another user?)\n",
            events, kKeyEventCount);
    // The tray icon and the hiding come with MSG_INIT, once the loop runs; the labels now.
    PostMessageToSelf(MSG_INIT, MSG_INIT_CHECK);
    HandleMessage(MSG_LANGUAGE, MSG_LANGUAGE_CHECK, static_cast<std::uint32_t>(app_.Texts().LanguageIndex()));
    return true;
}

bool CTavrinDlg::LayOutFromSkin()
{
    // Without its pictures the window cannot show itself: the program ends.
    std::string failed;
    std::optional<ui::MainWindowSkin::StatePictures> pictures
        = ui::MainWindowSkin::LoadStatePictures(app_.Paths().skinFolder, failed);
    if (!pictures) {
        ui::EndForMissingSkin("the skin picture \"" + failed + "\" could not be loaded");
        return false;
    }
    if (!ApplySkin())
        return false;
    const bool arrowsUp = app_.Settings().GetSettingNumber(profiles::kProfilesSection, profiles::kFlipEntry, 0) != 0;
    skin_ = std::make_unique<ui::MainWindowSkin>(*this, std::move(*pictures), arrowsUp);
    const struct {
        int id;
        const char* text;
    } tooltips[] = {{ui::main_id::kHelp, "IDS_MAIN_HELP_PROMPT"}, {ui::main_id::kClose, "IDS_MAIN_CLOSE_PROMPT"},
        {ui::main_id::kMinimise, "IDS_MAIN_MINIMIZE_PROMPT"}, {ui::main_id::kMenu, "IDS_MAIN_MENU_PROMPT"}};
    for (const auto& tooltip : tooltips)
        if (ui::CPngButton* button = skin_->Button(tooltip.id))
            button->SetTooltip(QString::fromStdString(app_.Texts().Text(tooltip.text)), true);
    // Apply is enabled exactly while edits wait for it.
    if (QWidget* apply = Control(ui::main_id::kApply))
        apply->setEnabled(settingsModified_);
    // Key clicks start in the function keys mode.
    if (ui::CPngButton* button = skin_->Button(ui::main_id::kSwitch))
        button->setText(kSwitchToColourKeys);
    // The working-mode label shows exactly while the keyboard runs its default mode; reads of the
    // active profile happen on worker threads too.
    keyboard_->Active().SetWorkingModeObserver([this](bool shown) {
        QMetaObject::invokeMethod(
            this,
            [this, shown] {
                if (QWidget* label = Control(ui::main_id::kWorkingModeLabel))
                    label->setVisible(shown);
            },
            Qt::QueuedConnection);
    });
    return true;
}

std::uint32_t CTavrinDlg::HandleMessage(std::uint32_t number, std::uint32_t wParam, std::uint32_t lParam)
{
    if (number == MSG_OPEN && wParam == MSG_OPEN_CHECK) {
        OnOpen();
    } else if (number == MSG_KILL && wParam == MSG_KILL_CHECK) {
        Trace("MSG_KILL");
        hide();
        CloseDown();
    } else if (number == MSG_INIT && wParam == MSG_INIT_CHECK) {
        OnInit();
    } else if (number == MSG_LANGUAGE && wParam == MSG_LANGUAGE_CHECK) {
        OnLanguage(static_cast<int>(lParam));
    }
    return 0;
}

void CTavrinDlg::PostMessageToSelf(std::uint32_t number, std::uint32_t wParam, std::uint32_t lParam)
{
    QMetaObject::invokeMethod(
        this, [this, number, wParam, lParam] { HandleMessage(number, wParam, lParam); }, Qt::QueuedConnection);
}

void CTavrinDlg::OnInit()
{
    windowReady_ = true;
    hide();
    Trace("MSG_INIT");
}

void CTavrinDlg::OnOpen()
{
    if (closed_)
        return;
    if (keyboard_ && keyboard_->Presence() && keyboard_->Presence()->LastPresence() != 0) {
        Trace("MSG_OPEN shown");
        show();
        raise();
        activateWindow();
        return;
    }
    Trace("MSG_OPEN without a keyboard");
    // Not waited for: a second instance waiting for our answer must not wait for the user.
    messages_.Notify(app_.Texts().Text("IDS_MAIN_DEVICE_PROMRT"));
}

void CTavrinDlg::OnLanguage(int languageIndex)
{
    setWindowTitle(QString::fromStdString(app_.Texts().Text("IDS_MAIN_CAPTION", languageIndex)));
    const struct {
        int id;
        const char* text;
    } labels[] = {{ui::main_id::kOk, "IDS_MAIN_OK"}, {ui::main_id::kCancel, "IDS_MAIN_Cancel"},
        {ui::main_id::kApply, "IDS_MAIN_Apply"}, {ui::main_id::kMacro, "IDS_MAIN_MACRO"},
        {ui::main_id::kDefault, "IDS_MAIN_DEFAULT"}, {ui::main_id::kProfile1, "IDS_MAIN_PROFILE1"},
        {ui::main_id::kProfile2, "IDS_MAIN_PROFILE2"}, {ui::main_id::kProfile3, "IDS_MAIN_PROFILE3"},
        {ui::main_id::kProfileLabel, "IDS_KEYBOARD_FUNC_PROFILE"},
        {ui::main_id::kLightingLabel, "IDS_KEYBOARD_FUNC_LIGHTING"},
        {ui::main_id::kWorkingModeLabel, "IDS_KEYBOARD_FUNC_WORK"}};
    for (const auto& label : labels) {
        const QString text = QString::fromStdString(app_.Texts().Text(label.text, languageIndex));
        if (auto* button = qobject_cast<QAbstractButton*>(Control(label.id)))
            button->setText(text);
        else if (auto* static_ = qobject_cast<QLabel*>(Control(label.id)))
            static_->setText(text);
    }
}

void CTavrinDlg::CloseDown()
{
    if (closed_)
        return;
    closed_ = true;
    hide();
    // Child windows, the instance lock, the key events, the unapplied state.
    boxes_.CloseNotification();
    if (options_.releaseStartUp)
        options_.releaseStartUp();
    keyEvents_.Close();
    settingsModified_ = false;
    // The skin's pictures.
    ReleasePictures();
    // The library's threads stay (the library is not ended); they find nothing to call any more.
    if (keyboard_)
        keyboard_->Stop();
    Trace("closed down");
    loop_.quit();
}

void CTavrinDlg::WatchStopSignals()
{
    // SIGTERM and SIGINT end the program through the same shutdown sequence as Exit.
    const int stop = platform::WatchStopSignals();
    if (stop < 0)
        return;
    stopNotifier_ = new QSocketNotifier(stop, QSocketNotifier::Read, this);
    connect(stopNotifier_, &QSocketNotifier::activated, this, [this] {
        platform::DrainStopSignals();
        CloseDown();
    });
}

void CTavrinDlg::OnConsumerCode(std::uint16_t)
{
    // The keyboard's own codes are acted on once the windows that follow them exist.
}

}  // namespace tavrin::app
