// The macro page's rules: recording key strokes into rows, the row commands, generated names, the
// limits, and undo and redo of every change.
#include "model/macro_panel.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace tavrin::model {
namespace {

constexpr KeyCode kA = 0x01E;
constexpr KeyCode kB = 0x030;
constexpr KeyCode kC = 0x02E;
constexpr KeyCode kPrintScreen = 0x137;
constexpr KeyCode kMediaKey = 0x120;
constexpr KeyCode kLeftWindows = 0x15B;

constexpr MacroAction Press(KeyCode key, std::uint32_t delay)
{
    return {delay, key, 0};
}
constexpr MacroAction Release(KeyCode key, std::uint32_t delay)
{
    return {delay, key, 1};
}

MacroRecord MakeMacro(std::u16string_view name, std::uint16_t id, const std::vector<MacroAction>& actions,
    std::uint8_t cycles = 1, std::uint16_t isNew = 0)
{
    MacroRecord record = EmptyMacroRecord();
    SetMacroName(record, name);
    record.id = id;
    record.cycles = cycles;
    record.isNew = isNew;
    record.actionCount = static_cast<std::uint16_t>(actions.size());
    std::copy(actions.begin(), actions.end(), record.actions);
    return record;
}

// Three macros; the second (id 5) has four rows and 3 cycles.
MacroList ThreeMacros()
{
    return {
        MakeMacro(u"First", 1, {Press(kA, 10), Release(kA, 0)}),
        MakeMacro(u"Second", 5, {Press(kA, 100), Release(kA, 200), Press(kB, 300), Release(kB, 0)}, 3),
        MakeMacro(u"Third", 2, {}),
    };
}

// Everything undo promises to bring back.
struct State {
    MacroList list;
    std::optional<std::size_t> selected;
    std::vector<MacroAction> rows;
    std::optional<std::size_t> selectedRow;
    std::uint8_t cycles;

