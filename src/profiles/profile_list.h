// The rows of the profile dialog: profile files by name and folder, at most one of them checked.
// Applying stores the rows in the settings and makes the checked row's position the keyboard's
// active profile.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "profiles/settings_store.h"

namespace tavrin::profiles {

inline constexpr const char* kProfileCountEntry = "PROFILE00";
inline constexpr const char* kProfileFileSuffix = ".tvn";
// The file name an added profile starts with, in the profile folder.
inline constexpr const char* kNewProfileName = "The new contextual  mode";
// Only the first four positions stand for a keyboard mode: three profiles and the default mode.
inline constexpr int kProfileRowsWithAMode = 4;

struct ProfileRow {
    std::string name;    // the file's name without its extension
    std::string folder;  // with a trailing separator
    bool checked = false;
};

class ProfileList {
public:
    // The three profiles' rows, all naming `workingFile`; the active profile's row checked.
    static ProfileList ForProfiles(const std::string& workingFile, int activeProfile);

    const std::vector<ProfileRow>& Rows() const { return rows_; }
    bool Modified() const { return modified_; }
    void ClearModified() { modified_ = false; }

    // A row for the file at `path`; modified.
    void Append(const std::string& path);
    // Removes a row (the file stays); false for a row that does not exist.
    bool Remove(std::size_t row);
    // Checking a row unchecks every other; modified either way.
    void SetChecked(std::size_t row, bool checked);
    // Checks the row of a profile that became active elsewhere, and clears the modified flag.
    void ProfileChosen(int profile);

    // The first checked row's position; nothing when none is checked.
    std::optional<int> CheckedRow() const;
    // Writes "PROFILE01", "PROFILE02", … with each row's full path and "PROFILE00" with the count.
    bool Store(FrameworkSettings& settings) const;

private:
    std::vector<ProfileRow> rows_;
    bool modified_ = false;
};

// "PROFILE" and the row's number from 1, two digits at least.
std::string ProfileEntryName(std::size_t row);

}  // namespace tavrin::profiles
