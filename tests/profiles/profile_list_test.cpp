// The profile dialog's rows and what applying them stores, and the profile menu's label.
#include "profiles/profile_list.h"

#include <gtest/gtest.h>

#include "profiles/profile_menu.h"
#include "support/temporary_folder.h"

namespace tavrin::profiles {
namespace {

TEST(ProfileList, StartsWithTheThreeProfilesAndTheActiveOneChecked)
{
    const ProfileList list = ProfileList::ForProfiles("/home/u/Documents/Tavrin_R2T/$Profile0", 1);
    ASSERT_EQ(list.Rows().size(), 3u);
    for (const ProfileRow& row : list.Rows()) {
        EXPECT_EQ(row.name, "$Profile0");
        EXPECT_EQ(row.folder, "/home/u/Documents/Tavrin_R2T/");
    }
    EXPECT_EQ(list.CheckedRow(), 1);
    EXPECT_FALSE(list.Modified());
    EXPECT_EQ(ProfileList::ForProfiles("/x/$Profile0", -1).CheckedRow(), std::nullopt) << "no keyboard";
}

TEST(ProfileList, AtMostOneRowIsCheckedAndEveryEditMarksItModified)
{
    ProfileList list = ProfileList::ForProfiles("/p/$Profile0", 0);
    list.Append("/elsewhere/Games.tvn");
    EXPECT_TRUE(list.Modified());
    EXPECT_EQ(list.Rows().back().name, "Games");
    EXPECT_EQ(list.Rows().back().folder, "/elsewhere/");
    list.ClearModified();
    list.SetChecked(3, true);
    EXPECT_EQ(list.CheckedRow(), 3) << "checking a row unchecks the others";
    EXPECT_FALSE(list.Rows()[0].checked);
    EXPECT_TRUE(list.Modified());
    list.SetChecked(3, false);
    EXPECT_EQ(list.CheckedRow(), std::nullopt);
    EXPECT_FALSE(list.Remove(9));
    EXPECT_TRUE(list.Remove(0));
    EXPECT_EQ(list.Rows().size(), 3u);
    list.ProfileChosen(2);
    EXPECT_EQ(list.CheckedRow(), 2);
    EXPECT_FALSE(list.Modified()) << "a switch made elsewhere is not an edit";
}

TEST(ProfileList, StoresEachRowsPathAndTheCount)
{
    testing::TemporaryFolder folder;
    FrameworkSettings settings(folder.File("settings.ini"));
    ProfileList list = ProfileList::ForProfiles("/p/$Profile0", 0);
    list.Remove(2);
    list.Remove(1);
    list.Append("/q/Work.tvn");
    ASSERT_TRUE(list.Store(settings));
    EXPECT_EQ(settings.GetSetting(kProfilesSection, "PROFILE00", ""), "2");
    EXPECT_EQ(settings.GetSetting(kProfilesSection, "PROFILE01", ""), "/p/$Profile0.tvn");
    EXPECT_EQ(settings.GetSetting(kProfilesSection, "PROFILE02", ""), "/q/Work.tvn");
    EXPECT_EQ(ProfileEntryName(12), "PROFILE12");
    EXPECT_EQ(ProfileEntryName(123), "PROFILE123");
}

TEST(ProfileMenu, ChecksTheActiveProfileAndLabelsTheCurrentOne)
{
    const struct {
        int active;
        std::size_t checked;
        const char* label;
    } cases[] = {
        {-1, 0, "Default mode"},  // no keyboard
        {0, 2, "$Profile0"},
        {1, 3, "$Profile0"},  // one working file: every profile shows its name
        {2, 4, "$Profile0"},
        {3, 0, "Default mode"},  // the keyboard's default mode
        {7, 0, "Default mode"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.active);
        const ProfileMenu menu = BuildProfileMenu(c.active, "Default mode", "$Profile0");
        ASSERT_EQ(menu.entries.size(), 5u);
        EXPECT_TRUE(menu.entries[1].separator);
        for (std::size_t i = 0; i < menu.entries.size(); ++i)
            EXPECT_EQ(menu.entries[i].checked, i == c.checked) << i;
        EXPECT_EQ(menu.label, c.label);
        EXPECT_EQ(menu.tooltip, std::string("The current contextual  mode: ") + c.label);
    }
    EXPECT_EQ(ProfileNameOfFile("/home/u/Documents/Tavrin_R2T/$Profile0"), "$Profile0");
    EXPECT_EQ(ProfileNameOfFile("/a.b/Games.tvn"), "Games");
}

}  // namespace
}  // namespace tavrin::profiles
