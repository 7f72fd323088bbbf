// The suspended flag over sequences of session events, and when the keyboard is read again.
#include "model/session_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrin::model {
namespace {

// One letter per event: L lock, U unlock, D console disconnect, C console connect, S sleep,
// W wake from sleep, digits are other statuses (remote connect 3, logon 5, remote control 9).
struct Sequence {
    const char* events;
    bool suspended;
    int hookRuns;
    int rereads;
    SessionStatus clearingStatus;
};

struct Outcome {
    bool suspended = false;
    int hookRuns = 0;
    int rereads = 0;
    SessionStatus clearingStatus = SessionStatus::SessionUnlock;
};

Outcome RunEvents(const std::string& events)
{
    Outcome outcome;
    SessionState state([&] { ++outcome.hookRuns; });
    for (const char event : events) {
        const bool before = state.Suspended();
        SessionEffect effect;
        switch (event) {
        case 'L':
            effect = state.SessionChanged(SessionStatus::SessionLock);
            break;
        case 'U':
            effect = state.SessionChanged(SessionStatus::SessionUnlock);
            break;
        case 'D':
            effect = state.SessionChanged(SessionStatus::ConsoleDisconnect);
            break;
        case 'C':
            effect = state.SessionChanged(SessionStatus::ConsoleConnect);
            break;
        case 'S':
            effect = state.SleepChanged(true);
            break;
        case 'W':
            effect = state.SleepChanged(false);
            break;
        default:
            effect = state.SessionChanged(static_cast<SessionStatus>(event - '0'));
            break;
        }
        EXPECT_EQ(effect.suspendedChanged, before != state.Suspended()) << "event " << event << " of " << events;
        outcome.rereads += effect.rereadKeyboard ? 1 : 0;
    }
    outcome.suspended = state.Suspended();
    outcome.clearingStatus = state.ClearingStatus();
    return outcome;
}

TEST(SessionState, SequencesOfEvents)
{
    constexpr auto kUnlock = SessionStatus::SessionUnlock;
    constexpr auto kConnect = SessionStatus::ConsoleConnect;
    const std::vector<Sequence> sequences = {
        {"", false, 0, 0, kUnlock},
        {"L", true, 1, 0, kUnlock},
        {"D", true, 1, 0, kConnect},
        {"LU", false, 1, 1, kUnlock},
        {"DC", false, 1, 1, kConnect},
        // Only the remembered reason's own end clears the flag.
        {"LC", true, 1, 0, kUnlock},
        {"DU", true, 1, 0, kConnect},
        // A second reason replaces the first without running the hook again.
        {"LL", true, 1, 0, kUnlock},
        {"LD", true, 1, 0, kConnect},
        {"LDU", true, 1, 0, kConnect},
        {"LDC", false, 1, 1, kConnect},
        {"DLC", true, 1, 0, kUnlock},
        {"DLU", false, 1, 1, kUnlock},
        // Ends without a beginning, and a second end, do nothing.
        {"U", false, 0, 0, kUnlock},
        {"C", false, 0, 0, kUnlock},
        {"LUU", false, 1, 1, kUnlock},
        {"LUC", false, 1, 1, kUnlock},
        {"LULU", false, 2, 2, kUnlock},
        // Other statuses change nothing, not even the remembered reason.
        {"359", false, 0, 0, kUnlock},
        {"L3U", false, 1, 1, kUnlock},
        {"D5C", false, 1, 1, kConnect},
        {"D9", true, 1, 0, kConnect},
        // Sleep leaves the flag alone; every resume reads the keyboard again.
        {"S", false, 0, 0, kUnlock},
        {"SW", false, 0, 1, kUnlock},
        {"W", false, 0, 1, kUnlock},
        {"LSW", true, 1, 1, kUnlock},
        {"LSWU", false, 1, 2, kUnlock},
    };
    for (const Sequence& sequence : sequences) {
        const Outcome outcome = RunEvents(sequence.events);
        EXPECT_EQ(outcome.suspended, sequence.suspended) << sequence.events;
        EXPECT_EQ(outcome.hookRuns, sequence.hookRuns) << sequence.events;
        EXPECT_EQ(outcome.rereads, sequence.rereads) << sequence.events;
        EXPECT_EQ(outcome.clearingStatus, sequence.clearingStatus) << sequence.events;
    }
}

TEST(SessionState, EachEventReportsItsOwnEffect)
{
    SessionState state;  // without a hook
    EXPECT_EQ(state.SessionChanged(SessionStatus::SessionLock), (SessionEffect{true, false}));
    EXPECT_EQ(state.SessionChanged(SessionStatus::SessionLock), SessionEffect{});
    EXPECT_EQ(state.SleepChanged(true), SessionEffect{});
    EXPECT_EQ(state.SleepChanged(false), (SessionEffect{false, true}));
    EXPECT_EQ(state.SessionChanged(SessionStatus::ConsoleConnect), SessionEffect{});
    EXPECT_EQ(state.SessionChanged(SessionStatus::SessionUnlock), (SessionEffect{true, true}));
    EXPECT_EQ(state.SessionChanged(SessionStatus::SessionUnlock), SessionEffect{});
    EXPECT_FALSE(state.Suspended());
}

}  // namespace
}  // namespace tavrin::model
