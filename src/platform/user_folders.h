// Per-user folders of the desktop: settings, documents and the runtime folder.
#pragma once

#include <string>

namespace tavrin::platform {

// Every function answers an empty path when the folder cannot be had safely; callers then refuse
// what needs it instead of falling back on a folder that other users share.

// $HOME, else the password database's home folder; empty when neither names one.
std::string HomeFolder();
// $XDG_CONFIG_HOME when absolute, else ~/.config.
std::string ConfigFolder();
// The XDG documents folder (user-dirs.dirs), else ~/Documents.
std::string DocumentsFolder();

// True when `path` is a folder only its owner can use: a directory itself (not a link to one),
// owned by `owner`, with no access for group or others.
bool IsPrivateFolder(const std::string& path, unsigned owner);
// `path` made a private folder of this user (created with mode 0700 when missing, then checked, as
// a folder someone else created first may be theirs or open to all); empty when it is not one.
std::string MakePrivateFolder(const std::string& path);
// $XDG_RUNTIME_DIR when it is private, else /tmp/tavrin-UID when that is or can be made private;
// empty when neither is.
std::string RuntimeFolder();
// /tmp/tavrin-UID, made private; empty when it cannot be.
std::string FallbackRuntimeFolder();

}  // namespace tavrin::platform
