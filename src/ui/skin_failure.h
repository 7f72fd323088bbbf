// What happens when a window's own pictures cannot be loaded: the program cannot show itself, so it
// says which picture on standard error and ends at once with exit code 0. Tests replace the ending
// to watch it happen.
#pragma once

#include <functional>
#include <string_view>

namespace tavrin::ui {

using SkinFailureHandler = std::function<void(std::string_view reason)>;

// Installs `handler` (none restores the default) and returns the one it replaces.
SkinFailureHandler SetSkinFailureHandler(SkinFailureHandler handler);

// Runs the handler; returns only when a replaced handler does, and the caller then carries on
// without its pictures.
void EndForMissingSkin(std::string_view reason);

}  // namespace tavrin::ui
