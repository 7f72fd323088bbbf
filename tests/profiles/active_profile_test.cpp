#include "profiles/active_profile.h"

#include <gtest/gtest.h>

#include "../device/fake_keyboard.h"
#include "device/result_codes.h"

namespace tavrin::profiles {
namespace {

using namespace tavrin::device;
using testing::Answer;

class ActiveProfileTest : public ::testing::Test {
protected:
    ActiveProfileTest()
    {
        keyboard_.Attach(link_);
        active_.SetWorkingModeObserver([this](bool shown) { shownStates_.push_back(shown); });
    }

    testing::EventLog log_;
    testing::RecordingTimer timer_{log_};
    testing::FakeKeyboard keyboard_{log_};
    DeviceLink link_{keyboard_, timer_};
    DeviceCommands commands_{link_};
    ActiveProfile active_{commands_};
    std::vector<bool> shownStates_;
};

TEST(ActiveProfileReads, ReportsTheProfileAndWhetherTheWorkingModeLabelShows)
{
    for (std::uint8_t profile : {0, 1, 2, 3, 7}) {
        SCOPED_TRACE(int{profile});
        testing::EventLog log;
        testing::RecordingTimer timer(log);
        auto memory = tolvex::emu::FactoryMemory();
        memory.settings[kActiveProfileAddress] = profile;
        testing::FakeKeyboard keyboard(log, memory);
        DeviceLink link(keyboard, timer);
        keyboard.Attach(link);
        DeviceCommands commands(link);
        ActiveProfile active(commands);
        std::vector<bool> shown;
        active.SetWorkingModeObserver([&](bool state) { shown.push_back(state); });

        EXPECT_EQ(active.ReadActiveProfile(), profile);
        EXPECT_EQ(active.Value(), profile);
        EXPECT_EQ(shown, std::vector<bool>{profile >= 3});
        const auto mirror = active.Mirror();
        EXPECT_TRUE(std::equal(mirror.begin(), mirror.end(), keyboard.Memory().settings.begin()));
    }
}

TEST_F(ActiveProfileTest, ReadSendsIdentityThenThreeRecordsThenEnd)
{
    active_.ReadActiveProfile();
    std::vector<std::pair<int, int>> sent;
    for (const auto& frame : keyboard_.Writes())
        sent.emplace_back(frame[3], frame[5] | frame[6] << 8);
    EXPECT_EQ(sent, (std::vector<std::pair<int, int>>{{3, 0}, {5, 0}, {5, 35}, {5, 70}, {2, 0}}));
}

TEST_F(ActiveProfileTest, WriteOfProfileOneSendsTheExactSequence)
{
    active_.WriteActiveProfile(1);
    const auto writes = keyboard_.Writes();
    ASSERT_EQ(writes.size(), 5u);
    const int expected[][3] = {{5, 56, 0}, {5, 56, 35}, {5, 56, 70}, {2, 0, 0}, {6, 1, 2}};
    for (std::size_t i = 0; i < writes.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(writes[i][3], expected[i][0]);
        EXPECT_EQ(writes[i][4], expected[i][1]);
        EXPECT_EQ(writes[i][5] | writes[i][6] << 8, expected[i][2]);
    }
    EXPECT_EQ(writes[4][8], 1);
    EXPECT_EQ(active_.Value(), 1);
    EXPECT_EQ(keyboard_.Memory().settings[kActiveProfileAddress], 1);
    EXPECT_TRUE(shownStates_.empty()) << "a write does not touch the label";
}

TEST_F(ActiveProfileTest, NegativeWriteDoesNothing)
{
    active_.WriteActiveProfile(2);
    const auto before = keyboard_.Writes().size();
    active_.WriteActiveProfile(-1);
    EXPECT_EQ(keyboard_.Writes().size(), before);
    EXPECT_EQ(active_.Value(), 2);
}

TEST_F(ActiveProfileTest, AnAbsentKeyboardLeavesEverythingAsItWas)
{
    ASSERT_EQ(active_.ReadActiveProfile(), 0);
    keyboard_.deviceCount = 0;
    EXPECT_EQ(active_.ReadActiveProfile(), kUnknownProfile);
    EXPECT_EQ(active_.Value(), 0) << "a failed read is not stored";
    EXPECT_EQ(shownStates_, std::vector<bool>{false}) << "the label keeps its last state";

    keyboard_.deviceCount = 1;
    keyboard_.refuseWrites = true;
    EXPECT_EQ(active_.WriteActiveProfile(2), kDeviceRefused);
    EXPECT_EQ(active_.Value(), 0) << "a profile the keyboard did not take is not stored";
}

TEST_F(ActiveProfileTest, AFailureAnywhereInTheReadIsAFailedRead)
{
    ASSERT_EQ(active_.ReadActiveProfile(), 0);
    // The keyboard now runs the third profile: a read that fails part-way must report neither that
    // nor the zero bytes of a record it never got.
    const std::uint8_t two = 2;
    ASSERT_EQ(commands_.WriteSettings(std::span(&two, 1), kActiveProfileAddress), kDeviceOk);
    const SettingsMirror before = active_.Mirror();
    const struct {
        const char* step;
        int goodRequestsFirst;
    } cases[] = {{"identity", 0}, {"record at 0", 1}, {"record at 35", 2}, {"record at 70", 3}, {"end", 4}};
    for (const auto& item : cases) {
        SCOPED_TRACE(item.step);
        for (int i = 0; i < item.goodRequestsFirst; ++i)
            keyboard_.Script({Answer::Normal});
        keyboard_.Script({Answer::StatusFF, Answer::StatusFF, Answer::StatusFF});
        EXPECT_EQ(active_.ReadActiveProfile(), kUnknownProfile);
        EXPECT_EQ(active_.Value(), 0);
        EXPECT_EQ(active_.Mirror(), before);
        EXPECT_EQ(shownStates_, std::vector<bool>{false});
    }
    EXPECT_EQ(active_.ReadActiveProfile(), 2) << "and a whole read afterwards gets the truth";
}

TEST_F(ActiveProfileTest, AWriteReportsWhetherTheKeyboardTookIt)
{
    keyboard_.Script({Answer::Normal, Answer::Normal, Answer::Normal, Answer::Normal, Answer::StatusFE,
        Answer::StatusFE, Answer::StatusFE});
    EXPECT_EQ(active_.WriteActiveProfile(1), kDeviceStatusRange);
    EXPECT_EQ(active_.Value(), kUnknownProfile);
    EXPECT_EQ(active_.WriteActiveProfile(1), kDeviceOk);
    EXPECT_EQ(active_.Value(), 1);
    EXPECT_EQ(active_.WriteActiveProfile(-1), kDeviceBadBank);
}

}  // namespace
}  // namespace tavrin::profiles
