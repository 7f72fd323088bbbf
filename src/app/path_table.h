// Every path the program uses, built once at start-up from the executable's own folder.
#pragma once

#include <string>

namespace tavrin::app {

struct PathTable {
    std::string base;  // the executable's folder, with a trailing separator
    std::string executableName;
    std::string helpFolder;
    std::string mainSkinFile;
    std::string skinFolder;
    std::string profileSkinFile;
    std::string profileSkinFolder;
    std::string compositeSkinFile;
    std::string compositeSkinFolder;
    std::string backgroundProgram;
    std::string userColourFile;    // filled once the window lays itself out: the lighting panel's file
    std::string userColourPrefix;  // likewise: the user layouts' files
    std::string workingFile;       // likewise: the working copy's file in the documents folder
    std::string linkAddress;       // likewise
};

inline constexpr const char* kBackgroundProgramName = "Quendel";
inline constexpr const char* kDefaultLinkAddress = "https://www.kernel.org/";

// From the executable's full path.
PathTable BuildPathTable(const std::string& executablePath);

// The per-user colour file in the documents folder, and the link address of the main skin file.
void CompletePathTable(PathTable& paths, const std::string& documentsFolder);

}  // namespace tavrin::app
