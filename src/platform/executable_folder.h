// The folder of the running executable: the program finds its library and data files beside it.
#pragma once

#include <string>

namespace tavrin::platform {

// Empty when the system cannot tell.
std::string ExecutableFolder();

}  // namespace tavrin::platform
