// Moving profile data between the keyboard, the working copy and profile files: reading the
// keyboard into a file, applying the working copy, and the backup and restore commands.
#pragma once

#include <string>
#include <string_view>

#include "device/device_commands.h"
#include "model/key_assignment.h"
#include "model/macro_download.h"
#include "model/user_messages.h"
#include "profiles/active_profile.h"
#include "profiles/profile_data.h"

namespace tavrin::profiles {

enum class RestoreOutcome {
    Rejected,    // the file was refused; the working copy and the keyboard are unchanged
    Applied,     // the file is the working copy and all three profiles are on the keyboard
    NotApplied,  // the file is the working copy, but writing it to the keyboard failed
};

class ProfileTransfer {
public:
    ProfileTransfer(device::DeviceCommands& commands, ActiveProfile& activeProfile, model::DefaultKeyBlock& defaults,
        model::MacroDownload& download, model::UserMessages& messages)
        : commands_(commands)
        , activeProfile_(activeProfile)
        , defaults_(defaults)
        , download_(download)
        , messages_(messages)
    {
    }

    // Reads the three key blocks and the macro block and writes them to `path` as a profile file.
    // Any failed read writes nothing. Macros without a name are named `macroNamePrefix` and a number.
    bool ReadKeyboardToFile(const std::string& path, std::u16string_view macroNamePrefix);

    // Snapshots the working copy into the applied copy and downloads it: the active profile's keys,
    // or all three profiles', with the macros. Takes the working lock, then the applied one.
    bool ApplyWorkingData(ProfileData& working, ProfileData& applied, bool allProfiles);

    // Saves the working copy to `path`.
    bool Backup(const std::string& path, ProfileData& working);

    // Validates and loads `path` into the working copy, saves the working file (when it exists) and
    // applies all three profiles. A refused file shows `refusedText` after any format message and
    // changes nothing.
    RestoreOutcome Restore(const std::string& path, ProfileData& working, ProfileData& applied,
        const std::string& workingFile, const std::string& refusedText);

private:
    device::DeviceCommands& commands_;
    ActiveProfile& activeProfile_;
    model::DefaultKeyBlock& defaults_;
    model::MacroDownload& download_;
    model::UserMessages& messages_;
};

// Moves the content of `from` (key area, macros, texts) into `to`, leaving `from` cleared.
void MoveProfileData(ProfileData& from, ProfileData& to);

}  // namespace tavrin::profiles