    bool operator==(const State&) const = default;
};

State StateOf(const MacroPanel& panel)
{
    return {panel.Macros(), panel.Selected(), panel.Rows(), panel.SelectedRow(), panel.Cycles()};
}

// Records press and release of `key`, `holdMs` apart, starting `startMs` after the recording.
void RecordStroke(MacroPanel& panel, KeyCode key, std::uint64_t startMs, std::uint64_t holdMs)
{
    panel.StartRecording(0);
    panel.FeedKey(key, false, false, startMs);
    panel.FeedKey(key, true, false, startMs + holdMs);
    panel.StopRecording();
}

TEST(MacroPanel, ExcludesTheEighteenMediaAndApplicationKeys)
{
    const KeyCode excluded[] = {0x120, 0x130, 0x12E, 0x124, 0x122, 0x119, 0x110, 0x16D, 0x132, 0x167, 0x168, 0x16A,
        0x169, 0x166, 0x165, 0x16B, 0x121, 0x16C};
    for (KeyCode code : excluded)
        EXPECT_TRUE(IsExcludedFromRecording(code)) << std::hex << code;
    for (KeyCode code : {kA, kPrintScreen, kLeftWindows, kMouseLeft, kNoKey})
        EXPECT_FALSE(IsExcludedFromRecording(code)) << std::hex << code;
}

TEST(MacroPanel, ParsesDelayTextIntoTensOfMillisecondsUpTo40000)
{
    struct Case {
        const char* text;
        DelayEdit expected;
    };
    const Case cases[] = {
        {"1234", {1230, false}},
        {"123456", {40000, true}},
        {"0", {0, false}},
        {"9", {0, false}},
        {"40000", {40000, false}},
        {"40001", {40000, true}},
        {"39999", {39990, false}},
        {"-5", {40000, true}},
        {"abc", {40000, true}},
        {"", {40000, true}},
        {"99999999999999999999999999999", {40000, true}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseDelayText(c.text), c.expected) << c.text;
}

TEST(MacroPanel, ClampsCyclesTextTo1Through255)
{
    struct Case {
        const char* text;
        std::uint8_t expected;
    };
    const Case cases[] = {
        {"0", 1},
        {"-3", 1},
        {"", 1},
        {"x", 1},
        {"1", 1},
        {"12", 12},
        {"255", 255},
        {"256", 255},
        {"99999999999999999999999999999", 255},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClampCyclesText(c.text), c.expected) << c.text;
}

TEST(MacroPanel, OpensOnACopyWithIsNewClearedAndTheRequestedMacro)
{
    MacroList working = ThreeMacros();
    working[1].isNew = 1;
    struct Case {
        std::uint16_t selectId;
        std::size_t expected;
    };
    for (const Case c : {Case{5, 1}, Case{2, 2}, Case{0, 0}, Case{77, 0}}) {
        const MacroPanel panel(working, c.selectId, u"Macro");
        EXPECT_EQ(panel.Selected(), c.expected) << c.selectId;
        EXPECT_EQ(panel.Rows(),
            std::vector<MacroAction>(
                working[c.expected].actions, working[c.expected].actions + working[c.expected].actionCount));
        EXPECT_EQ(panel.Cycles(), working[c.expected].cycles);
        EXPECT_FALSE(panel.SelectedRow());
        EXPECT_FALSE(panel.Modified());
        for (const MacroRecord& macro : panel.Macros())
            EXPECT_EQ(macro.isNew, 0);
    }
    const MacroPanel empty({}, 3, u"Macro");
    EXPECT_FALSE(empty.Selected());
    EXPECT_EQ(empty.SelectedId(), 0);
    EXPECT_TRUE(empty.Rows().empty());
}

TEST(MacroPanel, PressAndReleaseWithDelaysOffRecord50And0)
{
    MacroPanel panel(ThreeMacros(), 2, u"Macro");
    RecordStroke(panel, kA, 1000, 300);
    EXPECT_EQ(panel.Rows(), (std::vector{Press(kA, 50), Release(kA, 0)}));
    EXPECT_EQ(panel.SelectedRow(), 1u);
    EXPECT_TRUE(panel.Modified());
}

TEST(MacroPanel, AHeldKeyWithDelaysOnRecordsItsHoldTimeAndNoRepeats)
{
    MacroPanel panel(ThreeMacros(), 2, u"Macro");
    panel.SetRecordDelays(true);
    panel.StartRecording(0);
    EXPECT_EQ(panel.FeedKey(kA, false, false, 1000), KeyFeed::Recorded);
    for (std::uint64_t at = 1100; at < 1300; at += 33)
        EXPECT_EQ(panel.FeedKey(kA, false, true, at), KeyFeed::Swallowed);
    EXPECT_EQ(panel.FeedKey(kA, true, false, 1300), KeyFeed::Recorded);
    panel.StopRecording();
    EXPECT_EQ(panel.Rows(), (std::vector{Press(kA, 300), Release(kA, 0)}));
}

TEST(MacroPanel, AReleaseOnlyKeyRecordsAPressInFrontOfItsEvent)
{
    struct Case {
        bool delays;
        std::vector<MacroAction> expected;
    };
    // Behind a row, the row takes the press's raw delay 2 and the press the time to the event.
    const Case cases[] = {
        {false, {Press(kA, 50), Press(kPrintScreen, 50), Release(kPrintScreen, 0)}},
        {true, {Press(kA, 2), Press(kPrintScreen, 400), Release(kPrintScreen, 0)}},
    };
    for (const Case& c : cases) {
        MacroPanel panel({MakeMacro(u"M", 1, {Press(kA, 0)})}, 1, u"Macro");
        panel.SetRecordDelays(c.delays);
        panel.SelectRow(0);
        panel.StartRecording(100);
        EXPECT_EQ(panel.FeedKey(kPrintScreen, true, false, 500), KeyFeed::Recorded);
        EXPECT_EQ(panel.Rows(), c.expected) << c.delays;
    }
}

TEST(MacroPanel, KeysThatAreNotRecordedPassThrough)
{
    MacroPanel panel(ThreeMacros(), 2, u"Macro");
    EXPECT_EQ(panel.FeedKey(kA, false, false, 10), KeyFeed::PassThrough);  // not recording
    panel.StartRecording(0);
    EXPECT_EQ(panel.FeedKey(kMediaKey, false, false, 10), KeyFeed::PassThrough);
    EXPECT_EQ(panel.FeedKey(kMediaKey, true, false, 20), KeyFeed::PassThrough);
    EXPECT_EQ(panel.FeedKey(kNoKey, false, false, 30), KeyFeed::PassThrough);
    panel.StopRecording();
    EXPECT_TRUE(panel.Rows().empty());
    EXPECT_FALSE(panel.Modified());
    EXPECT_FALSE(panel.CanUndo());

    // Without a macro the key is kept from the desktop, but goes nowhere.
    MacroPanel empty({}, 0, u"Macro");
    empty.StartRecording(0);
    EXPECT_EQ(empty.FeedKey(kA, false, false, 10), KeyFeed::Recorded);
    EXPECT_EQ(empty.MacroCount(), 0u);
    EXPECT_FALSE(empty.CanUndo());
}

TEST(MacroPanel, InsertsANewRowAfterTheSelectedOneAndShiftsTheDelays)
{
    MacroPanel panel(ThreeMacros(), 5, u"Macro");
    panel.SetRecordDelays(true);
    panel.SelectRow(1);
    panel.StartRecording(1000);
    panel.FeedKey(kC, false, false, 1070);
    EXPECT_EQ(
        panel.Rows(), (std::vector{Press(kA, 100), Release(kA, 70), Press(kC, 200), Press(kB, 300), Release(kB, 0)}));
    EXPECT_EQ(panel.SelectedRow(), 2u);

    panel.SelectRow(std::nullopt);  // at the end
    panel.FeedKey(kC, true, false, 1100);
    EXPECT_EQ(panel.Rows().back(), Release(kC, 0));
    EXPECT_EQ(panel.Rows()[4], Release(kB, 30));
    EXPECT_EQ(panel.SelectedRow(), 5u);
}

TEST(MacroPanel, RowsStopAt2000)
{
    MacroList working = ThreeMacros();
    working[0].actionCount = kMaxMacroActions - 1;
    MacroPanel panel(working, 1, u"Macro");
    panel.StartRecording(0);
    panel.FeedKey(kA, false, false, 10);
    EXPECT_EQ(panel.Rows().size(), kMaxMacroActions);
    const State full = StateOf(panel);
    EXPECT_EQ(panel.FeedKey(kA, true, false, 20), KeyFeed::Recorded);
    panel.StopRecording();
    panel.InsertMouseClick(0, 30);
    EXPECT_EQ(StateOf(panel), full);
}

TEST(MacroPanel, InsertsMouseClicksOfTheFirstThreeButtons)
{
    struct Case {
        int entry;
        KeyCode button;
    };
    for (const Case c : {Case{0, kMouseLeft}, Case{1, kMouseRight}, Case{2, kMouseMiddle}}) {
        MacroPanel panel(ThreeMacros(), 2, u"Macro");
        panel.SetRecordDelays(true);
        panel.StartRecording(1000);
        panel.StopRecording();
        panel.InsertMouseClick(c.entry, 1250);
        EXPECT_EQ(panel.Rows(), (std::vector{Press(c.button, 250), Release(c.button, 0)})) << c.entry;
    }
    MacroPanel panel(ThreeMacros(), 2, u"Macro");
    panel.InsertMouseClick(3, 10);
    panel.InsertMouseClick(-1, 10);
    EXPECT_TRUE(panel.Rows().empty());
    EXPECT_FALSE(panel.CanUndo());
}

TEST(MacroPanel, EditsTheSelectedMacrosRows)
{
    struct Case {
        const char* name;
        std::function<void(MacroPanel&)> edit;
        std::vector<MacroAction> expected;
        std::optional<std::size_t> selectedRow;
    };
    const std::vector<MacroAction> original = {Press(kA, 100), Release(kA, 200), Press(kB, 300), Release(kB, 0)};
    const Case cases[] = {
        {"key", [](MacroPanel& p) { p.SetRowKey(1, kC); },
            {Press(kA, 100), Release(kC, 200), Press(kB, 300), Release(kB, 0)}, 2},
        {"release", [](MacroPanel& p) { p.SetRowRelease(0, true); },
            {Release(kA, 100), Release(kA, 200), Press(kB, 300), Release(kB, 0)}, 2},
        {"delay", [](MacroPanel& p) { p.SetRowDelay(3, "1234"); },
            {Press(kA, 100), Release(kA, 200), Press(kB, 300), Release(kB, 1230)}, 2},
        {"delete", [](MacroPanel& p) { p.DeleteSelectedRow(); }, {Press(kA, 100), Release(kA, 200), Release(kB, 0)}, 2},
        {"clear", [](MacroPanel& p) { p.ClearRows(); }, {}, std::nullopt},
        {"top", [](MacroPanel& p) { p.MoveSelectedRow(RowMove::Top); },
            {Press(kB, 300), Press(kA, 100), Release(kA, 200), Release(kB, 0)}, 0},
        {"up", [](MacroPanel& p) { p.MoveSelectedRow(RowMove::Up); },
            {Press(kA, 100), Press(kB, 300), Release(kA, 200), Release(kB, 0)}, 1},
        {"down", [](MacroPanel& p) { p.MoveSelectedRow(RowMove::Down); },
            {Press(kA, 100), Release(kA, 200), Release(kB, 0), Press(kB, 300)}, 3},
        {"bottom", [](MacroPanel& p) { p.MoveSelectedRow(RowMove::Bottom); },
            {Press(kA, 100), Release(kA, 200), Release(kB, 0), Press(kB, 300)}, 3},
    };
    for (const Case& c : cases) {
        MacroPanel panel(ThreeMacros(), 5, u"Macro");
        panel.SelectRow(2);
        c.edit(panel);
        EXPECT_EQ(panel.Rows(), c.expected) << c.name;
        EXPECT_EQ(panel.SelectedRow(), c.selectedRow) << c.name;
        EXPECT_TRUE(panel.Modified()) << c.name;
        EXPECT_TRUE(panel.CanUndo()) << c.name;
        EXPECT_EQ(static_cast<std::size_t>(panel.Macros()[1].actionCount), c.expected.size()) << c.name;
    }
}

TEST(MacroPanel, IgnoresRowsThatAreNotThere)
{
    MacroPanel panel(ThreeMacros(), 5, u"Macro");
    const State before = StateOf(panel);
    panel.SelectRow(4);
    EXPECT_FALSE(panel.SelectedRow());
    panel.SetRowKey(4, kC);
    panel.SetRowRelease(99, true);
    EXPECT_EQ(panel.SetRowDelay(4, "123456"), (DelayEdit{40000, true}));
    panel.DeleteSelectedRow();
    panel.MoveSelectedRow(RowMove::Top);
    EXPECT_EQ(StateOf(panel), before);
    EXPECT_FALSE(panel.CanUndo());
    EXPECT_FALSE(panel.Modified());
}

TEST(MacroPanel, StoresTheDelayAndReportsTheLimit)
{
    MacroPanel panel(ThreeMacros(), 5, u"Macro");
    EXPECT_EQ(panel.SetRowDelay(0, "123456"), (DelayEdit{40000, true}));
    EXPECT_EQ(panel.Rows()[0].delay, 40000u);
    EXPECT_EQ(panel.SetRowDelay(0, "1234"), (DelayEdit{1230, false}));
    EXPECT_EQ(panel.Rows()[0].delay, 1230u);
}

TEST(MacroPanel, SelectingAnotherMacroKeepsTheRowsOfTheOneBefore)
{
    MacroPanel panel(ThreeMacros(), 2, u"Macro");
    RecordStroke(panel, kA, 10, 10);
    panel.SetCyclesText("7");
    panel.SelectMacro(0);
    EXPECT_EQ(panel.SelectedId(), 1);
    EXPECT_EQ(panel.Rows().size(), 2u);
    panel.SelectMacro(2);
    EXPECT_EQ(panel.Rows(), (std::vector{Press(kA, 50), Release(kA, 0)}));
    EXPECT_EQ(panel.Cycles(), 7);
    panel.SelectMacro(3);  // not there
    EXPECT_EQ(panel.Selected(), 2u);
}

TEST(MacroPanel, MacrosCarriesTheCurrentRowsCyclesAndIsNew)
{
    MacroPanel panel(ThreeMacros(), 1, u"Macro");
    panel.SetCyclesText("300");
    ASSERT_TRUE(panel.AddMacro());
    RecordStroke(panel, kB, 10, 10);
    const MacroList list = panel.Macros();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].cycles, 255);
    EXPECT_EQ(list[3].isNew, 1);
    EXPECT_EQ(list[3].id, 3);
    EXPECT_EQ(list[3].cycles, 1);
    EXPECT_EQ(list[3].playMode, 0);
    ASSERT_EQ(list[3].actionCount, 2);
    EXPECT_EQ(list[3].actions[0], Press(kB, 50));
    EXPECT_EQ(MacroName(list[3]), u"Macro1");
}

