#include "profiles/profile_list.h"

#include <cstdio>

namespace tavrin::profiles {
namespace {

ProfileRow RowOf(const std::string& path)
{
    ProfileRow row;
    const std::size_t slash = path.find_last_of('/');
    row.folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    row.name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = row.name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        row.name.resize(dot);
    return row;
}

}  // namespace

ProfileList ProfileList::ForProfiles(const std::string& workingFile, int activeProfile)
{
    ProfileList list;
    for (int profile = 0; profile < 3; ++profile) {
        ProfileRow row = RowOf(workingFile);
        row.checked = profile == activeProfile;
        list.rows_.push_back(row);
    }
    return list;
}

void ProfileList::Append(const std::string& path)
{
    rows_.push_back(RowOf(path));
    modified_ = true;
}

bool ProfileList::Remove(std::size_t row)
{
    if (row >= rows_.size())
        return false;
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
    modified_ = true;
    return true;
}

void ProfileList::SetChecked(std::size_t row, bool checked)
{
    if (row >= rows_.size())
        return;
    if (checked)
        for (ProfileRow& other : rows_)
            other.checked = false;
    rows_[row].checked = checked;
    modified_ = true;
}

void ProfileList::ProfileChosen(int profile)
{
    for (std::size_t row = 0; row < rows_.size(); ++row)
        rows_[row].checked = static_cast<int>(row) == profile;
    modified_ = false;
}

std::optional<int> ProfileList::CheckedRow() const
{
    for (std::size_t row = 0; row < rows_.size(); ++row)
        if (rows_[row].checked)
            return static_cast<int>(row);
    return std::nullopt;
}

std::string ProfileEntryName(std::size_t row)
{
    char name[32];
    std::snprintf(name, sizeof name, "%s%02zu", "PROFILE", row);
    return name;
}

bool ProfileList::Store(FrameworkSettings& settings) const
{
    bool stored = true;
    for (std::size_t row = 0; row < rows_.size(); ++row)
        stored &= settings.WriteSetting(
            kProfilesSection, ProfileEntryName(row + 1), rows_[row].folder + rows_[row].name + kProfileFileSuffix);
    stored &= settings.WriteSetting(kProfilesSection, kProfileCountEntry, std::to_string(rows_.size()));
    return stored;
}

}  // namespace tavrin::profiles
