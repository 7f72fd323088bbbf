#include "profiles/settings_store.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "platform/private_profile.h"
#include "support/temporary_folder.h"

namespace tavrin::profiles {
namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    std::string Path(const char* name) const { return folder_.File(name); }

    testing::TemporaryFolder folder_;
};

TEST_F(SettingsStoreTest, AFreshAccountCreatesTheKeyAndStoresTheDefault)
{
    SettingsKey key;
    ASSERT_TRUE(key.Open(Path("Norvane_Q7R3/registry.ini")));
    EXPECT_EQ(key.ReadNumber("dwLanguageId", 0), 0u);
    EXPECT_EQ(platform::GetPrivateProfileString("Values", "dwLanguageId", "", Path("Norvane_Q7R3/registry.ini")),
        "dword:00000000");
    ASSERT_TRUE(key.WriteNumber("dwLanguageId", 1036));
    EXPECT_EQ(key.ReadNumber("dwLanguageId", 0), 1036u);
}

TEST_F(SettingsStoreTest, AValueOfTheWrongTypeReadsAsMissingAndIsRewritten)
{
    SettingsKey key;
    ASSERT_TRUE(key.Open(Path("key.ini")));
    for (const char* stored : {"sz:1036", "dword:40c", "dword:0000040g", "1036", ""}) {
        SCOPED_TRACE(stored);
        if (*stored)
            platform::WritePrivateProfileString("Values", "dwLanguageId", std::string_view(stored), Path("key.ini"));
        EXPECT_EQ(key.ReadNumber("dwLanguageId", 0), 0u);
        EXPECT_EQ(platform::GetPrivateProfileString("Values", "dwLanguageId", "", Path("key.ini")), "dword:00000000");
        key.WriteString("dwLanguageId", "1036");
    }
}

TEST_F(SettingsStoreTest, AKeyThatCannotBeOpenedGivesDefaultsAndWritesNothing)
{
    std::FILE* blocker = std::fopen(Path("file").c_str(), "w");
    std::fclose(blocker);
    SettingsKey key;
    EXPECT_FALSE(key.Open(Path("file/sub/key.ini")));
    EXPECT_EQ(key.ReadNumber("dwLanguageId", 7), 7u);
    EXPECT_FALSE(key.WriteNumber("dwLanguageId", 1));
}

TEST_F(SettingsStoreTest, FrameworkSettingsStoreStringsAndFlags)
{
    FrameworkSettings settings(Path("Tavrin_Halvern/Tavrin.ini"));
    EXPECT_EQ(settings.GetSettingNumber(kProfilesSection, kFlipEntry, 0), 0);
    ASSERT_TRUE(settings.WriteSetting(kProfilesSection, kFlipEntry, "5"));
    EXPECT_EQ(settings.GetSettingNumber(kProfilesSection, kFlipEntry, 0), 5) << "not clamped on reading";
    ASSERT_TRUE(settings.WriteSettingFlag(kProfilesSection, kFlipEntry, 5));
    EXPECT_EQ(settings.GetSetting(kProfilesSection, kFlipEntry, ""), "0");
    ASSERT_TRUE(settings.WriteSettingFlag(kProfilesSection, kFlipEntry, 1));
    EXPECT_EQ(settings.GetSetting(kProfilesSection, kFlipEntry, ""), "1");

    // An entry named by a language text is found only under the text it was written with.
    ASSERT_TRUE(settings.WriteSettingFlag(kProfilesSection, "Record delays", 1));
    EXPECT_EQ(settings.GetSetting(kProfilesSection, "Record delays", "0"), "1");
    EXPECT_EQ(settings.GetSetting(kProfilesSection, "Enregistrer les délais", "0"), "0");
}

TEST_F(SettingsStoreTest, IniHelperTreatsAnEmptyValueAsNothing)
{
    CIniFile ini;
    ini.SetPath(Path("Skins/Main.ini"));
    EXPECT_EQ(ini.GetString("SCREEN", "Link"), std::nullopt);
    ASSERT_TRUE(ini.SetString("SCREEN", "Link", ""));
    EXPECT_EQ(ini.GetString("SCREEN", "Link"), std::nullopt);
    EXPECT_EQ(ini.GetString("SCREEN", "Missing", "fallback"), "fallback");
    ASSERT_TRUE(ini.SetString("SCREEN", "Long", std::string(3000, 'z')));
    EXPECT_EQ(ini.GetString("SCREEN", "Long")->size(), CIniFile::kValueLimit);

    ini.SetPath(std::string(400, 'p'));
    EXPECT_EQ(ini.Path().size(), CIniFile::kPathLimit);
}

}  // namespace
}  // namespace tavrin::profiles
