#include "model/key_button_tips.h"

#include <gtest/gtest.h>

#include "model/language_texts.h"
#include "model/text_encoding.h"
#include "profiles/key_button_looks.h"
#include "profiles/profile_data.h"
#include "profiles/settings_store.h"

namespace tavrin::model {
namespace {

using profiles::KeyButtonLooks;

class KeyButtonTipsTest : public ::testing::Test {
protected:
    profiles::SettingsKey settings_;  // not opened: English
    LanguageTexts texts_{std::string(TAVRIN_DATA_FOLDER) + "/", settings_, 1033};
    profiles::ProfileData working_;
};

TEST_F(KeyButtonTipsTest, TipsNameTheKeyAndWhatItDoes)
{
    MacroRecord macro = EmptyMacroRecord();
    macro.id = 4;
    SetMacroName(macro, u"Greeting");
    working_.macros = {macro};
    working_.Record(0, IndexFromCode(0x01E)) = {KIND_KEY, 0, 0x138, 0, 0};
    working_.Record(0, IndexFromCode(0x030)) = {KIND_MACRO, 0, 4, 0, 0};
    working_.Record(0, IndexFromCode(0x02E)) = {KIND_MEDIA, 0, 7, 0, 0};
    working_.Record(0, GRecord(2, 1)) = {KIND_FUNCTION, 0, 3, 0, 0};

    const auto looks = KeyButtonLooks(working_, 0, 1, texts_);
    ASSERT_EQ(looks.size(), kGKeyCount + kKeyButtonCount);
    const auto look = [&](int controlId) {
        for (const ButtonLook& candidate : looks)
            if (candidate.controlId == controlId)
                return candidate;
        return ButtonLook{};
    };
    const std::string set = texts_.Text("IDS_KEY_PROMPT_SET");
    EXPECT_EQ(look(1058).tip, "A" + set + texts_.Text("IDS_KEY_PROMPT_SINGLE") + DisplayedName(0x138, texts_) + ")");
    EXPECT_TRUE(look(1058).assigned);
    EXPECT_EQ(look(1075).tip, "B" + set + texts_.Text("IDS_KEY_PROMPT_MACRO") + "Greeting)");
    EXPECT_EQ(look(1073).tip, "C" + set + texts_.Text("IDS_KEY_PROMPT_MEDIA") + DisplayedName(0x120, texts_) + ")");
    EXPECT_EQ(look(1002).tip,
        "Y3" + set + texts_.Text("IDS_KEY_PROMPT_FUNCTION") + texts_.Text("IDS_COMPOSITE_FUNC_KEY_SAVE") + ")");
    EXPECT_EQ(look(1000).tip, "Y1");
    EXPECT_FALSE(look(1000).assigned);
    EXPECT_EQ(looks[kGKeyCount].controlId, 1058) << "key buttons follow in the button order, A first";

    const ButtonLook reset = UnassignedLook(static_cast<std::uint16_t>(GRecord(2, 1)), 1, texts_);
    EXPECT_EQ(reset.controlId, 1002);
    EXPECT_EQ(reset.tip, "Y3");
    EXPECT_EQ(UnassignedLook(0x01E, 0, texts_).tip, "A");
}

TEST_F(KeyButtonTipsTest, ATipIsCutToTheTooltipsLimit)
{
    MacroRecord macro = EmptyMacroRecord();
    macro.id = 1;
    SetMacroName(macro, std::u16string(249, u'\u4E2D'));
    const std::string tip = KeyTip("A", {KIND_MACRO, 0, 1, 0, 0}, {macro}, texts_);
    EXPECT_EQ(Utf16FromUtf8(tip).size(), kTipUnits);
}

TEST(TextEncoding, ConvertsBothWaysAndReplacesWhatIsBroken)
{
    EXPECT_EQ(Utf8FromUtf16(u"A\u00E9\u4E2D\U0001F600"), "A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16FromUtf8("A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80"), u"A\u00E9\u4E2D\U0001F600");
    EXPECT_EQ(Utf8FromUtf16(std::u16string(1, u'\xD800') + u"x"), "\xEF\xBF\xBDx") << "a lone surrogate";
    EXPECT_EQ(Utf16FromUtf8("\xC0\xAF"
                            "a\xFF"),
        u"\uFFFD\uFFFDa\uFFFD")
        << "overlong and stray bytes";
    EXPECT_EQ(Utf16FromUtf8("\xE4\xB8"), u"\uFFFD\uFFFD") << "a cut-off sequence";
}

}  // namespace
}  // namespace tavrin::model
