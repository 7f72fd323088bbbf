#include "profiles/profile_manager.h"

#include "model/text_encoding.h"
#include "profiles/profile_file.h"
#include "profiles/working_file.h"

namespace tavrin::profiles {
namespace {

std::u16string MacroNamePrefix(model::LanguageTexts& texts)
{
    const std::string prefix = texts.Text("IDS_MACRO_NEW_PREFIX");
    return model::Utf16FromUtf8(prefix == model::kMissingText ? "Macro" : prefix);
}

void OnKeyboard(const ProfileWindows& windows, const std::function<void()>& work)
{
    if (windows.onKeyboard)
        windows.onKeyboard(work);
    else
        work();
}

}  // namespace

std::string ProfileManager::WorkingFile() const
{
    return WorkingFilePath(documentsFolder_);
}

SwitchResult ProfileManager::SwitchProfile(int target, const ProfileWindows& windows)
{
    if (target < 0 || target >= 3)
        target = 0;
    if (windows.editorOpen && windows.editorOpen()) {
        messages_.ShowMessage(kCloseEditorFirst);
        return {SwitchOutcome::EditorOpen, 1};
    }
    if (windows.unappliedChanges && windows.unappliedChanges() && !questionGuard_) {
        // The Apply that Yes runs lets other window events through: no second question meanwhile.
        questionGuard_ = true;
        if (messages_.Ask(texts_.Text("IDS_PROFILE_SELECT_PROMPT")) == model::Answer::Yes) {
            if (windows.apply)
                windows.apply();
        } else {
            if (windows.dropUnapplied)
                windows.dropUnapplied();
            bool known = false;
            OnKeyboard(windows, [&] { known = keyboard_.Active().ReadActiveProfile() >= 0; });
            if (known)
                ReloadWorkingFile();
        }
    }
    questionGuard_ = false;
    int written = device::kDeviceOk;
    OnKeyboard(windows, [&] { written = keyboard_.Active().WriteActiveProfile(target); });
    if (written <= 0)
        return {SwitchOutcome::NotTaken, written};
    if (windows.profileChosen)
        windows.profileChosen(target);
    return {};
}

void ProfileManager::ReloadWorkingFile()
{
    std::lock_guard lock(working_.lock);
    ClearProfileData(working_);
    if (!LoadProfileFile(WorkingFile(), working_))
        CreateDefaultProfileData(working_);
}

ReloadResult ProfileManager::ReloadFromKeyboard()
{
    ReloadResult result;
    WorkingFolder(documentsFolder_);
    const std::string file = WorkingFile();
    if (keyboard_.Active().ReadActiveProfile() >= 0) {
        result.read = keyboard_.Transfer().ReadKeyboardToFile(file, MacroNamePrefix(texts_));
        result.fromKeyboard = result.read.Succeeded();
    } else {
        result.read.failedStep = KeyboardReadStep::ActiveProfile;
    }
    ReloadWorkingFile();
    return result;
}

}  // namespace tavrin::profiles
