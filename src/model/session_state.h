// The session's suspended flag. A console disconnect or a session lock suspends the program; only
// the matching reconnect or unlock (the last reason remembered) clears it again. Sleep does not
// touch the flag, but a resume, like leaving the suspended state, means the keyboard may have been
// changed or replaced meanwhile and is read again.
#pragma once

#include <functional>

namespace tavrin::model {

// The session-change statuses the program reacts to; any other value is accepted and ignored.
enum class SessionStatus : int {
    ConsoleConnect = 1,
    ConsoleDisconnect = 2,
    SessionLock = 7,
    SessionUnlock = 8,
};

// What one event asks of the program.
struct SessionEffect {
    bool suspendedChanged = false;  // Suspended() differs from before the event
    bool rereadKeyboard = false;    // the keyboard's state is to be read again now

    bool operator==(const SessionEffect&) const = default;
};

class SessionState {
public:
    using Hook = std::function<void()>;

    // `onSuspend` runs each time the suspended state is entered (not when it is entered again
    // while set).
    explicit SessionState(Hook onSuspend = {});

    SessionEffect SessionChanged(SessionStatus status);
    // The machine goes to sleep (true) or has come back from it (false).
    SessionEffect SleepChanged(bool sleeping);

    bool Suspended() const { return suspended_; }
    // The status that clears the flag: ConsoleConnect after a disconnect, SessionUnlock after a
    // lock (and before any event).
    SessionStatus ClearingStatus() const { return clearingStatus_; }

private:
    SessionEffect Suspend(SessionStatus clearedBy);
    SessionEffect Resume(SessionStatus status);

    Hook onSuspend_;
    bool suspended_ = false;
    SessionStatus clearingStatus_ = SessionStatus::SessionUnlock;
};

}  // namespace tavrin::model
