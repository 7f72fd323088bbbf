#include "model/key_table.h"
#include "profiles/settings_store.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <vector>

#include "model/language_texts.h"
#include "platform/atomic_file.h"
#include "support/temporary_folder.h"

namespace tavrin::model {
namespace {

const std::string kShippedData = std::string(TAVRIN_DATA_FOLDER) + "/";

std::string_view EnglishName(KeyCode code)
{
    return KeyTableRow(IndexFromCode(code)).englishName;
}

TEST(KeyCodes, ConvertToTableRowsAndBack)
{
    struct Case {
        KeyCode code;
        KeyIndex index;
    };
    const Case roundTrips[] = {
        {0x000, 0x00},
        {0x01E, 0x1E},
        {0x07F, 0x7F},
        {0x100, 0x80},
        {0x11D, 0x9D},
        {0x145, 0xC5},
        {0x17F, 0xFF},
    };
    for (const Case& item : roundTrips) {
        EXPECT_EQ(IndexFromCode(item.code), item.index) << std::hex << item.code;
        EXPECT_EQ(CodeFromIndex(item.index), item.code) << std::hex << item.index;
    }
    EXPECT_EQ(IndexFromCode(0x200), 0x100);
    EXPECT_EQ(IndexFromCode(0x301), 0x201);
    EXPECT_EQ(EnglishName(0x145), "Num Lock");
    EXPECT_EQ(EnglishName(0x11D), "Right Ctrl");
    EXPECT_EQ(EnglishName(0x045), "Pause");
    EXPECT_EQ(KeyTableRow(0x100).listPosition, kEmptyListPosition) << "past the table";
}

TEST(KeyTable, ListPositionsFindTheFirstRow)
{
    struct Case {
        std::uint16_t position;
        KeyCode code;
    };
    const Case cases[] = {
        {0, 0x01E},
        {130, 0x036},
        {131, 0x138},
        {133, 0x171},
        {137, 0x162},
        {0x8001, 0x15E},
        {0x8012, 0x064},
        {138, 0x000},
        {0x8013, 0x000},
        {0x7FFF, 0x000},
    };
    for (const Case& item : cases)
        EXPECT_EQ(CodeFromListPosition(item.position), item.code) << item.position;
    EXPECT_EQ(ListPositionOfCode(0x136), 130) << "the E0 form of Right Shift shares the position";
    EXPECT_EQ(ListPositionOfCode(0x059), kEmptyListPosition);
}

// The list of assignable keys, written out by name in list order, against the rows' positions.
TEST(KeyTable, TheAssignableListIsInItsDocumentedOrder)
{
    std::vector<std::string> expected;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        expected.emplace_back(1, letter);
    for (const char* name : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"})
        expected.emplace_back(name);
    for (const char* name :
        {"Enter", "Esc", "Backspace", "Tab", "Space", "-", "=", "[", "]", "\\", ";", "'", "`", ",", ".", "/"})
        expected.emplace_back(name);
    for (int f = 1; f <= 12; ++f)
        expected.push_back("F" + std::to_string(f));
    for (const char* name :
        {"Print Screen", "Sys Req", "Pause", "Break", "Insert", "Delete", "Home", "End", "Page Up", "Page Down", "↑",
            "↓", "←", "→", "Scroll Lock", "Caps Lock", "Num Lock", "Num /", "Num *", "Num -", "Num +", "Num Enter"})
        expected.emplace_back(name);
    for (int n = 1; n <= 9; ++n)
        expected.push_back("Num " + std::to_string(n));
    for (const char* name : {"Num 0", "Num .", "K14", "K45", "K56", "K107", "N-CHG (131)", "CHG (132)", "ROMA (133)",
             "KL", "KR", "My PC", "Calc", "Mail", "Media Player", "Play/Pause", "Stop Play", "Prev Track", "Next Track",
             "V+", "V-", "Mute", "WWW Home", "WWW Refresh", "WWW Stop", "WWW Back", "WWW Forward", "WWW Favorite",
             "WWW Search", "App", "Ctrl", "Shift", "Alt", "Win", "Right Ctrl", "Right Shift", "Right Alt", "Right Win",
             "Left Button", "Right Button", "Middle Button", "Roll Up", "Roll Down"})
        expected.emplace_back(name);
    ASSERT_EQ(expected.size(), kAssignableKeyCount);
    for (std::uint16_t position = 0; position < kAssignableKeyCount; ++position)
        EXPECT_EQ(EnglishName(CodeFromListPosition(position)), expected[position]) << position;

    const char* functionRows[] = {"Power", "Sleep", "Wake", "Double Click", "Pan Left", "Pan Right", "Zoom-", "Zoom+",
        "Copy", "Cut", "Paste", "Minimize", "Maximize", "Word", "Excel", "PowerPoint", "Calendar", "F13"};
    for (std::uint16_t n = 0; n < std::size(functionRows); ++n)
        EXPECT_EQ(EnglishName(CodeFromListPosition(kFirstFunctionRow + n)), functionRows[n]) << n;
}

TEST(KeyTable, EveryPositionBelongsToOneRowExceptRightShift)
{
    std::map<std::uint16_t, std::vector<KeyIndex>> rowsByPosition;
    for (KeyIndex index = 0; index < kKeyTableRows; ++index) {
        const KeyRow& row = KeyTableRow(index);
        if (row.listPosition == kEmptyListPosition) {
            EXPECT_TRUE(row.englishName.empty() && row.nameKey.empty() && row.deviceCode == 0) << index;
            continue;
        }
        EXPECT_FALSE(row.englishName.empty()) << index;
        EXPECT_TRUE(row.nameKey.starts_with("IDS_KEYBOARD_") || (index == 0x64 && row.nameKey.empty())) << index;
        rowsByPosition[row.listPosition].push_back(index);
    }
    for (std::uint16_t position = 0; position < kAssignableKeyCount; ++position) {
        const auto expected = position == 130 ? std::vector<KeyIndex>{0x36, 0xB6} : std::vector<KeyIndex>(1);
        ASSERT_EQ(rowsByPosition[position].size(), expected.size()) << position;
        if (position == 130) {
            EXPECT_EQ(rowsByPosition[position], expected);
        }
    }
    for (std::uint16_t position = kFirstFunctionRow; position <= 0x8012; ++position)
        EXPECT_EQ(rowsByPosition[position].size(), 1u) << std::hex << position;
    EXPECT_EQ(rowsByPosition.size(), kAssignableKeyCount + 18) << "no position outside the two ranges";
}

TEST(KeyTable, DeviceCodesAreUniqueExceptTheKnownTwins)
{
    std::map<std::uint8_t, std::vector<KeyIndex>> rowsByDeviceCode;
    for (KeyIndex index = 0; index < kKeyTableRows; ++index)
        if (const std::uint8_t device = KeyTableRow(index).deviceCode; device != 0)
            rowsByDeviceCode[device].push_back(index);
    for (const auto& [device, rows] : rowsByDeviceCode) {
        if (device == 0xE5)
            EXPECT_EQ(rows, (std::vector<KeyIndex>{0x36, 0xB6})) << "Right Shift";
        else if (device == 0x48)
            EXPECT_EQ(rows, (std::vector<KeyIndex>{0x45, 0xC6})) << "Pause and Break";
        else
            EXPECT_EQ(rows.size(), 1u) << std::hex << int{device};
    }
}

TEST(KeyTable, ConsumerDeviceCodesNameTheirUsages)
{
    struct Case {
        KeyCode code;
        std::uint16_t usage;
    };
    const Case cases[] = {{0x130, 0x0E9}, {0x12E, 0x0EA}, {0x16D, 0x183}, {0x16B, 0x194}, {0x120, 0x0E2},
        {0x122, 0x0CD}, {0x124, 0x0B7}, {0x119, 0x0B5}};
    for (const Case& item : cases)
        EXPECT_EQ(ConsumerUsage(KeyTableRow(IndexFromCode(item.code)).deviceCode - 0xC0u), item.usage) << item.code;
    EXPECT_EQ(ConsumerUsage(kConsumerUsageCount), 0) << "free entries hold 0";
    EXPECT_EQ(ConsumerUsage(31), 0);
    EXPECT_EQ(ConsumerUsage(1000), 0);
}

TEST(KeyTable, UsagesComeFromDeviceCodes)
{
    struct Case {
        KeyCode code;
        Usage usage;
    };
    const Case cases[] = {
        {0x120, {7, 0xCD}},  // consumer device codes stay on page 7
        {0x01E, {7, 0x04}},
        {0x15D, {7, 0x65}},
        {0x15E, {1, 0x81}},
        {0x163, {1, 0x83}},
        {0x171, {2, 0xF1}},
        {0x162, {2, 0xF5}},
        {0x174, {7, 0xD2}},  // Zoom-
        {0x064, {0, 0}},
        {0x054, {0, 0}},
        {0x000, {0, 0}},
        {0x059, {0, 0}},
    };
    for (const Case& item : cases)
        EXPECT_EQ(UsageOfKeyCode(item.code), item.usage) << std::hex << item.code;
}

TEST(KeyTable, UsagesFindTheFirstRowWithTheirDeviceCode)
{
    struct Case {
        std::uint16_t page, usage;
        KeyCode code;
    };
    const Case cases[] = {
        {12, 0x0E2, 0x120},
        {12, 0x183, 0x16D},
        {12, 0x0B5, 0x119},
        {12, 0x18B, 0x000},
        {12, 0x000, 0x000},  // the free entries of the usage list hold 0; 0 is no consumer key
        {7, 0x00, 0x000},
        {7, 0x04, 0x01E},
        {7, 0xE5, 0x036},  // Right Shift's first row
        {7, 0x48, 0x045},  // Pause before Break
        {7, 0xCD, 0x120},
        {7, 0xFF, 0x000},
        {7, 0x104, 0x000},  // not cut to the byte 0x04
        {1, 0x82, 0x15F},
        {1, 0x84, 0x000},
        {1, 0x04, 0x000},
        {2, 0xF1, 0x000},
        {3, 0x04, 0x000},
    };
    for (const Case& item : cases)
        EXPECT_EQ(KeyCodeOfUsage(item.page, item.usage), item.code) << item.page << ":" << std::hex << item.usage;
}

TEST(KeyTable, ModifierBitsNameTheEightModifiers)
{
    const KeyCode byBit[] = {0x01D, 0x02A, 0x038, 0x15B, 0x11D, 0x036, 0x138, 0x15C};
    for (int bit = 0; bit < 8; ++bit) {
        EXPECT_EQ(ModifierKeyCode(static_cast<std::uint8_t>(1 << bit)), byBit[bit]) << bit;
        EXPECT_EQ(ModifierBitOfKey(byBit[bit]), 1 << bit) << bit;
    }
    EXPECT_EQ(ModifierKeyCode(0), kNoKey);
    EXPECT_EQ(ModifierKeyCode(0xA0), 0x036) << "the lowest set bit wins";
    EXPECT_EQ(ModifierKeyCode(0xFF), 0x01D);
    EXPECT_EQ(ModifierBitOfKey(0x136), 0);
    EXPECT_EQ(ModifierBitOfKey(0x01E), 0);
}

TEST(KeyEvents, ScanCodesWinOverVirtualKeys)
{
    constexpr std::uint32_t kExtended = 1u << 24;
    auto scan = [](std::uint8_t code) { return static_cast<std::uint32_t>(code) << 16 | 1; };
    struct Case {
        std::uint8_t virtualKey;
        std::uint32_t packed;
        KeyCode code;
    };
    const Case cases[] = {
        {0x2C, scan(0x54), 0x137},  // Alt+Print Screen
        {0x2C, scan(0x37) | kExtended, 0x137},
        {0x10, scan(0x36) | kExtended, 0x036},  // fake E0 Shift
        {0xA1, scan(0x36), 0x036},
        {0x11, scan(0x1D) | kExtended, 0x11D},
        {0x13, scan(0x45), 0x045},                         // Pause
        {0x90, scan(0x45) | kExtended, 0x145},             // Num Lock
        {0x03, scan(0x46) | kExtended, 0x045},             // Ctrl+Pause
        {0x0D, scan(0x1C) | kExtended | 1u << 31, 0x11C},  // release bits do not matter
        {0xFF, scan(0x5E) | kExtended, 0x15E},             // Power has no virtual key
        {0x41, scan(0x1E), 0x01E},
        {0x41, 0, 0x01E},  // no scan code: the virtual-key map
        {0x13, 0, 0x045},
        {0x90, 0, 0x145},
        {0x03, 0, 0x045},  // Break → 146 → Pause
        {0x2C, 0, 0x137},
        {0xA1, 0, 0x036},
        {0x5B, 0, 0x15B},
        {0x7C, 0, 0x064},
        {0x07, 0, 0x000},  // not in the map
        {0xFF, 0, 0x000},  // FF never uses the map
        {0x00, 0, 0x000},
    };
    for (const Case& item : cases)
        EXPECT_EQ(KeyCodeOfKeyEvent(item.virtualKey, item.packed), item.code)
            << std::hex << int{item.virtualKey} << " " << item.packed;
    EXPECT_EQ(VirtualKeyIndex(0xA3), 0x9D);
    EXPECT_EQ(VirtualKeyIndex(0x0A), 0);
}

TEST(KeyEvents, ReleaseOnlyKeysAndMouseMessages)
{
    for (KeyCode code : {0x054, 0x071, 0x072, 0x137})
        EXPECT_TRUE(IsReleaseOnlyKey(code)) << code;
    for (KeyCode code : {0x000, 0x036, 0x045, 0x073, 0x037})
        EXPECT_FALSE(IsReleaseOnlyKey(code)) << code;

    struct Case {
        MouseMessage message;
        KeyCode code;
        bool release;
    };
    const Case cases[] = {
        {MouseMessage::LeftDown, kMouseLeft, false},
        {MouseMessage::LeftUp, kMouseLeft, true},
        {MouseMessage::RightDown, kMouseRight, false},
        {MouseMessage::RightUp, kMouseRight, true},
        {MouseMessage::MiddleDown, kMouseMiddle, false},
        {MouseMessage::MiddleUp, kMouseMiddle, true},
        {MouseMessage::Move, kNoKey, false},
        {MouseMessage::Other, kNoKey, false},
    };
    for (const Case& item : cases) {
        EXPECT_EQ(KeyCodeOfMouseMessage(item.message), item.code) << static_cast<int>(item.message);
        EXPECT_EQ(IsButtonRelease(item.message), item.release) << static_cast<int>(item.message);
    }
}

TEST(KeyboardPicture, ButtonsAreDistinctKeysInTheButtonOrder)
{
    std::set<int> ids;
    std::set<KeyCode> codes;
    std::vector<std::string> names;
    for (const KeyButton& button : KeyButtonsInOrder()) {
        ids.insert(button.controlId);
        codes.insert(button.code);
        const KeyRow& row = KeyTableRow(IndexFromCode(button.code));
        EXPECT_LT(row.listPosition, kAssignableKeyCount) << button.controlId;
        EXPECT_FALSE(row.nameKey.empty()) << button.controlId;
        EXPECT_EQ(KeyCodeOfButton(button.controlId), button.code);
        names.emplace_back(row.englishName);
    }
    std::set<int> expectedIds;
    for (auto [first, last] : {std::pair{1010, 1015}, {1022, 1056}, {1058, 1120}})
        for (int id = first; id <= last; ++id)
            expectedIds.insert(id);
    EXPECT_EQ(ids, expectedIds);
    EXPECT_EQ(codes.size(), kKeyButtonCount);

    std::vector<std::string> expected;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        expected.emplace_back(1, letter);
    for (const char* name : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "Enter", "Esc", "Backspace", "Tab",
             "Space", "-", "=", "[", "]", "\\", ";", "'", "`", ",", ".", "/"})
        expected.emplace_back(name);
    for (int f = 1; f <= 12; ++f)
        expected.push_back("F" + std::to_string(f));
    for (const char* name : {"Print Screen", "Pause", "Insert", "Delete", "Home", "End", "Page Up", "Page Down", "↑",
             "↓", "←", "→", "Scroll Lock", "Caps Lock", "App", "Ctrl", "Right Ctrl", "Shift", "Right Shift", "Alt",
             "Right Alt", "Win", "Right Win"})
        expected.emplace_back(name);
    for (int n = 1; n <= 9; ++n)
        expected.push_back("Num " + std::to_string(n));
    for (const char* name : {"Num 0", "Num Lock", "Num Enter", "Num .", "Num /", "Num *", "Num -", "Num +"})
        expected.emplace_back(name);
    EXPECT_EQ(names, expected);
}

// The picture's rows of buttons carry consecutive control identifiers.
TEST(KeyboardPicture, ControlIdentifiersFollowThePictureRows)
{
    struct Run {
        int firstId;
        std::vector<std::string_view> names;
    };
    const Run runs[] = {
        {1010, {"F1", "F2", "F3", "F4", "F5", "F6"}},
        {1022,
            {"Esc", "F7", "F8", "F9", "F10", "F11", "F12", "`", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "-",
                "=", "\\", "Backspace", "Q", "W", "E", "R", "T", "Y", "U", "I", "O", "P", "[", "]", "Tab"}},
        {1058,
            {"A", "S", "D", "F", "G", "H", "J", "K", "L", ";", "'", "Caps Lock", "Enter", "Z", "X", "C", "V", "B", "N",
                "M", ",", ".", "/", "Right Shift", "Shift", "Ctrl", "Win", "Alt", "Right Alt", "Right Win", "App",
                "Right Ctrl", "Space", "Print Screen", "Scroll Lock", "Pause", "Insert", "Home", "Page Up", "Delete",
                "End", "Page Down", "←", "↓", "→", "↑", "Num Lock", "Num /", "Num *", "Num -", "Num 7", "Num 8",
                "Num 9", "Num +", "Num 4", "Num 5", "Num 6", "Num 1", "Num 2", "Num 3", "Num Enter", "Num .", "Num 0"}},
    };
    for (const Run& run : runs)
        for (std::size_t i = 0; i < run.names.size(); ++i) {
            const int id = run.firstId + static_cast<int>(i);
            const auto code = KeyCodeOfButton(id);
            ASSERT_TRUE(code) << id;
            EXPECT_EQ(EnglishName(*code), run.names[i]) << id;
        }
    EXPECT_EQ(KeyCodeOfButton(1081), 0x036) << "the plain Right Shift, not the E0 form";
    for (int id : {1009, 1016, 1021, 1057, 1121, kFnButtonId, 1000, 1140})
        EXPECT_FALSE(KeyCodeOfButton(id)) << id;
}

TEST(KeyboardPicture, GButtonsAndGCodes)
{
    const int ids[] = {1000, 1001, 1002, 1003, 1004, 1140, 1141, 1142, 1143};
    for (int g = 0; g < 9; ++g) {
        EXPECT_EQ(GButtonId(g), ids[g]);
        EXPECT_EQ(GIndexOfButton(ids[g]), g);
        EXPECT_EQ(GCode(g, 0), 0x0301 + g);
        EXPECT_EQ(GCode(g, 1), 0x1301 + g);
    }
    for (int g : {-1, 9})
        EXPECT_FALSE(GButtonId(g)) << g;
    for (int id : {999, 1005, 1139, 1144, kFnButtonId, 1058})
        EXPECT_FALSE(GIndexOfButton(id)) << id;
    EXPECT_EQ(GCode(9, 0), 0);
    EXPECT_EQ(GCode(0, 2), 0);
    EXPECT_EQ(GCode(-1, 1), 0);
}

// Texts come from a language file of the test's own.
class KeyNamesTest : public ::testing::Test {
protected:
    void WriteLanguageFile(const std::string& entries)
    {
        std::string error;
        ASSERT_TRUE(platform::WriteFileAtomically(folder_ + "Lang0409.ini", "[TEXT]\n" + entries, error)) << error;
    }

