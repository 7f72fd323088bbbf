#include "app/tavrin_dlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QKeyEvent>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <malloc.h>
#include <unistd.h>

#include "app/about_dialog.h"
#include "app/tavrin_app.h"
#include "app/window_messages.h"
#include "platform/hidraw_access.h"
#include "platform/stop_signals.h"
#include "platform/user_folders.h"
#include "ui/color_static.h"
#include "ui/picture_static.h"
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
    if (!options_.openUrl)
        options_.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
}

CTavrinDlg::~CTavrinDlg()
{
    qApp->removeEventFilter(this);
    windowThread_.Close();
    StopKeyboardWorker();
    if (keyboard_)
        keyboard_->Stop();
}

void CTavrinDlg::StopKeyboardWorker()
{
    if (keyboardWorker_)
        keyboardWorker_->Stop();
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
    // From here on the keyboard's messages may come from any thread.
    keyboard_->RouteMessagesTo(threadMessages_);
    keyboardWorker_ = std::make_unique<profiles::KeyboardWorker>();
    busy_->SetStart([this](std::function<void()> job) { return keyboardWorker_->Post(std::move(job)); });
    // The documents folder is read from the user's settings once: the profiles, the lighting's
    // files and the paths all live in it.
    const std::string documents = platform::DocumentsFolder();
    profiles_ = std::make_unique<profiles::ProfileManager>(
        *keyboard_, app_.Working(), documents, app_.Texts(), threadMessages_);
    lighting_ = std::make_unique<lighting::LightingEditor>(
        keyboard_->Commands(), lighting::UserColourPrefix(documents), lighting::PanelFile(documents));
    lightingTraffic_ = std::make_unique<QueuedLightingTraffic>(
        *keyboardWorker_, keyboard_->Commands(), [this](const lighting::LightingFailure& failure) {
            windowThread_.Post([this, failure] {
                if (lightingPanel_)
                    lightingPanel_->Report({failure, {}});
            });
        });
    lighting_->SendTrafficThrough(lightingTraffic_.get());
    StartFollowingKeyboard();
    // The working copy starts as it was loaded: nothing to apply.
    settingsModified_ = false;
    // The working-mode label shows exactly while the keyboard runs its default mode; reads of the
    // active profile happen on worker threads too.
    keyboard_->Active().SetWorkingModeObserver([this](bool shown) {
        QMetaObject::invokeMethod(
            this,
            [this, shown] {
                if (skin_)
                    skin_->Buttons().workingModeLabel->setVisible(shown);
            },
            Qt::QueuedConnection);
    });
    // The window's looks wait until it is first shown: a start at login goes to the tray without
    // them. The paths that need the skin and the documents folder, the window tag, the key events.
    CompletePathTable(app_.Paths(), documents);
    const int events
        = keyEvents_.Create(platform::SessionEventPrefix(kKeyEventPrefix, options_.runtimeFolder), kKeyEventCount);
    if (events < kKeyEventCount)
        std::fprintf(stderr, "tavrin: only %d of the %d key events could be made (names held by another user?)\n",
            events, kKeyEventCount);
    // Enter, Escape and F1 anywhere in the window, and a change of the system clock.
    qApp->installEventFilter(this);
    WatchClockChanges();
    FollowSessionEvents();
    setWindowIcon(IconOf(model::kProgramIcon));
    // The tray icon and the hiding come with MSG_INIT, once the loop runs; the labels now.
    PostMessageToSelf(MSG_INIT, MSG_INIT_CHECK);
    HandleMessage(MSG_LANGUAGE, MSG_LANGUAGE_CHECK, static_cast<std::uint32_t>(app_.Texts().LanguageIndex()));
    return true;
}

