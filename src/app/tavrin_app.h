// The application object: the settings, the path table, the two data locks, and the main window's
// modal run, which is the program's whole life.
#pragma once

#include <QStringList>
#include <memory>
#include <mutex>

#include "app/path_table.h"
#include "model/language_texts.h"
#include "profiles/profile_data.h"
#include "profiles/settings_store.h"

namespace tavrin::app {

inline constexpr const char* kSettingsCompany = "Tavrin_Halvern";
inline constexpr const char* kApplicationTitle = "Tavrin";
inline constexpr const char* kSettingsKeyName = "Norvane_Q7R3";

class CTavrinApp {
public:
    CTavrinApp();
    CTavrinApp(const CTavrinApp&) = delete;
    CTavrinApp& operator=(const CTavrinApp&) = delete;

    // Start-up, the modal run of the main window, and what follows it. Returns the exit code,
    // which is 0 for every silent end of start-up as well.
    int InitInstance(const QStringList& arguments);

    const PathTable& Paths() const { return paths_; }
    PathTable& Paths() { return paths_; }
    profiles::SettingsKey& SettingsKey() { return settingsKey_; }
    profiles::FrameworkSettings& Settings() { return settings_; }
    model::LanguageTexts& Texts() { return texts_; }
    // The profile data: the working copy that editors change and the applied copy that the last
    // download sent. The working copy's lock is always taken before the applied copy's.
    profiles::ProfileData& Working() { return *working_; }
    profiles::ProfileData& Applied() { return *applied_; }
    std::recursive_mutex& WorkingLock() { return working_->lock; }
    std::recursive_mutex& AppliedLock() { return applied_->lock; }

private:
    PathTable paths_;
    profiles::SettingsKey settingsKey_;
    profiles::FrameworkSettings settings_;
    model::LanguageTexts texts_;
    std::unique_ptr<profiles::ProfileData> working_;
    std::unique_ptr<profiles::ProfileData> applied_;
};

// Writes a line about a handled private message to standard error when TAVRIN_TRACE is set; the
// tests and the start-up benchmark follow the program through it.
void Trace(const char* event);

}  // namespace tavrin::app