TEST(MacroPanel, GeneratedNamesCountOnEvenAfterARename)
{
    MacroPanel panel({}, 0, u"Macro");
    ASSERT_TRUE(panel.AddMacro());
    EXPECT_EQ(panel.NameAt(0), u"Macro1");
    EXPECT_EQ(panel.SelectedId(), 1);
    panel.Rename(u"Renamed");
    ASSERT_TRUE(panel.AddMacro());
    EXPECT_EQ(panel.NameAt(1), u"Macro2");
    EXPECT_EQ(panel.Selected(), 1u);
    EXPECT_EQ(panel.SelectedId(), 2);

    // An emptied list starts counting again.
    panel.DeleteSelectedMacro(nullptr);
    panel.DeleteSelectedMacro(nullptr);
    ASSERT_EQ(panel.MacroCount(), 0u);
    ASSERT_TRUE(panel.AddMacro());
    EXPECT_EQ(panel.NameAt(0), u"Macro1");
}

TEST(MacroPanel, GeneratedNamesSkipThoseThatBeginAnEntryIgnoringCase)
{
    MacroPanel panel({MakeMacro(u"mACRO1 copy", 1, {}), MakeMacro(u"Macro2", 2, {})}, 0, u"Macro");
    ASSERT_TRUE(panel.AddMacro());
    EXPECT_EQ(panel.NameAt(2), u"Macro3");
}

