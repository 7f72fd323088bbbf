#include "profiles/profile_menu.h"

namespace tavrin::profiles {

ProfileMenu BuildProfileMenu(int activeProfile, const std::string& defaultModeName, const std::string& profileName)
{
    ProfileMenu menu;
    menu.entries.push_back({defaultModeName, false, false});
    menu.entries.push_back({"", true, false});
    for (int profile = 0; profile < 3; ++profile)
        menu.entries.push_back({profileName, false, false});
    // Position active + 2 skips the default entry and the separator. The keyboard's default mode
    // checks the default-mode entry too rather than leaving the label empty.
    const std::size_t checked
        = activeProfile >= 0 && activeProfile < 3 ? static_cast<std::size_t>(activeProfile) + 2 : 0;
    menu.entries[checked].checked = true;
    menu.label = menu.entries[checked].text;
    menu.tooltip = kCurrentProfileTooltip + menu.label;
    return menu;
}

std::string ProfileNameOfFile(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    return name;
}

}  // namespace tavrin::profiles
