// Committing the key editor's macro list into the working copy: keys whose macro is gone go back
// to their default function, macro keys without a macro get the first, and the list is replaced.
#include "profiles/macro_commit.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "model/macro_panel.h"

namespace tavrin::profiles {
namespace {

using model::KeyRecord;
using model::MacroList;
using model::MacroRecord;

MacroRecord MakeMacro(std::uint16_t id, std::uint16_t isNew = 0)
{
    MacroRecord record = model::EmptyMacroRecord();
    record.id = id;
    record.cycles = 1;
    record.isNew = isNew;
    return record;
}

std::vector<std::uint16_t> IdsOf(const MacroList& list)
{
    std::vector<std::uint16_t> ids;
    for (const MacroRecord& macro : list)
        ids.push_back(macro.id);
    return ids;
}

TEST(MacroCommit, EachMacroKeyKeepsItsMacroOrIsReset)
{
    struct Case {
        const char* name;
        KeyRecord before;
        bool emptyList;
        KeyRecord after;
        bool reset;
        bool applyNeeded;
    };
    const MacroList list = {MakeMacro(4), MakeMacro(2), MakeMacro(3, 1)};
    const Case cases[] = {
        {"kept", {model::KIND_MACRO, 5, 2, 1, 0}, false, {model::KIND_MACRO, 5, 2, 1, 0}, false, false},
        {"gone", {model::KIND_MACRO, 5, 7, 1, 0}, false, {model::KIND_DEFAULT, 5, 7, 1, 0}, true, true},
        {"taken over", {model::KIND_MACRO, 0, 3, 0, 0}, false, {model::KIND_DEFAULT, 0, 3, 0, 0}, true, true},
        {"none gets the first", {model::KIND_MACRO, 0, 0, 0, 0}, false, {model::KIND_MACRO, 0, 4, 0, 0}, false, true},
        {"none and no macros", {model::KIND_MACRO, 0, 0, 0, 0}, true, {model::KIND_MACRO, 0, 0, 0, 0}, false, false},
        {"any macro gone", {model::KIND_MACRO, 0, 2, 0, 0}, true, {model::KIND_DEFAULT, 0, 2, 0, 0}, true, true},
        {"another kind", {model::KIND_KEY, 0, 7, 0, 0}, false, {model::KIND_KEY, 0, 7, 0, 0}, false, false},
    };
    for (const std::size_t number : {std::size_t{0}, std::size_t{777}, model::kRecordCount - 1}) {
        for (const Case& c : cases) {
            const auto working = std::make_unique<ProfileData>();
            working->records[number] = c.before;
            const MacroCommit commit = CommitMacroList(*working, c.emptyList ? MacroList{} : list);
            EXPECT_EQ(working->records[number], c.after) << c.name << " " << number;
            EXPECT_EQ(commit.resetRecords, c.reset ? std::vector{number} : std::vector<std::size_t>{})
                << c.name << " " << number;
            EXPECT_EQ(commit.applyNeeded, c.applyNeeded) << c.name << " " << number;
        }
    }
}

TEST(MacroCommit, ReplacesTheListInOrderWithIsNewCleared)
{
    const auto working = std::make_unique<ProfileData>();
    working->macros = {MakeMacro(1), MakeMacro(9)};
    MacroList list = {MakeMacro(5, 1), MakeMacro(2), MakeMacro(3, 1)};
    model::SetMacroName(list[0], u"Five");
    CommitMacroList(*working, list);
    EXPECT_EQ(IdsOf(working->macros), (std::vector<std::uint16_t>{5, 2, 3}));
    for (const MacroRecord& macro : working->macros)
        EXPECT_EQ(macro.isNew, 0);
    EXPECT_EQ(model::MacroName(working->macros[0]), u"Five");

    CommitMacroList(*working, {});
    EXPECT_TRUE(working->macros.empty());
}

TEST(MacroCommit, KeysOfADeletedMacroWhoseIdANewOneTookAreReset)
{
    const auto working = std::make_unique<ProfileData>();
    working->macros = {MakeMacro(1), MakeMacro(2), MakeMacro(3)};
    working->records[10] = {model::KIND_MACRO, 0, 3, 0, 0};
    working->records[600] = {model::KIND_MACRO, 0, 2, 0, 0};

    model::MacroPanel panel(working->macros, 3, u"Macro");
    std::vector<std::uint16_t> asked;
    ASSERT_TRUE(panel.DeleteSelectedMacro([&asked](std::uint16_t id) {
        asked.push_back(id);
        return true;
    }));
    EXPECT_EQ(asked, std::vector<std::uint16_t>{3});
    ASSERT_TRUE(panel.AddMacro());
    ASSERT_EQ(panel.SelectedId(), 3);

    const MacroCommit commit = CommitMacroList(*working, panel.Macros());
    EXPECT_EQ(commit.resetRecords, std::vector<std::size_t>{10});
    EXPECT_TRUE(commit.applyNeeded);
    EXPECT_EQ(working->records[10].kind, model::KIND_DEFAULT);
    EXPECT_EQ(working->records[600].kind, model::KIND_MACRO);
    EXPECT_EQ(IdsOf(working->macros), (std::vector<std::uint16_t>{1, 2, 3}));
    EXPECT_EQ(working->macros[2].isNew, 0);

    // Committed once, the new macro is an ordinary one that keys may play.
    working->records[10] = {model::KIND_MACRO, 0, 3, 0, 0};
    EXPECT_TRUE(CommitMacroList(*working, working->macros).resetRecords.empty());
}

}  // namespace
}  // namespace tavrin::profiles
