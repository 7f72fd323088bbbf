// Starting another program detached: it does not inherit our terminal or standard streams, runs
// in a session of its own and is never waited for.
#pragma once

#include <string>

namespace tavrin::platform {

// True when the program could be started (it may still fail afterwards; nobody asks).
bool LaunchDetached(const std::string& program);

}  // namespace tavrin::platform
