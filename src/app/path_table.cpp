#include "app/path_table.h"

#include "lighting/user_colour_file.h"
#include "profiles/working_file.h"
#include "ui/skin_layout.h"

namespace tavrin::app {

PathTable BuildPathTable(const std::string& executablePath)
{
    PathTable paths;
    const std::size_t slash = executablePath.rfind('/');
    paths.base = slash == std::string::npos ? std::string("./") : executablePath.substr(0, slash + 1);
    paths.executableName = slash == std::string::npos ? executablePath : executablePath.substr(slash + 1);
    paths.helpFolder = paths.base + "Help/";
    paths.mainSkinFile = paths.base + "Skins/Main.ini";
    paths.skinFolder = paths.base + "Skins/";
    paths.profileSkinFile = paths.base + "Skins/Profile.ini";
    paths.profileSkinFolder = paths.skinFolder;
    paths.compositeSkinFile = paths.base + "Skins/Composite.ini";
    paths.compositeSkinFolder = paths.skinFolder;
    paths.backgroundProgram = paths.base + kBackgroundProgramName;
    return paths;
}

void CompletePathTable(PathTable& paths, const std::string& documentsFolder)
{
    paths.userColourFile = lighting::PanelFile(documentsFolder);
    paths.userColourPrefix = lighting::UserColourPrefix(documentsFolder);
    paths.workingFile = profiles::PrepareWorkingFile(documentsFolder);
    paths.linkAddress = ui::ReadSkinLink(paths.mainSkinFile, kDefaultLinkAddress);
}

}  // namespace tavrin::app