TEST(MacroPanel, RefusesThe101stMacro)
{
    MacroPanel panel({}, 0, u"M");
    for (std::size_t n = 0; n < kMaxMacros; ++n)
        ASSERT_TRUE(panel.AddMacro()) << n;
    EXPECT_EQ(panel.SelectedId(), 100);
    EXPECT_FALSE(panel.AddMacro());
    EXPECT_EQ(panel.MacroCount(), kMaxMacros);
}

TEST(MacroPanel, RenamingCutsTo249UnitsWithoutSplittingAPair)
{
    struct Case {
        std::u16string typed;
        std::u16string kept;
    };
    const std::u16string pair = u"\U0001F600";
    const Case cases[] = {
        {std::u16string(300, u'a'), std::u16string(249, u'a')},
        {std::u16string(248, u'a') + pair, std::u16string(248, u'a')},
        {std::u16string(247, u'a') + pair, std::u16string(247, u'a') + pair},
    };
    for (const Case& c : cases) {
        MacroPanel panel(ThreeMacros(), 0, u"Macro");
        panel.Rename(c.typed);
        EXPECT_EQ(panel.NameAt(0), c.kept) << c.typed.size();
        EXPECT_EQ(MacroName(panel.Macros()[0]), c.kept) << c.typed.size();
    }
}

