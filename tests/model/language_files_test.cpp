// The language files that ship with the program: every language has every entry that English has,
// with the same placeholders, and the texts the program looks up exist.
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <regex>

#include "model/language_texts.h"
#include "platform/atomic_file.h"
#include "profiles/settings_store.h"

namespace tavrin::model {
namespace {

using Entries = std::map<std::string, std::string>;  // "section/key" → raw value

Entries ReadEntries(const std::string& path)
{
    Entries entries;
    const auto text = platform::ReadWholeFile(path, 1 << 20);
    EXPECT_TRUE(text) << path;
    if (!text)
        return entries;
    std::string section;
    std::size_t start = 0;
    while (start < text->size()) {
        std::size_t end = text->find('\n', start);
        if (end == std::string::npos)
            end = text->size();
        const std::string line = text->substr(start, end - start);
        start = end + 1;
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos)
            entries[section + "/" + line.substr(0, equals)] = line.substr(equals + 1);
    }
    return entries;
}

std::vector<std::string> Placeholders(const std::string& value)
{
    static const std::regex placeholder("%[0-9]*[dsuxX]");
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(value.begin(), value.end(), placeholder); it != std::sregex_iterator(); ++it)
        found.push_back(it->str());
    return found;
}

const std::string kData = TAVRIN_DATA_FOLDER;

TEST(LanguageFiles, EveryLanguageHasEveryEntryWithItsPlaceholders)
{
    const Entries english = ReadEntries(kData + "/Lang0409.ini");
    ASSERT_GT(english.size(), 250u);
    for (int index = 1; index < kSupportedLanguageCount; ++index) {
        const std::string path = LanguageFilePath(kData + "/", kSupportedLanguages[static_cast<std::size_t>(index)]);
        SCOPED_TRACE(path);
        const Entries translated = ReadEntries(path);
        for (const auto& [key, value] : english) {
            const auto found = translated.find(key);
            ASSERT_NE(found, translated.end()) << key;
            EXPECT_FALSE(found->second.empty()) << key;
            EXPECT_EQ(Placeholders(found->second), Placeholders(value)) << key;
        }
        EXPECT_EQ(translated.size(), english.size()) << "entries that English does not have";
    }
}

TEST(LanguageFiles, HoldTheTextsThatStartUpShows)
{
    profiles::SettingsKey unusedKey;
    LanguageTexts texts(kData + "/", unusedKey, 1033);
    for (int index = 0; index < kSupportedLanguageCount; ++index) {
        SCOPED_TRACE(index);
        for (const char* key : {"IDS_MAIN_CAPTION", "IDS_MAIN_DEVICE_PROMRT", "IDS_KEYBOARD_UNKNOWN"}) {
            const std::string text = texts.Text(key, index);
            EXPECT_NE(text, kMissingText) << key;
            EXPECT_FALSE(text.empty()) << key;
        }
    }
    EXPECT_EQ(texts.Text("IDS_KEYBOARD_EQU", 0), "=");
}

}  // namespace
}  // namespace tavrin::model
