// The profile menu and the current-profile label: an entry for the keyboard's default mode, a
// separator, one entry per profile, the active one checked.
#pragma once

#include <string>
#include <vector>

namespace tavrin::profiles {

inline constexpr const char* kCurrentProfileTooltip = "The current contextual  mode: ";

struct ProfileMenuEntry {
    std::string text;
    bool separator = false;
    bool checked = false;
};

struct ProfileMenu {
    std::vector<ProfileMenuEntry> entries;
    std::string label;    // the checked entry's text
    std::string tooltip;  // kCurrentProfileTooltip and the label
};

// `profileName` labels each of the three profiles (they share one working file, so one name).
// Unknown (-1) and the keyboard's default mode (3 or more) both check the default-mode entry.
ProfileMenu BuildProfileMenu(int activeProfile, const std::string& defaultModeName, const std::string& profileName);

// The name a profile entry shows: the working file's name without folder and extension.
std::string ProfileNameOfFile(const std::string& path);

}  // namespace tavrin::profiles
