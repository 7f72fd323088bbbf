// Moving profile data between the keyboard, the working copy and profile files: reading the
// keyboard into a file, applying the working copy, and the backup and restore commands. Each
// sequence succeeds or fails as a whole, and a failure says which step failed.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "device/device_commands.h"
#include "model/key_assignment.h"
#include "model/user_messages.h"
#include "profiles/active_profile.h"
#include "profiles/macro_download.h"
#include "profiles/profile_data.h"
#include "profiles/working_file.h"

namespace tavrin::profiles {

// The steps of reading the keyboard into a file, in order.
enum class KeyboardReadStep { None, Busy, ActiveProfile, KeyMap, Macros, OutOfTurn, Memory, File };

struct KeyboardReadResult {
    KeyboardReadStep failedStep = KeyboardReadStep::None;
    int device = device::kDeviceOk;  // what the failing read returned
    int profile = -1;                // the key map that could not be read
    std::string fileError;           // why the file could not be written
    bool Succeeded() const { return failedStep == KeyboardReadStep::None; }
    // A keyboard failure, as opposed to a file that could not be written.
    bool KeyboardFailed() const { return failedStep != KeyboardReadStep::None && failedStep != KeyboardReadStep::File; }
};
std::string DescribeKeyboardRead(const KeyboardReadResult& result);

enum class RestoreOutcome {
    Rejected,    // the file was refused; the working copy and the keyboard are unchanged
    Applied,     // the file is the working copy and all three profiles are on the keyboard
    NotApplied,  // the file is the working copy, but writing it to the keyboard failed
};

struct RestoreResult {
    RestoreOutcome outcome = RestoreOutcome::Rejected;
    DownloadResult download;                                 // when the file was accepted
    WorkingFileSave workingFile = WorkingFileSave::Missing;  // what became of the working file
};

// The main window's Apply: the working file saved and the active profile written.
struct ApplyResult {
    WorkingFileSave workingFile = WorkingFileSave::Missing;
    DownloadResult download;
    // Apply stays enabled unless both happened.
    bool Succeeded() const { return workingFile == WorkingFileSave::Saved && download.Succeeded(); }
};
// What failed and what state the keyboard and the working file are in, for the user.
std::string DescribeApply(const ApplyResult& result);
std::string DescribeRestoreFailure(const RestoreResult& result);

class ProfileTransfer {
public:
    ProfileTransfer(device::DeviceCommands& commands, ActiveProfile& activeProfile, model::DefaultKeyBlock& defaults,
        MacroDownload& download, model::UserMessages& messages)
        : commands_(commands)
        , activeProfile_(activeProfile)
        , defaults_(defaults)
        , download_(download)
        , messages_(messages)
    {
    }

    // Reads the active profile, the three key blocks and the macro block into `data` (which gets a
    // fresh key area, no texts). Any failed read leaves `data` as it was. Macros without a name are
    // named `macroNamePrefix` and a number.
    KeyboardReadResult ReadKeyboard(ProfileData& data, std::u16string_view macroNamePrefix);
    // The same, written to `path` as a profile file; any failure writes nothing.
    KeyboardReadResult ReadKeyboardToFile(const std::string& path, std::u16string_view macroNamePrefix);

    // Snapshots the working copy into the applied copy and downloads it: the active profile's keys,
    // or all three profiles', with the macros. Takes the working lock, then the applied one, for the
    // snapshot only. The download's messages are left in the result.
    DownloadResult ApplyWorkingData(ProfileData& working, ProfileData& applied, bool allProfiles);

    // Apply: saves the working file (when it exists), then writes the active profile; both run.
    // The download's messages are left in the result, for the caller to show on its own thread.
    ApplyResult Apply(ProfileData& working, ProfileData& applied, const std::string& workingFile);

    // Saves the working copy to `path`.
    bool Backup(const std::string& path, ProfileData& working);

    // Validates and loads `path` into the working copy, saves the working file (when it exists) and
    // applies all three profiles. A refused file shows `refusedText` after any format message and
    // changes nothing. The download's messages are left in the result, as for Apply.
    RestoreResult Restore(const std::string& path, ProfileData& working, ProfileData& applied,
        const std::string& workingFile, const std::string& refusedText);
    // The same for profile data already loaded and checked (from standard input, say); `loaded` is
    // left cleared.
    RestoreResult RestoreData(
        ProfileData& loaded, ProfileData& working, ProfileData& applied, const std::string& workingFile);

private:
    // The keyboard's key maps and macros, read as one sequence.
    KeyboardReadResult ReadKeyboardAreas(std::array<model::KeyBlockBytes, model::kRecordBlocks - 1>& blocks,
        std::optional<model::MacroList>& macros, std::u16string_view macroNamePrefix);
    // The working copy into the applied copy, under both locks; the failure when it cannot be.
    std::optional<DownloadResult> SnapshotWorkingData(ProfileData& working, ProfileData& applied);

    device::DeviceCommands& commands_;
    ActiveProfile& activeProfile_;
    model::DefaultKeyBlock& defaults_;
    MacroDownload& download_;
    model::UserMessages& messages_;
};

// Moves the content of `from` (key area, macros, texts) into `to`, leaving `from` cleared.
void MoveProfileData(ProfileData& from, ProfileData& to);

}  // namespace tavrin::profiles