TEST(MacroPanel, RenamingAnEmptyListCreatesAMacro)
{
    MacroPanel panel({}, 0, u"Macro");
    panel.Rename(u"Typed");
    ASSERT_EQ(panel.MacroCount(), 1u);
    EXPECT_EQ(panel.Selected(), 0u);
    const MacroRecord macro = panel.Macros()[0];
    EXPECT_EQ(MacroName(macro), u"Typed");
    EXPECT_EQ(macro.id, 1);
    EXPECT_EQ(macro.isNew, 1);
    EXPECT_EQ(macro.cycles, 1);
    EXPECT_EQ(macro.actionCount, 0);
    EXPECT_TRUE(panel.Modified());
}

TEST(MacroPanel, DeletingAskedOnlyForMacrosThatWereThere)
{
    MacroPanel panel(ThreeMacros(), 5, u"Macro");
    std::vector<std::uint16_t> asked;
    const auto refuse = [&asked](std::uint16_t id) {
        asked.push_back(id);
        return false;
    };
    EXPECT_FALSE(panel.DeleteSelectedMacro(refuse));
    EXPECT_EQ(panel.MacroCount(), 3u);
    EXPECT_FALSE(panel.CanUndo());
    EXPECT_TRUE(panel.AddMacro());  // id 3, new: nobody is asked
    EXPECT_TRUE(panel.DeleteSelectedMacro(refuse));
    EXPECT_EQ(asked, std::vector<std::uint16_t>{5});
}