bool CTavrinDlg::EnsureLaidOut()
{
    if (skin_)
        return true;
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
    const bool flipped = app_.Settings().GetSettingNumber(profiles::kProfilesSection, profiles::kFlipEntry, 0) != 0;
    skin_ = std::make_unique<ui::MainWindowSkin>(*this, std::move(*pictures), flipped);
    const ui::WindowButtons& buttons = skin_->Buttons();
    const std::pair<ui::CPngButton*, const char*> tooltips[]
        = {{buttons.help, "IDS_MAIN_HELP_PROMPT"}, {buttons.close, "IDS_MAIN_CLOSE_PROMPT"},
            {buttons.minimise, "IDS_MAIN_MINIMIZE_PROMPT"}, {buttons.menu, "IDS_MAIN_MENU_PROMPT"}};
    for (const auto& [button, text] : tooltips)
        button->SetTooltip(QString::fromStdString(app_.Texts().Text(text)), true);
    std::vector<QPixmap> frames;
    for (int frame = 1; frame <= 10; ++frame)
        frames.push_back(skin_->Bitmap("jdt" + std::to_string(frame) + ".bmp"));
    busy_->SetPicture(buttons.busy, std::move(frames));
    ConnectControls();
    LightingPanel::Host lightingHost;
    lightingHost.editor = lighting_.get();
    lightingHost.skin = skin_.get();
    lightingHost.texts = &app_.Texts();
    lightingHost.messages = &messages_;
    lightingHost.window = this;
    lightingHost.normalKeyLook = [this] {
        RefreshKeyButtons();
        ShowColourKeys();
    };
    lightingHost.reloadLighting = [this] { StartOneShot(kTimerLightingReload); };
    lightingPanel_ = std::make_unique<LightingPanel>(std::move(lightingHost), this);
    ShowState();
    if (lightingStale_ && keyboard_->Presence() && keyboard_->Presence()->LastPresence() != 0)
        ReloadLighting(true);
    Trace("laid out");
    return true;
}

void CTavrinDlg::ShowState()
{
    const ui::WindowButtons& buttons = skin_->Buttons();
    OnLanguage(app_.Texts().LanguageIndex());
    // Apply is enabled exactly while edits wait for it.
    buttons.apply->setEnabled(settingsModified_);
    buttons.switchMode->setText(keySelectMode_ ? kSwitchToFunctionKeys : kSwitchToColourKeys);
    ApplyFlip(app_.Settings().GetSettingNumber(profiles::kProfilesSection, profiles::kFlipEntry, 0) != 0);
    const int active = keyboard_->Active().Value();
    MarkProfileButton(active);
    buttons.workingModeLabel->setVisible(active > 2);
    buttons.bankLock->SetChecked(keyboard_->Session().GKeyBank() != 0);
    RefreshKeyButtons();
    ShowColourKeys();
    BuildProfileMenu();
}

void CTavrinDlg::HideWindow()
{
    hide();
    // The looks go once nothing that uses them is running: not from inside a control's own
    // handler, a message box or the busy loop.
    QTimer::singleShot(0, this, [this] { ReleaseLooks(); });
}

void CTavrinDlg::ReleaseLooks()
{
    if (!skin_ || isVisible() || (busy_ && busy_->Running()) || QThread::currentThread()->loopLevel() > 1
        || QApplication::activeModalWidget())
        return;
    busy_->SetPicture(nullptr, {});
    lightingPanel_.reset();
    skin_.reset();
    ReleasePictures();
    // Decoded pictures are large blocks; give the memory back to the system now.
    malloc_trim(0);
    Trace("looks released");
}

