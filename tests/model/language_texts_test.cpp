#include "model/language_texts.h"
#include "profiles/settings_store.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "platform/atomic_file.h"
#include "platform/private_profile.h"
#include "platform/system_language.h"
#include "support/temporary_folder.h"

namespace tavrin::model {
namespace {

TEST(LanguageChoice, MapsSystemLanguagesToTheShippedOnes)
{
    struct Case {
        std::uint16_t system, chosen;
    };
    const Case cases[] = {
        {4108, 1036},
        {3076, 2052},
        {1031, 1033},
        {2077, 1033},
        {2058, 1034},
        {3082, 1034},
        {2070, 1046},
        {2067, 1043},
        {4100, 1033},
        {1041, 1033},
        {2052, 2052},
        {1033, 1033},
    };
    for (const Case& item : cases)
        EXPECT_EQ(ChooseLanguage(item.system), item.chosen) << item.system;
}

TEST(LanguageChoice, ReadsTheSystemLanguageFromThePosixLocale)
{
    struct Case {
        const char* locale;
        std::uint16_t id;
    };
    const Case cases[] = {
        {"fr_CH.UTF-8", 4108},
        {"zh_HK", 3076},
        {"zh_tw", 1028},
        {"zh_TW.UTF-8", 1028},
        {"fr_ch", 4108},
        {"es_MX.utf8@euro", 2058},
        {"en_AU", 3081},
        {"pt-BR", 1046},
        {"nl_BE", 2067},
        {"de", 1031},
        {"de_XX", 1031},
        {"C", 1033},
        {"POSIX", 1033},
        {"", 1033},
        {"xx_YY", 1033},
        {"zh_CN.GB18030", 2052},
        {"sv_FI", 2077},
    };
    for (const Case& item : cases)
        EXPECT_EQ(platform::LanguageIdOfLocale(item.locale), item.id) << item.locale;
}

class LanguageTextsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        key_.Open(folder_ + "config/registry.ini");
        Write("Lang0409.ini", "[TEXT]\nIDS_MAIN_OK=OK\nIDS_EMPTY=\nIDS_LONG=" + std::string(300, 'x') + "\n");
        Write("Lang040C.ini", "[TEXT]\nIDS_MAIN_OK=Valider\n");
    }
    void Write(const std::string& name, const std::string& text)
    {
        std::string error;
        ASSERT_TRUE(platform::WriteFileAtomically(folder_ + name, text, error)) << error;
    }

    testing::TemporaryFolder temporary_;
    std::string folder_ = temporary_.Path().string() + "/";
    profiles::SettingsKey key_;
};

TEST_F(LanguageTextsTest, TheFirstRunStoresTheChosenLanguage)
{
    LanguageTexts texts(folder_, key_, 4108);
    EXPECT_EQ(texts.LanguageId(), 1036u);
    EXPECT_EQ(key_.ReadNumber(kLanguageValueName, 0), 1036u);
    EXPECT_EQ(texts.LanguageIndex(), 1);
    EXPECT_EQ(texts.Text("IDS_MAIN_OK"), "Valider");
}

TEST_F(LanguageTextsTest, AnUnsupportedStoredLanguageStaysAndReadsEnglish)
{
    key_.WriteNumber(kLanguageValueName, 1041);
    LanguageTexts texts(folder_, key_, 4108);
    EXPECT_EQ(texts.LanguageId(), 1041u);
    EXPECT_EQ(key_.ReadNumber(kLanguageValueName, 0), 1041u);
    EXPECT_EQ(texts.LanguageIndex(), 0);
    EXPECT_EQ(texts.Text("IDS_MAIN_OK"), "OK");
}

TEST_F(LanguageTextsTest, TextsTellEmptyFromMissing)
{
    LanguageTexts texts(folder_, key_, 1033);
    EXPECT_EQ(texts.Text("IDS_EMPTY", 0), "");
    EXPECT_EQ(texts.Text("IDS_ABSENT", 0), kMissingText);
    EXPECT_EQ(texts.Text("IDS_MAIN_OK", 2), kMissingText) << "no Spanish file here";
    EXPECT_EQ(texts.Text("IDS_MAIN_OK", 9), "OK") << "an index past the table counts as English";
    EXPECT_EQ(texts.Text("IDS_MAIN_OK", 6), kMissingText) << "index 6 reaches the seventh identifier";
    EXPECT_EQ(texts.Text("IDS_LONG", 0).size(), 259u);
}

TEST_F(LanguageTextsTest, TheSkinLanguageFileChoosesItsSection)
{
    LanguageTexts texts(folder_, key_, 1033);
    EXPECT_EQ(texts.SkinLanguageSection(), "CHINESE") << "missing file";
    Write("Skins/language.ini", "[LANGUAGE]\nlanguage=1\n");
    EXPECT_EQ(texts.SkinLanguageSection(), "ENGINSH");
    Write("Skins/language.ini", "[LANGUAGE]\nlanguage=2\n");
    EXPECT_EQ(texts.SkinLanguageSection(), "CHINESE");
}

}  // namespace
}  // namespace tavrin::model
