#include "profiles/working_file.h"

#include <filesystem>

#include "profiles/profile_file.h"

namespace tavrin::profiles {

std::string WorkingFolder(const std::string& documentsFolder)
{
    const std::string folder = documentsFolder + "/" + kWorkingFolderName;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return folder;
}

std::string WorkingFilePath(const std::string& documentsFolder, int /*profile*/)
{
    return WorkingFolder(documentsFolder) + "/$Profile0";
}

std::string PrepareWorkingFile(const std::string& documentsFolder)
{
    const std::string path = WorkingFilePath(documentsFolder);
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        CreateDefaultProfileFile(path);
    return path;
}

WorkingFileSave SaveWorkingFileIfPresent(ProfileData& working, const std::string& workingFile)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(workingFile, error))
        return WorkingFileSave::Missing;
    return SaveProfileFile(workingFile, working) ? WorkingFileSave::Saved : WorkingFileSave::Failed;
}

}  // namespace tavrin::profiles
