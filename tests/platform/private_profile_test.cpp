#include "platform/private_profile.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

#include "support/temporary_folder.h"

namespace tavrin::platform {
namespace {

TEST(PrivateProfileRead, FindsEntriesTheWayUsersWriteThem)
{
    const std::string file = "\xEF\xBB\xBF"
                             "stray=before any section\r\n"
                             "[Text]\r\n"
                             "  Caption  =  Hello World  \r\n"
                             "; comment=not a key\r\n"
                             "quoted=\"  kept spaces \"\r\n"
                             "single='x'\r\n"
                             "empty=\r\n"
                             "caption=second wins nothing\r\n"
                             "[Broken\n"
                             "key=in a section without its bracket\n"
                             "[text]\n"
                             "later=the first section of a name is the one read\n"
                             "[Tail]\n"
                             "last=no final newline";
    struct Case {
        const char* section;
        const char* key;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"TEXT", "CAPTION", "Hello World"},
        {"text", "quoted", "  kept spaces "},
        {"Text", "single", "x"},
        {"Text", "empty", ""},
        {"Text", "; comment", std::nullopt},
        {"Text", "later", std::nullopt},
        {"Text", "stray", std::nullopt},
        {"Broken", "key", "in a section without its bracket"},
        {"Tail", "last", "no final newline"},
        {"Absent", "key", std::nullopt},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(std::string(item.section) + "/" + item.key);
        EXPECT_EQ(FindProfileValue(file, item.section, item.key), item.expected);
    }
}

TEST(PrivateProfileRead, SurvivesBinaryBytesAndVeryLongLines)
{
    std::string file = "[A]\nk=v\n";
    file += std::string(1 << 20, 'x') + "\n";
    file += std::string("\0\xFF\xFE[\x01=\n", 7);
    file += "[B]\nk=" + std::string(5000, 'y') + "\n";
    EXPECT_EQ(FindProfileValue(file, "A", "k"), "v");
    EXPECT_EQ(FindProfileValue(file, "B", "k")->size(), 5000u);
}

TEST(PrivateProfileRead, CutsToTheCallersBufferWithoutSplittingCharacters)
{
    EXPECT_EQ(CutToUtf16Units("abcdef", 4), "abcd");
    const std::string han = "\xE4\xB8\xAD";        // one unit
    const std::string emoji = "\xF0\x9F\x98\x80";  // two units
    EXPECT_EQ(CutToUtf16Units(han + han + han, 2), han + han);
    EXPECT_EQ(CutToUtf16Units("a" + emoji, 2), "a") << "a surrogate pair is not split";
    EXPECT_EQ(CutToUtf16Units("a" + emoji, 3), "a" + emoji);
    EXPECT_EQ(CutToUtf16Units("\xE4\xB8", 5), "\xE4\xB8") << "a cut-off sequence counts byte by byte";
}

TEST(PrivateProfileWrite, ChangesOnlyWhatItNames)
{
    const std::string file = "; settings\n[One]\na=1\n\n[Two]\nb=2\n";
    struct Case {
        const char* name;
        const char* section;
        std::optional<std::string_view> key;
        std::optional<std::string_view> value;
        std::string expected;
    };
    const Case cases[] = {
        {"replace", "one", "A", "9", "; settings\n[One]\nA=9\n\n[Two]\nb=2\n"},
        {"add after the last entry", "One", "c", "3", "; settings\n[One]\na=1\nc=3\n\n[Two]\nb=2\n"},
        {"new section at the end", "Three", "d", "4", file + "[Three]\nd=4\n"},
        {"delete a key", "Two", "b", std::nullopt, "; settings\n[One]\na=1\n\n[Two]\n"},
        {"delete a section", "One", std::nullopt, std::nullopt, "; settings\n[Two]\nb=2\n"},
        {"deleting what is absent", "Nine", "z", std::nullopt, file},
        {"a line break cannot add lines", "Two", "b", "x\n[Evil]\ny=1",
            "; settings\n[One]\na=1\n\n[Two]\nb=x [Evil] y=1\n"},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        EXPECT_EQ(SetProfileValue(file, item.section, item.key, item.value), item.expected);
    }
}

TEST(PrivateProfileWrite, KeepsTheFilesLineEndsAndMissingLastNewline)
{
    EXPECT_EQ(SetProfileValue("[A]\r\nx=1\r\n", "A", "y", "2"), "[A]\r\nx=1\r\ny=2\r\n");
    EXPECT_EQ(SetProfileValue("[A]\nx=1", "A", "y", "2"), "[A]\nx=1\ny=2");
    EXPECT_EQ(SetProfileValue("[A]\nx=1", "A", "x", "5"), "[A]\nx=5");
    EXPECT_EQ(SetProfileValue("[A]\nx=1", "B", "y", "2"), "[A]\nx=1\n[B]\ny=2\n");
    EXPECT_EQ(SetProfileValue("", "A", "x", "1"), "[A]\nx=1\n");
}

class PrivateProfileFileTest : public ::testing::Test {
protected:
    testing::TemporaryFolder folder_;
    std::string path_ = folder_.File("settings.ini");
};

TEST_F(PrivateProfileFileTest, MissingFilesGiveTheDefaultAndWritesCreateThem)
{
    EXPECT_EQ(GetPrivateProfileString("S", "k", "fallback  ", path_), "fallback") << "trailing blanks dropped";
    EXPECT_EQ(GetPrivateProfileInt("S", "k", 7, path_), 7);
    ASSERT_TRUE(WritePrivateProfileString("S", "k", "42", path_));
    EXPECT_EQ(GetPrivateProfileString("s", "K", "", path_), "42");
    EXPECT_EQ(GetPrivateProfileInt("S", "k", 7, path_), 42);
    ASSERT_TRUE(WritePrivateProfileString("S", "k", "not a number", path_));
    EXPECT_EQ(GetPrivateProfileInt("S", "k", 7, path_), 7);
    EXPECT_EQ(GetPrivateProfileString("S", "k", "", path_, 5), "not ") << "cut to a five-unit buffer";
}

TEST_F(PrivateProfileFileTest, AFileThatCannotBeReadIsNotReplaced)
{
    std::filesystem::create_directories(path_);  // a folder where the file should be
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", path_));
    EXPECT_TRUE(std::filesystem::is_directory(path_));
    EXPECT_EQ(GetPrivateProfileString("S", "k", "d", path_), "d");
}

TEST_F(PrivateProfileFileTest, WritesFromTwoThreadsLoseNothing)
{
    auto writer = [this](char prefix) {
        for (int i = 0; i < 40; ++i)
            WritePrivateProfileString("S", prefix + std::to_string(i), std::to_string(i), path_);
    };
    std::thread first(writer, 'a');
    std::thread second(writer, 'b');
    first.join();
    second.join();
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(GetPrivateProfileString("S", "a" + std::to_string(i), "", path_), std::to_string(i));
        EXPECT_EQ(GetPrivateProfileString("S", "b" + std::to_string(i), "", path_), std::to_string(i));
    }
}

}  // namespace
}  // namespace tavrin::platform