TEST(MacroPanel, DeletingMovesTheSelectionToTheEntryBeforeOrTheFirst)
{
    struct Case {
        std::uint16_t deletedId;
        std::uint16_t selectedAfter;
    };
    for (const Case c : {Case{1, 5}, Case{5, 1}, Case{2, 5}}) {
        MacroPanel panel(ThreeMacros(), c.deletedId, u"Macro");
        EXPECT_TRUE(panel.DeleteSelectedMacro([](std::uint16_t) { return true; }));
        EXPECT_EQ(panel.SelectedId(), c.selectedAfter) << c.deletedId;
        EXPECT_EQ(panel.Rows().size(), c.selectedAfter == 5 ? 4u : 2u) << c.deletedId;
        EXPECT_TRUE(panel.Modified());
    }
    MacroPanel single({MakeMacro(u"Only", 4, {Press(kA, 0)})}, 4, u"Macro");
    EXPECT_TRUE(single.DeleteSelectedMacro(nullptr));
    EXPECT_FALSE(single.Selected());
    EXPECT_TRUE(single.Rows().empty());
    EXPECT_FALSE(single.DeleteSelectedMacro(nullptr));
}

TEST(MacroPanel, UndoRestoresTheStateBeforeEachKindOfChangeAndRedoReplaysIt)
{
    struct Case {
        const char* name;
        bool emptyList;
        std::function<void(MacroPanel&)> change;
    };
    const Case cases[] = {
        {"add", false, [](MacroPanel& p) { p.AddMacro(); }},
        {"rename", false, [](MacroPanel& p) { p.Rename(u"Other"); }},
        {"rename an empty list", true, [](MacroPanel& p) { p.Rename(u"Typed"); }},
        {"delete", false, [](MacroPanel& p) { p.DeleteSelectedMacro(nullptr); }},
        {"record", false,
            [](MacroPanel& p) {
                p.StartRecording(0);
                p.FeedKey(kC, false, false, 10);
                p.FeedKey(kPrintScreen, true, false, 20);
                p.FeedKey(kC, true, false, 30);
                p.StopRecording();
            }},
        {"mouse click", false, [](MacroPanel& p) { p.InsertMouseClick(1, 40); }},
        {"row key", false, [](MacroPanel& p) { p.SetRowKey(0, kC); }},
        {"row release", false, [](MacroPanel& p) { p.SetRowRelease(0, true); }},
        {"row delay", false, [](MacroPanel& p) { p.SetRowDelay(3, "555"); }},
        {"delete row", false, [](MacroPanel& p) { p.DeleteSelectedRow(); }},
        {"clear rows", false, [](MacroPanel& p) { p.ClearRows(); }},
        {"move row", false, [](MacroPanel& p) { p.MoveSelectedRow(RowMove::Bottom); }},
        {"cycles", false, [](MacroPanel& p) { p.SetCyclesText("42"); }},
    };
    for (const Case& c : cases) {
        MacroPanel panel(c.emptyList ? MacroList{} : ThreeMacros(), 5, u"Macro");
        if (!c.emptyList) {
            // A macro that is new, and rows that are not the selected macro's, are brought back too.
            panel.SelectMacro(0);
            panel.AddMacro();
            panel.SelectMacro(1);
            panel.SelectRow(1);
        }
        const std::size_t steps = c.emptyList ? 0 : 1;
        const State before = StateOf(panel);
        c.change(panel);
        const State after = StateOf(panel);
        ASSERT_NE(after, before) << c.name;
        EXPECT_EQ(panel.CanUndo(), true) << c.name;

        panel.ClearModified();
        ASSERT_TRUE(panel.Undo()) << c.name;
        EXPECT_EQ(StateOf(panel), before) << c.name;
        EXPECT_TRUE(panel.Modified()) << c.name;
        EXPECT_TRUE(panel.CanRedo()) << c.name;
        EXPECT_EQ(panel.CanUndo(), steps > 0) << c.name;

        panel.ClearModified();
        ASSERT_TRUE(panel.Redo()) << c.name;
        EXPECT_EQ(StateOf(panel), after) << c.name;
        EXPECT_TRUE(panel.Modified()) << c.name;
        EXPECT_FALSE(panel.CanRedo()) << c.name;
    }
}

TEST(MacroPanel, ConsecutiveRenamesAreOneStep)
{
    MacroPanel panel(ThreeMacros(), 5, u"Macro");
    for (const char16_t* typed : {u"S", u"Se", u"Sec", u"Seco"})
        panel.Rename(typed);
    EXPECT_EQ(panel.NameAt(1), u"Seco");
    ASSERT_TRUE(panel.Undo());
    EXPECT_EQ(panel.NameAt(1), u"Second");
    EXPECT_FALSE(panel.CanUndo());
    ASSERT_TRUE(panel.Redo());
    EXPECT_EQ(panel.NameAt(1), u"Seco");
}