std::uint32_t CTavrinDlg::HandleMessage(std::uint32_t number, std::uint32_t wParam, std::uint32_t lParam)
{
    if (number == MSG_OPEN && wParam == MSG_OPEN_CHECK) {
        OnOpen();
    } else if (number == MSG_KILL && wParam == MSG_KILL_CHECK) {
        Trace("MSG_KILL");
        WhenIdle([this] {
            hide();
            CloseDown();
        });
    } else if (number == MSG_INIT && wParam == MSG_INIT_CHECK) {
        OnInit();
    } else if (number == MSG_LANGUAGE && wParam == MSG_LANGUAGE_CHECK) {
        OnLanguage(static_cast<int>(lParam));
    } else if (number == MSG_PROFILE_RELOAD && wParam == MSG_PROFILE_RELOAD_CHECK) {
        WhenIdle([this] { OnProfileReload(); });
    } else if (number == MSG_DEVICE_REMOVED) {
        OnDeviceRemoved();
    } else if (number == MSG_GKEY_BANK && wParam == MSG_GKEY_BANK_CHECK) {
        OnGKeyBank();
    } else if (number == MSG_KEYBOARD_CHANGED && wParam == MSG_KEYBOARD_CHANGED_CHECK) {
        OnKeyboardChangedNotice(lParam);
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
    tray_ = std::make_unique<ui::CTrayIcon>([this](int icon) { return IconOf(icon); },
        app_.Paths().base + "Skins/language.ini", app_.Texts().SkinLanguageSection());
    tray_->SetMenuRelabel([this](QMenu& menu) {
        const std::pair<int, const char*> labels[]
            = {{ui::kCommandOpen, "IDS_POP_UP_MENU_OPEN"}, {32775, "IDS_POP_UP_MENU_STOP"},
                {ui::kCommandAbout, "IDS_POP_UP_MENU_ABOUT"}, {ui::kCommandExit, "IDS_POP_UP_MENU_EXIT"}};
        for (QAction* action : menu.actions())
            for (const auto& [command, key] : labels)
                if (!action->isSeparator() && action->data().toInt() == command)
                    action->setText(QString::fromStdString(app_.Texts().Text(key)));
        if (!menu.property("languages").toBool()) {
            menu.setProperty("languages", true);
            menu.insertSeparator(menu.actions().back());
            FillLanguageMenu(*menu.insertMenu(menu.actions().back(), new QMenu(&menu))->menu());
        }
    });
    tray_->Create(this, QString::fromStdString(app_.Texts().Text("IDS_KEYBOARD_TRAY_DESC")), model::kProgramIcon);
    connect(tray_.get(), &ui::CTrayIcon::Command, this, &CTavrinDlg::OnCommand);
    trayState_ = model::TrayIconState();
    BuildProfileMenu();
    windowReady_ = true;
    HideWindow();
    Trace("MSG_INIT");
}

void CTavrinDlg::OnOpen()
{
    if (closed_)
        return;
    if (keyboard_ && keyboard_->Presence() && keyboard_->Presence()->LastPresence() != 0) {
        if (!EnsureLaidOut())
            return;
        Trace("MSG_OPEN shown");
        // A minimised window comes back as it was, in front.
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        show();
        raise();
        activateWindow();
        return;
    }
    Trace("MSG_OPEN without a keyboard");
    std::string text = app_.Texts().Text("IDS_MAIN_DEVICE_PROMRT");
    // When the keyboard is there but its device files refuse this user, the message says so too.
    if (options_.keyboardRefused ? options_.keyboardRefused() : platform::KeyboardPresentButRefused()) {
        text += '\n';
        text += app_.Texts().Text("IDS_MAIN_DEVICE_ACCESS");
    }
    // Not waited for: a second instance waiting for our answer must not wait for the user.
    messages_.Notify(text);
}

void CTavrinDlg::OnLanguage(int languageIndex)
{
    setWindowTitle(QString::fromStdString(app_.Texts().Text("IDS_MAIN_CAPTION", languageIndex)));
    if (CAboutDlg* about = CAboutDlg::Current())
        about->Relabel(app_.Texts(), languageIndex);
    if (tray_)
        tray_->SetTooltip(QString::fromStdString(app_.Texts().Text("IDS_KEYBOARD_TRAY_DESC", languageIndex)));
    if (keyEditor_)
        keyEditor_->SetTexts();
    BuildWindowMenu();
    if (!skin_)
        return;
    const auto text = [&](const char* key) { return QString::fromStdString(app_.Texts().Text(key, languageIndex)); };
    const ui::WindowButtons& b = skin_->Buttons();
    const std::pair<ui::CPngButton*, const char*> buttons[]
        = {{b.ok, "IDS_MAIN_OK"}, {b.cancel, "IDS_MAIN_Cancel"}, {b.apply, "IDS_MAIN_Apply"},
            {b.macro, "IDS_MAIN_MACRO"}, {b.defaultMode, "IDS_MAIN_DEFAULT"}, {b.profiles[0], "IDS_MAIN_PROFILE1"},
            {b.profiles[1], "IDS_MAIN_PROFILE2"}, {b.profiles[2], "IDS_MAIN_PROFILE3"}};
    for (const auto& [button, key] : buttons)
        button->setText(text(key));
    const std::pair<ui::ColorStatic*, const char*> labels[] = {{b.profileLabel, "IDS_KEYBOARD_FUNC_PROFILE"},
        {b.lightingLabel, "IDS_KEYBOARD_FUNC_LIGHTING"}, {b.workingModeLabel, "IDS_KEYBOARD_FUNC_WORK"}};
    for (const auto& [label, key] : labels)
        label->setText(text(key));
    b.version->setText(text("IDS_ABOUT_VERSION"));
    if (lightingPanel_) {
        lightingPanel_->Relabel(languageIndex);
        lightingPanel_->Refresh();
    }
    if (WindowReady())
        BuildProfileMenu();
}

void CTavrinDlg::CloseDown()
{
    if (closed_)
        return;
    closed_ = true;
    hide();
    // Workers waiting for the window stop waiting; nothing they queued runs any more.
    windowThread_.Close();
    // Child windows, the tray icon, the instance lock, the key events, the unapplied state.
    boxes_.CloseNotification();
    CAboutDlg::CloseOpen();
    if (tray_)
        tray_->Remove();
    trayState_.Clear();
    qApp->removeEventFilter(this);
    if (options_.releaseStartUp)
        options_.releaseStartUp();
    keyEvents_.Close();
    settingsModified_ = false;
    // The skin's pictures.
    ReleasePictures();
    // What the user changed last still reaches the keyboard; then the library's threads stay (the
    // library is not ended) and find nothing to call any more.
    StopKeyboardWorker();
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
        WhenIdle([this] { CloseDown(); });
    });
}

