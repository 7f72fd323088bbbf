// Per-user folders of the desktop: settings, documents and the runtime folder.
#pragma once

#include <string>

namespace tavrin::platform {

// $HOME, else the password database's home folder.
std::string HomeFolder();
// $XDG_CONFIG_HOME, else ~/.config.
std::string ConfigFolder();
// The XDG documents folder (user-dirs.dirs), else ~/Documents.
std::string DocumentsFolder();
// $XDG_RUNTIME_DIR, else a private folder under /tmp made for this user.
std::string RuntimeFolder();

}  // namespace tavrin::platform
