// Switching the keyboard's profile and reloading the working copy from the keyboard. The decisions
// are here; the windows take part through a few callbacks, all called on the window's thread.
#pragma once

#include <functional>
#include <string>

#include "model/language_texts.h"
#include "model/user_messages.h"
#include "profiles/keyboard_context.h"
#include "profiles/profile_data.h"

namespace tavrin::profiles {

inline constexpr const char* kCloseEditorFirst
    = "When fast switch scene mode, you must first close the editor dialog box.";

// What switching needs of the windows.
struct ProfileWindows {
    std::function<bool()> editorOpen;
    std::function<bool()> unappliedChanges;  // the main window's or the profile dialog's
    std::function<void()> apply;             // the main window's Apply, waited for
    std::function<void()> dropUnapplied;     // the main window's Apply button goes off
    std::function<void(int)> profileChosen;  // the profile dialog (when open) checks that row
    // Runs keyboard work and returns when it is done: the window's keyboard worker, so that its
    // thread never waits on the keyboard itself; at once when none is given.
    std::function<void(const std::function<void()>&)> onKeyboard;
};

enum class SwitchOutcome {
    Switched,
    EditorOpen,  // refused: the composite editor must be closed first
    NotTaken,    // the keyboard did not take the profile; it runs what it ran
};

struct SwitchResult {
    SwitchOutcome outcome = SwitchOutcome::Switched;
    int device = 1;  // the profile write's result when it failed
    bool Switched() const { return outcome == SwitchOutcome::Switched; }
};

struct ReloadResult {
    bool fromKeyboard = false;  // else from the working file, or default data when that failed too
    KeyboardReadResult read;
};

class ProfileManager {
public:
    ProfileManager(KeyboardContext& keyboard, ProfileData& working, std::string documentsFolder,
        model::LanguageTexts& texts, model::UserMessages& messages)
        : keyboard_(keyboard)
        , working_(working)
        , documentsFolder_(std::move(documentsFolder))
        , texts_(texts)
        , messages_(messages)
    {
    }

    // Makes `target` (0–2; anything else is 0) the keyboard's profile. With unapplied changes asks
    // first: Yes applies them to the profile still active, No reloads the working file over them.
    SwitchResult SwitchProfile(int target, const ProfileWindows& windows);

    // Reads the keyboard into the working file and the working copy. When the keyboard cannot be
    // read the working copy is reloaded from the working file (default data only when that fails
    // too), so that the last known configuration is never replaced by defaults.
    ReloadResult ReloadFromKeyboard();

    std::string WorkingFile() const;

private:
    // Drops the working copy's edits: the working file again.
    void ReloadWorkingFile();

    KeyboardContext& keyboard_;
    ProfileData& working_;
    std::string documentsFolder_;
    model::LanguageTexts& texts_;
    model::UserMessages& messages_;
    bool questionGuard_ = false;
};

}  // namespace tavrin::profiles
