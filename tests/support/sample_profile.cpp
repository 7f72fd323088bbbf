#include "support/sample_profile.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "model/key_table.h"
#include "profiles/profile_file.h"

namespace tavrin::testing {

model::MacroRecord SampleMacro(
    std::uint16_t id, std::u16string_view name, std::uint8_t cycles, std::initializer_list<model::MacroAction> actions)
{
    model::MacroRecord record = model::EmptyMacroRecord();
    record.id = id;
    record.cycles = cycles;
    model::SetMacroName(record, name);
    for (const model::MacroAction& action : actions)
        record.actions[record.actionCount++] = action;
    return record;
}

void FillSampleProfile(profiles::ProfileData& data)
{
    using model::KeyRecord;
    profiles::CreateDefaultProfileData(data);
    data.macros = {SampleMacro(1, u"Copy", 2, {{0, 0x01D, 0}, {30, 0x02E, 0}, {30, 0x02E, 1}, {0, 0x01D, 1}}),
        SampleMacro(
            2, u"Double click", 1, {{0, model::kMouseLeft, 0}, {50, model::kMouseLeft, 1}, {0, model::kMouseLeft, 0}})};
    auto set = [&](int profile, model::KeyCode key, KeyRecord record) {
        data.Record(profile, model::IndexFromCode(key)) = record;
    };
    set(0, 0x01E, {model::KIND_KEY, 0, 0x030, 0, 0});  // A types B
    set(0, 0x03B, {model::KIND_MACRO, 0, 1, 0, 0});    // F1 plays "Copy"
    set(1, 0x01F, {model::KIND_DISABLED, 0, 0, 0, 0});
    set(1, 0x010, {model::KIND_MEDIA, 0, 3, 0, 0});
    set(1, 0x03C, {model::KIND_MACRO, 0, 2, 0, 0});
    set(2, 0x020, {model::KIND_STOP_MACRO, 0, 0, 0, 0});
    set(2, 0x011, {model::KIND_FUNCTION, 0, 4, 0, 0});
    set(2, 0x012, {model::KIND_KEY, 0, model::kMouseRight, 0, 0});
}

void ExpectSameKeyboardContent(const profiles::ProfileData& expected, const profiles::ProfileData& actual)
{
    for (int block = 0; block < 3; ++block)
        for (std::size_t r = 0; r < model::kFirstGRecord; ++r)
            EXPECT_EQ(actual.Record(block, r), expected.Record(block, r)) << "block " << block << " record " << r;
    ASSERT_EQ(actual.macros.size(), expected.macros.size());
    for (std::size_t m = 0; m < expected.macros.size(); ++m) {
        const model::MacroRecord& want = expected.macros[m];
        const model::MacroRecord& got = actual.macros[m];
        EXPECT_EQ(model::MacroName(got), model::MacroName(want)) << "macro " << m;
        EXPECT_EQ(got.cycles, want.cycles) << "macro " << m;
        EXPECT_EQ(got.actionCount, want.actionCount) << "macro " << m;
        EXPECT_TRUE(std::equal(want.actions, want.actions + want.actionCount, got.actions)) << "macro " << m;
    }
}

}  // namespace tavrin::testing