    testing::TemporaryFolder temporary_;
    std::string folder_ = temporary_.Path().string() + "/";
    profiles::SettingsKey settings_;  // not opened: English, nothing written
    LanguageTexts texts_{folder_, settings_, 1033};
};

TEST_F(KeyNamesTest, UnnamedKeysUseTheUnknownKeyFormat)
{
    WriteLanguageFile("IDS_KEYBOARD_UNKNOWN=Key 0x%03X\nIDS_KEYBOARD_A=A\nIDS_KEYBOARD_B=\n");
    EXPECT_EQ(DisplayedName(0x01E, texts_), "A");
    EXPECT_EQ(DisplayedName(0x064, texts_), "Key 0x064") << "F13 has no name key";
    EXPECT_EQ(DisplayedName(0x059, texts_), "Key 0x059") << "empty row";
    EXPECT_EQ(DisplayedName(0x000, texts_), "Key 0x000");
    EXPECT_EQ(DisplayedName(0x301, texts_), "Key 0x301") << "past the table";
    EXPECT_EQ(DisplayedName(0x030, texts_), "Key 0x030") << "an empty text";
    EXPECT_EQ(DisplayedName(0x02E, texts_), kMissingText) << "a missing text is not empty";
}

TEST_F(KeyNamesTest, OnlyASingleIntegerConversionIsApplied)
{
    struct Case {
        const char* format;
        const char* name;
    };
    const Case cases[] = {
        {"Key 0x%03X", "Key 0x064"},
        {"%d", "100"},
        {"%u!", "100!"},
        {"[%x]", "[64]"},
        {"[%-5X]", "[64   ]"},
        {"[%5d]", "[  100]"},
        {"[%05x]", "[00064]"},
        {"%#x %%", "0x64 %"},
        {"%+d", "+100"},
        {"% d", " 100"},
        {"100%% %X", "100% 64"},
        // Anything else is shown as it stands.
        {"%s", "%s"},
        {"%n%d", "%n%d"},
        {"%X %X", "%X %X"},
        {"%ld", "%ld"},
        {"%.3X", "%.3X"},
        {"%*d", "%*d"},
        {"%1000d", "%1000d"},
        {"%", "%"},
        {"Key %", "Key %"},
        {"Unnamed", "Unnamed"},
        {"100%%", "100%%"},
    };
    for (const Case& item : cases) {
        WriteLanguageFile(std::string("IDS_KEYBOARD_UNKNOWN=") + item.format + "\n");
        EXPECT_EQ(DisplayedName(0x064, texts_), item.name) << item.format;
    }
}

TEST_F(KeyNamesTest, NamesAreCutToTheCallersUnits)
{
    WriteLanguageFile(
        "IDS_KEYBOARD_UNKNOWN=%0999X\nIDS_KEYBOARD_UP=↑↑↑↑↑↑\nIDS_KEYBOARD_A=" + std::string(300, 'a') + "\n");
    EXPECT_EQ(DisplayedName(0x064, texts_), std::string(259, '0')) << "999 units cut to 259";
    EXPECT_EQ(DisplayedName(0x148, texts_, 5), "↑↑↑↑");
    EXPECT_EQ(DisplayedName(0x148, texts_, 1), "");
    EXPECT_EQ(DisplayedName(0x148, texts_, 0), "");
    EXPECT_EQ(DisplayedName(0x01E, texts_).size(), 259u);
}

TEST_F(KeyNamesTest, NamesAtListPositionsHaveNoFallback)
{
    WriteLanguageFile("IDS_KEYBOARD_UNKNOWN=Key 0x%03X\nIDS_KEYBOARD_RSHIFT=R-Shift\nIDS_KEYBOARD_A=A\n");
    EXPECT_EQ(NameAtListPosition(0, texts_), "A");
    EXPECT_EQ(NameAtListPosition(130, texts_), "R-Shift");
    EXPECT_EQ(NameAtListPosition(138, texts_), "");
    EXPECT_EQ(NameAtListPosition(0x8012, texts_), "") << "F13 has no name key";
    EXPECT_EQ(NameAtListPosition(kEmptyListPosition, texts_), "");
    EXPECT_EQ(NameAtListPosition(1, texts_), kMissingText);
}

TEST(ShippedKeyNames, EveryNameKeyIsInTheEnglishFile)
{
    profiles::SettingsKey settings;
    LanguageTexts texts(kShippedData, settings, 1033);
    for (KeyIndex index = 0; index < kKeyTableRows; ++index)
        if (const std::string_view key = KeyTableRow(index).nameKey; !key.empty()) {
            EXPECT_NE(texts.Text(key, 0), kMissingText) << key;
        }
    EXPECT_EQ(DisplayedName(0x064, texts), "Key 0x064");
    EXPECT_EQ(DisplayedName(0x00D, texts), "=");
    EXPECT_EQ(DisplayedName(0x137, texts), "Print Screen");
}

}  // namespace
}  // namespace tavrin::model
