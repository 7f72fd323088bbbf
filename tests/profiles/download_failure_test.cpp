// A download succeeds or fails as a whole: the first failing write ends the writes, the end command
// still goes out, and the result names the step. Against the fake keyboard, no waiting.
#include <gtest/gtest.h>

#include "../device/fake_keyboard.h"
#include "device/result_codes.h"
#include "profiles/active_profile.h"
#include "profiles/macro_download.h"
#include "profiles/profile_data.h"
#include "support/recorded_messages.h"
#include "support/sample_profile.h"
#include "support/temporary_folder.h"

#include <csignal>
#include <future>
#include <sys/resource.h>

#include "profiles/profile_file.h"
#include "profiles/profile_transfer.h"

namespace tavrin::model {
namespace {

using device::CMD_BEGIN;
using device::CMD_END;
using device::CMD_READ_SETTINGS;
using device::CMD_WRITE_KEYMAP;
using device::CMD_WRITE_MACROS;
using device::KeyboardBracket;
using profiles::DescribeDownload;
using profiles::DownloadResult;
using profiles::DownloadStep;
using profiles::FailedDownload;
using profiles::MacroDownload;
using testing::Answer;

class DownloadFailureTest : public ::testing::Test {
protected:
    DownloadFailureTest()
    {
        keyboard_.Attach(link_);
        testing::FillSampleProfile(*working_);
        applied_->records = working_->records;
        applied_->macros = working_->macros;
        download_.SetCapacity(16384);
    }

    // Every request before the `good`-th is answered; that one is refused three times.
    DownloadResult DownloadFailingAt(std::size_t good, bool allProfiles)
    {
        for (std::size_t i = 0; i < good; ++i)
            keyboard_.Script({Answer::Normal});
        keyboard_.Script({Answer::StatusFF, Answer::StatusFF, Answer::StatusFF});
        return download_.DownloadKeysAndMacros(*working_, *applied_, allProfiles);
    }

    std::vector<std::uint8_t> Commands() const { return keyboard_.CommandsWritten(); }

    testing::EventLog log_;
    testing::RecordingTimer timer_{log_};
    testing::FakeKeyboard keyboard_{log_};
    device::DeviceLink link_{keyboard_, timer_};
    device::DeviceCommands commands_{link_};
    profiles::ActiveProfile active_{commands_};
    DefaultKeyBlock defaults_;
    testing::RecordedMessages messages_;
    MacroDownload download_{commands_, active_, defaults_};
    std::unique_ptr<profiles::ProfileData> working_ = std::make_unique<profiles::ProfileData>();
    std::unique_ptr<profiles::ProfileData> applied_ = std::make_unique<profiles::ProfileData>();
};

TEST_F(DownloadFailureTest, TheFirstFailedWriteFailsTheDownloadAndTheBracketIsStillClosed)
{
    ASSERT_TRUE(download_.DownloadKeysAndMacros(*working_, *applied_, true).Succeeded());
    const std::vector<std::uint8_t> clean = Commands();
    const std::size_t macroChunks = static_cast<std::size_t>(std::count(clean.begin(), clean.end(), CMD_WRITE_MACROS));
    ASSERT_GE(macroChunks, 2u);
    constexpr std::size_t kBankChunks = 7;

    const struct {
        const char* name;
        std::size_t failingRequest;
        DownloadStep step;
        int profile;
    } cases[] = {
        {"begin", 0, DownloadStep::Begin, -1},
        {"first macro chunk", 1, DownloadStep::MacroArea, -1},
        {"last macro chunk", macroChunks, DownloadStep::MacroArea, -1},
        {"key map of profile 1", 1 + macroChunks + 3, DownloadStep::KeyMap, 0},
        {"key map of profile 3", 1 + macroChunks + 2 * kBankChunks + 6, DownloadStep::KeyMap, 2},
        {"end", clean.size() - 1, DownloadStep::End, -1},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        const std::size_t before = keyboard_.Writes().size();
        const DownloadResult result = DownloadFailingAt(item.failingRequest, true);
        EXPECT_FALSE(result.Succeeded());
        EXPECT_EQ(result.failedStep, item.step);
        EXPECT_EQ(result.device, device::kDeviceStatusError);
        EXPECT_EQ(result.profile, item.profile);
        EXPECT_EQ(result.keyboardChanged, item.step != DownloadStep::Begin);
        const std::vector<std::uint8_t> all = Commands();
        const std::vector<std::uint8_t> sent(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
        // The clean sequence up to the failing request, its two retries, then only the end command.
        std::vector<std::uint8_t> expected(
            clean.begin(), clean.begin() + static_cast<std::ptrdiff_t>(item.failingRequest) + 1);
        expected.insert(expected.end(), 2, clean[item.failingRequest]);
        if (item.step != DownloadStep::End)
            expected.push_back(CMD_END);
        EXPECT_EQ(sent, expected);
    }
}

TEST_F(DownloadFailureTest, ASingleProfileNeedsAUserProfileReadInsideTheBracket)
{
    // The first read (identity, three records, end) answers; inside the bracket, after the begin
    // command and the macro chunks, it fails.
    const std::size_t activeRead = 5;
    const std::size_t macroChunks = (ComputeMacroBlockSizes(applied_->macros).withNames + 55) / 56;
    const DownloadResult inBracket = DownloadFailingAt(activeRead + 1 + macroChunks, false);
    EXPECT_EQ(inBracket.failedStep, DownloadStep::ActiveProfile);
    EXPECT_TRUE(inBracket.keyboardChanged);
    const std::vector<std::uint8_t> sent = Commands();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), CMD_WRITE_KEYMAP), 0) << "no key map without a known profile";
    EXPECT_EQ(sent.back(), CMD_END);

