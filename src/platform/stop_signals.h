// SIGTERM and SIGINT as a file descriptor that becomes readable: a program's loop watches it and
// ends through its own shutdown instead of being cut off inside whatever it was doing.
#pragma once

namespace tavrin::platform {

// Installs the handlers (once per process) and returns the descriptor to watch; -1 when no pipe
// could be made, in which case the signals keep their default action.
int WatchStopSignals();
// Empties the descriptor once it has become readable.
void DrainStopSignals();

}  // namespace tavrin::platform
