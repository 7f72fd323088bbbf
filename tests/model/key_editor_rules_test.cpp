// The key editor's decisions: the record a button edits, the page it opens on, the keys it
// captures, what applying stores, and where it is placed.
#include "model/key_editor_rules.h"

#include <gtest/gtest.h>

namespace tavrin::model {
namespace {

const KeyButton kA = KeyButtonsInOrder()[0];  // the A key
constexpr KeyCode kMediaKey = 0x120;
constexpr KeyCode kLeftWindows = 0x15B;
constexpr KeyCode kMenuKey = 0x15D;
constexpr KeyCode kPrintScreen = 0x137;

TEST(KeyEditorRules, EachButtonEditsItsRecord)
{
    EXPECT_EQ(EditedRecordOfButton(*GButtonId(2), 0), 258u);
    EXPECT_EQ(EditedRecordOfButton(*GButtonId(2), 1), 267u);
    EXPECT_EQ(EditedRecordOfButton(kG9ButtonId, 1), 273u);
    EXPECT_EQ(EditedRecordOfButton(kA.controlId, 1), IndexFromCode(kA.code));
    EXPECT_EQ(EditedRecordOfButton(kFnButtonId, 0), std::nullopt);
    EXPECT_EQ(EditedRecordOfButton(1016, 0), std::nullopt);
}

TEST(KeyEditorRules, TheEditorOpensOnTheRecordsPage)
{
    struct Case {
        const char* name;
        KeyRecord record;
        bool macroOnly;
        EditorOpening expected;
    };
    const Case cases[] = {
        {"default", {KIND_DEFAULT, 0, 0, 0, 0}, false, {KIND_DEFAULT, EditorPage::SingleKey}},
        {"a key", {KIND_KEY, 0, kA.code, 0, 0}, false, {KIND_KEY, EditorPage::SingleKey, false, 0, kA.code}},
        {"right button", {KIND_KEY, 0, kMouseRight, 0, 0}, false, {KIND_KEY, EditorPage::SingleKey, true, 1}},
        {"wheel down", {KIND_KEY, 0, kWheelDown, 0, 0}, false, {KIND_KEY, EditorPage::SingleKey, true, 4}},
        {"macro 7", {KIND_MACRO, 3, 7, 0, 0}, false, {KIND_MACRO, EditorPage::Macro, false, 0, kNoKey, 0, 0, 7}},
        {"media 5", {KIND_MEDIA, 0, 5, 0, 0}, false, {KIND_MEDIA, EditorPage::Media, false, 0, kNoKey, 5}},
        {"media out of range", {KIND_MEDIA, 0, 99, 0, 0}, false, {KIND_MEDIA, EditorPage::Media}},
        {"function 10", {KIND_FUNCTION, 0, 10, 0, 0}, false,
            {KIND_FUNCTION, EditorPage::FunctionKey, false, 0, kNoKey, 0, 10}},
        {"text keeps its kind", {KIND_TEXT, 0, 0, 0, 0}, false, {KIND_TEXT, EditorPage::SingleKey}},
        {"macro only", {KIND_MEDIA, 0, 5, 0, 0}, true, {KIND_MACRO, EditorPage::Macro, false, 0, kNoKey, 5}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OpenEditorOn(c.record, c.macroOnly), c.expected) << c.name;
}

TEST(KeyEditorRules, TheSingleKeyPageTakesFreshPressesAndTheDesktopsKeys)
{
    struct Case {
        KeyCode code;
        bool release;
        bool autoRepeat;
        bool keyboardChosen;
        Capture expected;
    };
    const Case cases[] = {
        {kA.code, false, false, true, Capture::Take},
        {kA.code, true, false, true, Capture::Ignore},
        {kA.code, false, true, true, Capture::Ignore},
        {kA.code, false, false, false, Capture::Ignore},
        {kPrintScreen, true, false, true, Capture::Take},
        {kMediaKey, false, false, true, Capture::PassThrough},
        {kNoKey, false, false, true, Capture::PassThrough},
        {kLeftWindows, true, false, false, Capture::Take},
        {kMenuKey, false, false, false, Capture::Take},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CaptureOf(c.code, c.release, c.autoRepeat, c.keyboardChosen), c.expected)
            << std::hex << c.code << " release " << c.release << " repeat " << c.autoRepeat;
}

TEST(KeyEditorRules, ApplyingStoresWhatThePageProduces)
{
    const std::size_t keyA = IndexFromCode(kA.code);
    const std::size_t g3 = GRecord(2, 0);
    const std::size_t g3Bank1 = GRecord(2, 1);
    const KeyCode otherKey = KeyButtonsInOrder()[1].code;
    struct Case {
        const char* name;
        std::size_t record;
        EditorChoices choices;
        Assignment expected;
    };
    const auto choices = [](std::uint16_t kind) {
        EditorChoices c;
        c.kind = kind;
        return c;
    };
    EditorChoices key = choices(KIND_KEY);
    key.capturedKey = otherKey;
    EditorChoices itself = key;
    itself.capturedKey = kA.code;
    EditorChoices mouse = choices(KIND_KEY);
    mouse.mouseChosen = true;
    mouse.mouseEntry = 2;
    mouse.capturedKey = otherKey;
    EditorChoices macro = choices(KIND_MACRO);
    macro.haveMacros = true;
    macro.macroId = 12;
    macro.cycles = 5;
    EditorChoices noMacros = macro;
    noMacros.haveMacros = false;
    EditorChoices media = choices(KIND_MEDIA);
    media.mediaEntry = 4;
    EditorChoices function = choices(KIND_FUNCTION);
    function.functionEntry = 9;
    const Case cases[] = {
        {"another key", keyA, key, {KIND_KEY, 0, otherKey}},
        {"the key itself", keyA, itself, {KIND_DEFAULT, 0, 0}},
        {"nothing captured", keyA, choices(KIND_KEY), {KIND_DEFAULT, 0, 0}},
        {"a mouse function", keyA, mouse, {KIND_KEY, 0, kMouseMiddle}},
        {"a macro", keyA, macro, {KIND_MACRO, 5, 12}},
        {"no macros", keyA, noMacros, {KIND_DEFAULT, 0, 0}},
        {"media on G3", g3, media, {KIND_MEDIA, 0x0303, 4}},
        {"macro on G3 of bank 1", g3Bank1, macro, {KIND_MACRO, 5, 12}},
        {"function key on G3", g3, function, {KIND_FUNCTION, 0x0303, 9}},
        {"cleared G3", g3, choices(KIND_DEFAULT), {KIND_DEFAULT, 0x0303, 0}},
        {"a kind without a page", keyA, choices(KIND_PROGRAM), {KIND_PROGRAM, 0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AssignmentOf(c.record, c.choices), c.expected) << c.name;
}

TEST(KeyEditorRules, TheEditorGoesBesideTheButtonInsideTheScreen)
{
    const ScreenRect screen{0, 0, 1000, 800};
    constexpr int kWidth = 300;
    constexpr int kHeight = 200;
    struct Case {
        const char* name;
        ScreenRect button;
        ScreenPoint expected;
    };
    const Case cases[] = {
        {"right and below", {100, 100, 40, 30}, {140, 130}},
        {"left at the right edge", {900, 100, 40, 30}, {600, 130}},
        {"above at the bottom", {100, 700, 40, 30}, {140, 500}},
        {"right when neither side fits", {0, 100, 990, 30}, {990, 130}},
        {"below and right when neither height fits", {900, 100, 40, 650}, {940, 750}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlaceBeside(c.button, kWidth, kHeight, screen), c.expected) << c.name;
}

}  // namespace
}  // namespace tavrin::model
