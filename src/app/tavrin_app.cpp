#include "app/tavrin_app.h"

#include <cstdio>
#include <cstdlib>

#include "app/start_up.h"
#include "app/tavrin_dlg.h"
#include "platform/executable_folder.h"
#include "platform/process_launch.h"
#include "platform/system_language.h"
#include "platform/user_folders.h"
#include "profiles/profile_file.h"

namespace tavrin::app {

void Trace(const char* event)
{
    static const bool enabled = std::getenv("TAVRIN_TRACE") != nullptr;
    if (enabled)
        std::fprintf(stderr, "tavrin: %s\n", event);
}

CTavrinApp::CTavrinApp()
    : texts_(std::string(), settingsKey_, platform::SystemLanguageId())
    , working_(std::make_unique<profiles::ProfileData>())
    , applied_(std::make_unique<profiles::ProfileData>())
{
    // The working copy starts as default data without macros or texts; the applied copy is empty.
    profiles::CreateDefaultProfileData(*working_);
}

int CTavrinApp::InitInstance(const QStringList& arguments)
{
    // Settings and the working file belong in the user's own folders; without a home there are none,
    // and a shared folder such as /tmp would put them where every user can read and replace them.
    const std::string config = platform::ConfigFolder();
    if (config.empty() || platform::DocumentsFolder().empty()) {
        std::fprintf(stderr,
            "tavrin: no home folder (HOME is unset and the user has no password entry): settings and the "
            "working file have nowhere private to go\n");
        return 0;
    }
    // The framework's settings of this company and application.
    settings_ = profiles::FrameworkSettings(config + "/" + kSettingsCompany + "/" + kApplicationTitle + ".ini");
    // Paths from the executable's own place.
    paths_ = BuildPathTable(platform::ExecutableFolder() + "/" + kApplicationTitle);
    texts_ = model::LanguageTexts(paths_.base, settingsKey_, platform::SystemLanguageId());
    // The settings key; without it the settings fall back to their defaults.
    settingsKey_.Open(config + "/" + kSettingsKeyName + "/registry.ini");
    // The two copies of the profile data and their locks live as long as this object.
    // The command line, the single instance and the background program, then the main window and
    // its modal run.
    StartUp startUp;
    bool shownOnce = false;
    if (!startUp.Claim(arguments, shownOnce))
        return 0;
    platform::LaunchDetached(paths_.backgroundProgram);
    int exitCode = 0;
    {
        WindowOptions options;
        options.shownOnce = shownOnce;
        options.runtimeFolder = startUp.RuntimeFolder();
        options.releaseStartUp = [&startUp] { startUp.Release(); };
        CTavrinDlg window(*this, std::move(options));
        startUp.Answer([&window](const InstanceMessage& message) {
            return window.HandleMessage(message.number, message.wParam, message.lParam);
        });
        exitCode = window.RunModal();
        startUp.Answer({});
    }
    // The window is gone; the data and its locks go with this object.
    return exitCode;
}

}  // namespace tavrin::app