    // In the default mode nothing is sent at all.
    const std::uint8_t defaultMode = profiles::kDefaultModeProfile;
    ASSERT_EQ(commands_.WriteSettings(std::span(&defaultMode, 1), device::kActiveProfileAddress), device::kDeviceOk);
    const std::size_t before = keyboard_.Writes().size();
    const DownloadResult refused = download_.DownloadKeysAndMacros(*working_, *applied_, false);
    EXPECT_EQ(refused.failedStep, DownloadStep::DefaultMode);
    EXPECT_FALSE(refused.keyboardChanged);
    const std::vector<std::uint8_t> all = Commands();
    const std::vector<std::uint8_t> after(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    EXPECT_EQ(std::count(after.begin(), after.end(), CMD_BEGIN), 0);
    EXPECT_EQ(std::count(after.begin(), after.end(), CMD_READ_SETTINGS), 3) << "only the active profile was read";
}

TEST_F(DownloadFailureTest, TheDescriptionNamesTheStepAndTheKeyboardsAnswer)
{
    EXPECT_EQ(DescribeDownload(FailedDownload(DownloadStep::KeyMap, device::kDeviceNoReply, 1)),
        "writing the key map of profile 2 failed: the keyboard did not answer");
    EXPECT_EQ(DescribeDownload(FailedDownload(DownloadStep::MacroArea, device::kDeviceStatusError)),
        "writing the macros failed: the keyboard reported an error");
}

// Makes every file write in this process fail past a few bytes, as a full disk would (root passes
// any permission check, so a read-only folder would not do).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST_F(DownloadFailureTest, ApplyStaysWantedWhenTheWorkingFileIsNotSaved)
{
    testing::TemporaryFolder folder;
    const std::string workingFile = folder.File("$Profile0");
    ASSERT_TRUE(profiles::CreateDefaultProfileFile(workingFile));
    profiles::ProfileTransfer transfer(commands_, active_, defaults_, download_, messages_);

    profiles::ApplyResult failed;
    {
        const FileSizeLimit full(4096);
        failed = transfer.Apply(*working_, *applied_, workingFile);
    }
    EXPECT_EQ(failed.workingFile, profiles::WorkingFileSave::Failed);
    EXPECT_TRUE(failed.download.Succeeded()) << "the keyboard is written all the same";
    EXPECT_FALSE(failed.Succeeded()) << "so Apply stays enabled";
    EXPECT_EQ(profiles::DescribeApply(failed),
        "The keyboard holds the changes, but the working file could not be saved and keeps its previous contents.");
    EXPECT_EQ(std::filesystem::file_size(workingFile), profiles::kKeyAreaSize) << "the old file is whole";
    EXPECT_EQ(folder.Count(), 1u) << "no temporary file is left";

    const profiles::ApplyResult missing = transfer.Apply(*working_, *applied_, folder.File("none"));
    EXPECT_EQ(missing.workingFile, profiles::WorkingFileSave::Missing);
    EXPECT_FALSE(missing.Succeeded());

    keyboard_.deviceCount = 0;
    const profiles::ApplyResult absent = transfer.Apply(*working_, *applied_, workingFile);
    EXPECT_EQ(absent.workingFile, profiles::WorkingFileSave::Saved);
    EXPECT_EQ(absent.download.failedStep, DownloadStep::ActiveProfile);
    EXPECT_EQ(profiles::DescribeApply(absent),
        "Writing to the keyboard failed (reading the active profile failed); the keyboard is unchanged, and the "
        "working file holds the changes.");
}

// A message box is modal: while it is up, the window's thread goes on (a G-key bank press, a second
// start) and draws the working copy. Nothing may be held while the person reads it.
class ModalMessages final : public model::UserMessages {
public:
    explicit ModalMessages(std::function<void()> meanwhile)
        : meanwhile_(std::move(meanwhile))
    {
    }
    void ShowMessage(const std::string& text) override
    {
        shown.push_back(text);
        drawn_ = std::async(std::launch::async, meanwhile_);
        drawnWhileShown.push_back(drawn_.wait_for(std::chrono::seconds(2)) == std::future_status::ready);
    }
    std::vector<std::string> shown;
    std::vector<bool> drawnWhileShown;

private:
    std::function<void()> meanwhile_;
    std::future<void> drawn_;  // outlives the box: a thread still blocked finishes after it
};

TEST_F(DownloadFailureTest, TheDownloadsMessagesAreLeftForTheCallerAndNothingIsHeldMeanwhile)
{
    ModalMessages modal([this] {
        std::lock_guard working(working_->lock);
        std::lock_guard applied(applied_->lock);
        KeyboardBracket keyboard(link_.Owner(), std::chrono::milliseconds(0));
        EXPECT_TRUE(keyboard.Held()) << "nor the keyboard";
    });
    profiles::ProfileTransfer transfer(commands_, active_, defaults_, download_, modal);
    download_.SetCapacity(0);  // the macros do not fit: the transfer has something to tell
    const profiles::ApplyResult result = transfer.Apply(*working_, *applied_, "");
    EXPECT_EQ(result.download.failedStep, DownloadStep::MacroSpace);
    EXPECT_TRUE(modal.shown.empty()) << "not shown from the thread that did the keyboard's work";
    ASSERT_EQ(result.download.messages, std::vector<std::string>{profiles::kMacroSpaceExceeded});

    auto loaded = std::make_unique<profiles::ProfileData>();
    testing::FillSampleProfile(*loaded);
    download_.SetCapacity(static_cast<std::uint32_t>(ComputeMacroBlockSizes(loaded->macros).withNames - 1));
    const profiles::RestoreResult restored = transfer.RestoreData(*loaded, *working_, *applied_, "");
    EXPECT_EQ(restored.outcome, profiles::RestoreOutcome::Applied);
    ASSERT_EQ(restored.download.messages, std::vector<std::string>{profiles::kMacroNamesDropped});

    // Shown as the window shows them, the window's thread goes on meanwhile.
    for (const std::string& message : result.download.messages)
        modal.ShowMessage(message);
    EXPECT_EQ(modal.drawnWhileShown, std::vector<bool>{true});
}

}  // namespace
}  // namespace tavrin::model
