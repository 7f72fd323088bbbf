#include "model/session_state.h"

#include <utility>

namespace tavrin::model {

SessionState::SessionState(Hook onSuspend)
    : onSuspend_(std::move(onSuspend))
{
}

SessionEffect SessionState::SessionChanged(SessionStatus status)
{
    switch (status) {
    case SessionStatus::ConsoleDisconnect:
        return Suspend(SessionStatus::ConsoleConnect);
    case SessionStatus::SessionLock:
        return Suspend(SessionStatus::SessionUnlock);
    case SessionStatus::ConsoleConnect:
    case SessionStatus::SessionUnlock:
        return Resume(status);
    }
    return {};
}

SessionEffect SessionState::SleepChanged(bool sleeping)
{
    return {false, !sleeping};
}

SessionEffect SessionState::Suspend(SessionStatus clearedBy)
{
    // A second reason replaces the first even while suspended: only its own end clears the flag.
    clearingStatus_ = clearedBy;
    if (suspended_)
        return {};
    suspended_ = true;
    if (onSuspend_)
        onSuspend_();
    return {true, false};
}

SessionEffect SessionState::Resume(SessionStatus status)
{
    if (!suspended_ || status != clearingStatus_)
        return {};
    suspended_ = false;
    return {true, true};
}

}  // namespace tavrin::model
