// The download of key maps and macros through the real library into a real emulator, checked
// against the emulator's memory.
#include <gtest/gtest.h>

#include "device/device_session.h"
#include "profiles/macro_download.h"
#include "profiles/profile_data.h"
#include "state_file.h"
#include "support/attached_link.h"
#include "support/sample_profile.h"

namespace tavrin::model {
namespace {

using profiles::kMacroNamesDropped;
using profiles::kMacroSpaceExceeded;
using profiles::MacroDownload;

void CopyInto(profiles::ProfileData& target, const profiles::ProfileData& source)
{
    target.records = source.records;
    target.macros = source.macros;
}

MacroRecord Macro(std::uint16_t id, std::u16string_view name, std::initializer_list<MacroAction> actions)
{
    return testing::SampleMacro(id, name, 3, actions);
}

class MacroDownloadEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string failure = attached_.Attach();
        ASSERT_TRUE(failure.empty()) << failure;
        activeProfile_ = std::make_unique<profiles::ActiveProfile>(attached_.Commands());
        download_ = std::make_unique<MacroDownload>(attached_.Commands(), *activeProfile_, defaults_);

        working_.macros = {Macro(1, u"Copy & paste", {{0, 0x01D, 0}, {20, 0x02E, 0}, {20, 0x02E, 1}, {0, 0x01D, 1}}),
            Macro(2, u"Click", {{0, kMouseLeft, 0}, {100, kMouseLeft, 1}})};
        working_.Record(0, IndexFromCode(0x01E)) = {KIND_KEY, 0, 0x138, 0, 0};
        working_.Record(1, IndexFromCode(0x030)) = {KIND_MACRO, 0, 2, 0, 0};
        working_.Record(2, IndexFromCode(0x02E)) = {KIND_MEDIA, 0, 7, 0, 0};
        CopyInto(applied_, working_);
        download_->SetCapacity(16384);
    }

    tolvex::emu::KeyboardMemory Memory()
    {
        std::string error;
        auto memory = tolvex::emu::DecodeState(emulator_.Control("dump"), error);
        EXPECT_TRUE(memory) << error;
        return memory.value_or(tolvex::emu::KeyboardMemory{});
    }

    KeyBlockBytes Expected(int profile)
    {
        return EncodeKeyBlock(KeyBlockRecords(&applied_.records[RecordNumber(profile, 0)], kRecordsPerBlock),
            working_.macros, BuiltInDefaultKeyBlock());
    }

    testing::AttachedLink attached_;
    testing::EmulatorProcess& emulator_ = attached_.Emulator();
    std::unique_ptr<profiles::ActiveProfile> activeProfile_;
    std::unique_ptr<MacroDownload> download_;
    DefaultKeyBlock defaults_;
    profiles::ProfileData working_;
    profiles::ProfileData applied_;
};

TEST_F(MacroDownloadEndToEnd, AllProfilesAndTheMacrosLandInTheKeyboard)
{
    const profiles::DownloadResult written = download_->DownloadKeysAndMacros(working_, applied_, true);
    ASSERT_TRUE(written.Succeeded());
    EXPECT_TRUE(written.messages.empty());
    const auto memory = Memory();
    const auto block = EncodeMacroBlock(applied_.macros, true, ComputeMacroBlockSizes(applied_.macros).withNames);
    ASSERT_GE(memory.macros.size(), block.size());
    EXPECT_TRUE(std::equal(block.begin(), block.end(), memory.macros.begin()));
    for (int profile = 0; profile < 3; ++profile)
        EXPECT_TRUE(
            std::equal(memory.keymaps[profile].begin(), memory.keymaps[profile].end(), Expected(profile).begin()))
            << "profile " << profile;
    EXPECT_EQ(EntryAt(Expected(1), 52), (KeyBlockEntry{0x05, 0x01, 0x01})) << "B plays the macro at position 1";

    const MacroList back = download_->ReadMacroBlock(u"Macro ").value_or(MacroList{});
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(MacroName(back[0]), u"Copy & paste");
    EXPECT_EQ(back[1].id, 2);
    EXPECT_EQ(back[1].actionCount, 2);
    EXPECT_EQ(back[1].actions[1].delay, 100u);
    EXPECT_EQ(back[0].cycles, 3);
}

TEST_F(MacroDownloadEndToEnd, OnlyTheActiveProfileIsWrittenWhenAsked)
{
    emulator_.Control("profile 1");
    ASSERT_TRUE(download_->DownloadKeysAndMacros(working_, applied_, false).Succeeded());
    const auto memory = Memory();
    EXPECT_TRUE(std::equal(memory.keymaps[1].begin(), memory.keymaps[1].end(), Expected(1).begin()));
    EXPECT_TRUE(std::equal(memory.keymaps[0].begin(), memory.keymaps[0].end(), BuiltInDefaultKeyBlock().begin()))
        << "profile 0 untouched";
}

TEST_F(MacroDownloadEndToEnd, TooLittleMemoryRefusesOrDropsTheNames)
{
    download_->SetCapacity(0);
    const profiles::DownloadResult refused = download_->DownloadKeysAndMacros(working_, applied_, true);
    EXPECT_FALSE(refused.Succeeded());
    ASSERT_EQ(refused.messages, std::vector<std::string>{kMacroSpaceExceeded});
    EXPECT_NE(emulator_.Control("status").find("requests answered: 0"), std::string::npos) << "nothing sent";

    const MacroBlockSizes sizes = ComputeMacroBlockSizes(applied_.macros);
    download_->SetCapacity(static_cast<std::uint32_t>(sizes.withNames - 1));
    const profiles::DownloadResult withoutNames = download_->DownloadKeysAndMacros(working_, applied_, true);
    EXPECT_TRUE(withoutNames.Succeeded());
    EXPECT_EQ(withoutNames.messages, std::vector<std::string>{kMacroNamesDropped});
    const MacroList back = download_->ReadMacroBlock(u"Macro ").value_or(MacroList{});
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(MacroName(back[0]), u"Macro 1");
}

TEST_F(MacroDownloadEndToEnd, AnEmptyKeyboardHoldsNoMacros)
{
    const std::optional<MacroList> none = download_->ReadMacroBlock(u"Macro");
    ASSERT_TRUE(none.has_value()) << "a keyboard without a block is read successfully";
    EXPECT_TRUE(none->empty());
    emulator_.Control("unplug");
    EXPECT_FALSE(download_->ReadMacroBlock(u"Macro").has_value()) << "a failed read is not an empty keyboard";
}

}  // namespace
}  // namespace tavrin::model
