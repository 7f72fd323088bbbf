// Reading the keyboard into profile files and restoring them, through the real library into a real
// emulator.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "model/key_table.h"
#include "profiles/profile_file.h"
#include "profiles/profile_transfer.h"
#include "support/attached_link.h"
#include "support/recorded_messages.h"
#include "support/sample_profile.h"
#include "support/temporary_folder.h"

namespace tavrin::profiles {
namespace {

using model::KeyRecord;

class ProfileTransferEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string failure = attached_.Attach();
        ASSERT_TRUE(failure.empty()) << failure;
        activeProfile_ = std::make_unique<ActiveProfile>(attached_.Commands());
        download_ = std::make_unique<profiles::MacroDownload>(attached_.Commands(), *activeProfile_, defaults_);
        download_->SetCapacity(16384);
        transfer_ = std::make_unique<ProfileTransfer>(
            attached_.Commands(), *activeProfile_, defaults_, *download_, messages_);
        CreateDefaultProfileData(*working_);
    }

    std::string SampleFile()
    {
        auto sample = std::make_unique<ProfileData>();
        testing::FillSampleProfile(*sample);
        const std::string path = folder_.File("sample.tvn");
        EXPECT_TRUE(SaveProfileFile(path, *sample));
        return path;
    }

    std::unique_ptr<ProfileData> ReadBack()
    {
        const std::string path = folder_.File("back.tvn");
        EXPECT_TRUE(transfer_->ReadKeyboardToFile(path, u"Macro ").Succeeded());
        EXPECT_EQ(ValidateProfileFile(path, messages_), kProfileFileAccepted);
        auto back = std::make_unique<ProfileData>();
        EXPECT_TRUE(LoadProfileFile(path, *back));
        return back;
    }

    testing::AttachedLink attached_;
    testing::TemporaryFolder folder_;
    testing::RecordedMessages messages_;
    model::DefaultKeyBlock defaults_;
    std::unique_ptr<ActiveProfile> activeProfile_;
    std::unique_ptr<profiles::MacroDownload> download_;
    std::unique_ptr<ProfileTransfer> transfer_;
    std::unique_ptr<ProfileData> working_ = std::make_unique<ProfileData>();
    std::unique_ptr<ProfileData> applied_ = std::make_unique<ProfileData>();
};

TEST_F(ProfileTransferEndToEnd, AFactoryKeyboardReadsAsAnEmptyFileWithGCodesInEveryProfile)
{
    const std::unique_ptr<ProfileData> back = ReadBack();
    EXPECT_TRUE(back->macros.empty());
    for (int block = 0; block < 4; ++block)
        for (std::size_t r = 0; r < model::kRecordsPerBlock; ++r) {
            const KeyRecord& record = back->Record(block, r);
            const bool gRecord = r >= model::kFirstGRecord && r < model::kFirstGRecord + 18;
            const std::uint16_t aux = gRecord && block < 3
                ? model::GCode(
                    static_cast<int>((r - model::kFirstGRecord) % 9), static_cast<int>((r - model::kFirstGRecord) / 9))
                : 0;
            EXPECT_EQ(record, (KeyRecord{0, aux, 0, 0, 0})) << "block " << block << " record " << r;
        }
}

TEST_F(ProfileTransferEndToEnd, ARestoredFileReadsBackWithTheSameAssignmentsAndMacros)
{
    const std::string workingFile = folder_.File("$Profile0");
    ASSERT_TRUE(CreateDefaultProfileFile(workingFile));
    ASSERT_EQ(transfer_->Restore(SampleFile(), *working_, *applied_, workingFile, "refused").outcome,
        RestoreOutcome::Applied);
    EXPECT_TRUE(messages_.shown.empty());
    EXPECT_EQ(working_->macros.size(), 2u);
    std::ifstream a(workingFile, std::ios::binary), b(folder_.File("sample.tvn"), std::ios::binary);
    EXPECT_TRUE(std::equal(std::istreambuf_iterator<char>(a), {}, std::istreambuf_iterator<char>(b), {}))
        << "the working file holds what was restored";

    auto expected = std::make_unique<ProfileData>();
    testing::FillSampleProfile(*expected);
    testing::ExpectSameKeyboardContent(*expected, *ReadBack());
}

TEST_F(ProfileTransferEndToEnd, ARefusedFileChangesNeitherTheWorkingCopyNorTheKeyboard)
{
    working_->macros = {testing::SampleMacro(7, u"mine", 0, {})};
    std::string bytes(40000, '\0');
    std::ofstream(folder_.File("bad.tvn"), std::ios::binary) << bytes;
    ASSERT_EQ(transfer_->Restore(folder_.File("bad.tvn"), *working_, *applied_, "", "refused").outcome,
        RestoreOutcome::Rejected);
    EXPECT_EQ(messages_.shown.size(), 2u);
    EXPECT_EQ(messages_.shown.back(), "refused") << "after the format message";

    // Header intact, body cut short: validation passes, loading does not.
    const std::string sample = SampleFile();
    std::filesystem::resize_file(sample, 40000);
    messages_.shown.clear();
    ASSERT_EQ(transfer_->Restore(sample, *working_, *applied_, "", "refused").outcome, RestoreOutcome::Rejected);
    EXPECT_EQ(messages_.shown, std::vector<std::string>{"refused"});
    EXPECT_EQ(model::MacroName(working_->macros.at(0)), u"mine");
    EXPECT_NE(attached_.Emulator().Control("status").find("requests answered: 0"), std::string::npos);
}

TEST_F(ProfileTransferEndToEnd, AnUnplugDuringARestoreFailsPromptlyAndKeepsTheWorkingFileWhole)
{
    const std::string workingFile = folder_.File("$Profile0");
    ASSERT_TRUE(CreateDefaultProfileFile(workingFile));
    attached_.Emulator().Control("fault unplug-after 4");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(transfer_->Restore(SampleFile(), *working_, *applied_, workingFile, "refused").outcome,
        RestoreOutcome::NotApplied);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(ValidateProfileFile(workingFile, messages_), kProfileFileAccepted);
    EXPECT_EQ(std::filesystem::file_size(workingFile), std::filesystem::file_size(folder_.File("sample.tvn")));

    EXPECT_FALSE(transfer_->ReadKeyboardToFile(folder_.File("none.tvn"), u"Macro ").Succeeded());
    EXPECT_FALSE(std::filesystem::exists(folder_.File("none.tvn"))) << "a failed read writes no file";
}

}  // namespace
}  // namespace tavrin::profiles