TEST(MacroPanel, RunsOfTypingEndAtAnotherChangeOrMacro)
{
    struct Case {
        const char* name;
        std::function<void(MacroPanel&)> between;
    };
    const Case cases[] = {
        {"cycles", [](MacroPanel& p) { p.SetCyclesText("9"); }},
        {"row edit", [](MacroPanel& p) { p.SetRowDelay(0, "20"); }},
        {"recording", [](MacroPanel& p) { RecordStroke(p, kA, 1, 1); }},
        {"another macro",
            [](MacroPanel& p) {
                p.SelectMacro(0);
                p.SelectMacro(1);
            }},
    };
    for (const Case& c : cases) {
        MacroPanel panel(ThreeMacros(), 5, u"Macro");
        panel.Rename(u"X");
        c.between(panel);
        panel.Rename(u"XY");
        ASSERT_TRUE(panel.Undo());
        EXPECT_EQ(panel.NameAt(1), u"X") << c.name;
    }
}

TEST(MacroPanel, ConsecutiveCyclesChangesAreOneStep)
{
    MacroPanel panel(ThreeMacros(), 5, u"Macro");
    for (const char* typed : {"1", "12", "120", "1200"})
        panel.SetCyclesText(typed);
    EXPECT_EQ(panel.Cycles(), 255);
    ASSERT_TRUE(panel.Undo());
    EXPECT_EQ(panel.Cycles(), 3);
    EXPECT_FALSE(panel.CanUndo());
}

TEST(MacroPanel, ARecordingIsOneStepAndOnlyWhenItRecorded)
{
    MacroPanel panel(ThreeMacros(), 2, u"Macro");
    panel.StartRecording(0);
    panel.FeedKey(kMediaKey, false, false, 5);
    panel.StopRecording();
    EXPECT_FALSE(panel.CanUndo());

    RecordStroke(panel, kA, 10, 10);
    RecordStroke(panel, kB, 10, 10);
    EXPECT_EQ(panel.Rows().size(), 4u);
    ASSERT_TRUE(panel.Undo());
    EXPECT_EQ(panel.Rows().size(), 2u);
    ASSERT_TRUE(panel.Undo());
    EXPECT_TRUE(panel.Rows().empty());
    EXPECT_FALSE(panel.CanUndo());
}

TEST(MacroPanel, UndoStopsARunningRecording)
{
    MacroPanel panel(ThreeMacros(), 2, u"Macro");
    panel.StartRecording(0);
    panel.FeedKey(kA, false, false, 10);
    ASSERT_TRUE(panel.Undo());
    EXPECT_FALSE(panel.Recording());
    EXPECT_TRUE(panel.Rows().empty());
    EXPECT_EQ(panel.FeedKey(kA, true, false, 20), KeyFeed::PassThrough);
}

TEST(MacroPanel, ANewChangeDropsTheRedoHistory)
{
    MacroPanel panel(ThreeMacros(), 5, u"Macro");
    panel.SetRowDelay(0, "10");
    ASSERT_TRUE(panel.Undo());
    ASSERT_TRUE(panel.CanRedo());
    panel.SetRowDelay(0, "20");
    EXPECT_FALSE(panel.CanRedo());
    EXPECT_FALSE(panel.Redo());
}

TEST(MacroPanel, TheHistoryKeepsTheLatestSteps)
{
    MacroPanel panel(ThreeMacros(), 5, u"Macro");
    constexpr std::size_t kChanges = kUndoSteps + 50;
    std::vector<State> states;
    for (std::size_t n = 1; n <= kChanges; ++n) {
        states.push_back(StateOf(panel));
        panel.SetRowDelay(0, std::to_string(n * 10));
    }
    std::size_t undone = 0;
    while (panel.Undo())
        ++undone;
    EXPECT_EQ(undone, kUndoSteps);
    EXPECT_EQ(StateOf(panel), states[kChanges - kUndoSteps]);
    EXPECT_EQ(panel.Rows()[0].delay, (kChanges - kUndoSteps) * 10);
}

}  // namespace
}  // namespace tavrin::model
