// The working file: the profile file in which the program keeps the working copy between runs. One
// file serves all three profiles.
#pragma once

#include <string>

#include "profiles/profile_data.h"
#include "profiles/profile_file.h"

namespace tavrin::profiles {

inline constexpr const char* kWorkingFolderName = "Tavrin_R2T";

// The folder "Tavrin_R2T" of the documents folder, created when missing.
std::string WorkingFolder(const std::string& documentsFolder);
// The working file of any profile: every profile shares "$Profile0".
std::string WorkingFilePath(const std::string& documentsFolder, int profile = 0);

// The working file's path, with the file created from default data when it is missing.
std::string PrepareWorkingFile(const std::string& documentsFolder);

// Frees the working copy's texts, empties its macro list and drops its key area, before a file is
// loaded into it.
inline void ClearWorkingData(ProfileData& working)
{
    std::lock_guard lock(working.lock);
    ClearProfileData(working);
}

enum class WorkingFileSave {
    Saved,
    Missing,  // there is no working file, so nothing was written
    Failed,   // the write failed; the old file is intact
};

// Writes the working copy to the working file, but only when that file exists already.
WorkingFileSave SaveWorkingFileIfPresent(ProfileData& working, const std::string& workingFile);
// True only when the file was written.
inline bool SaveWorkingFile(ProfileData& working, const std::string& workingFile)
{
    return SaveWorkingFileIfPresent(working, workingFile) == WorkingFileSave::Saved;
}

}  // namespace tavrin::profiles