void CTavrinDlg::WatchClockChanges()
{
    if (clockWatch_.Descriptor() < 0)
        return;
    clockNotifier_ = new QSocketNotifier(clockWatch_.Descriptor(), QSocketNotifier::Read, this);
    connect(clockNotifier_, &QSocketNotifier::activated, this, [this] {
        // A clock that was set (by hand, or by time synchronisation after sleep) triggers Apply.
        if (clockWatch_.ClockWasSet())
            WhenIdle([this] { Apply(); });
    });
}

void CTavrinDlg::FollowSessionEvents()
{
    sessionEvents_ = options_.logindBus ? new SessionEvents(*options_.logindBus, this) : new SessionEvents(this);
    // Being suspended changes nothing by itself; coming back from it, or from sleep, the keyboard
    // may have been changed or replaced meanwhile.
    connect(sessionEvents_, &SessionEvents::suspendedChanged, this,
        [](bool suspended) { Trace(suspended ? "session suspended" : "session resumed"); });
    connect(sessionEvents_, &SessionEvents::keyboardShouldBeReread, this, &CTavrinDlg::Reread);
}

QIcon CTavrinDlg::IconOf(int icon) const
{
    QIcon result;
    const QString base = QString::fromStdString(app_.Paths().skinFolder) + QString("icon_%1").arg(icon);
    for (const int size : {16, 22, 24, 32, 48, 64, 128})
        if (const QString file = base + QString("_%1.png").arg(size); QFileInfo::exists(file))
            result.addFile(file, QSize(size, size));
    if (QFileInfo::exists(base + ".png"))
        result.addFile(base + ".png");
    return result;
}

bool CTavrinDlg::eventFilter(QObject* watched, QEvent* event)
{
    const auto type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || (widget != this && !isAncestorOf(widget)))
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        // Neither closes nor hides the window.
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
        return skin_ && skin_->Lighting().effects->hasFocus();
    case Qt::Key_F1:
        if (type == QEvent::KeyPress)
            OnHelp();
        return true;
    default:
        return false;
    }
}

void CTavrinDlg::closeEvent(QCloseEvent* event)
{
    // The window manager's close hides the window as Cancel does; the tray brings it back.
    event->ignore();
    HideWindow();
}

void CTavrinDlg::reject()
{
    HideWindow();
}

void CTavrinDlg::SetSettingsModified(bool modified)
{
    settingsModified_ = modified;
    if (skin_)
        skin_->Buttons().apply->setEnabled(modified);
}

void CTavrinDlg::WhenIdle(std::function<void()> call)
{
    if (busy_ && busy_->Running())
        afterBusy_.push_back(std::move(call));
    else
        call();
}

}  // namespace tavrin::app
