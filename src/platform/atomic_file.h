// Whole-file reads and writes that never leave a file half-written: a write goes to a temporary
// file beside the target, is flushed to disk and renamed over it. The file keeps its mode and owner,
// and a symbolic link keeps pointing at the file it names, which is the one written.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tavrin::platform {

// Who may read a file that does not exist yet: only its owner (mode 0600, for files that may hold
// what the user typed), or whoever the user's umask lets.
enum class NewFileAccess { Private, UserDefault };

// False, with the reason in `error`, when the file could not be replaced; the old file is then
// untouched and no temporary file is left behind. Creates the file's folder when it is missing.
// With `flushToDisk` off the rename still makes the write all-or-nothing for other processes and
// for a crash of this one, but not for a crash of the whole system. Only a regular file (or a
// link to one, or nothing) is replaced.
bool WriteFileAtomically(const std::string& path, std::string_view contents, std::string& error,
    bool flushToDisk = true, NewFileAccess access = NewFileAccess::UserDefault);

// The whole file, or nothing when it is missing, unreadable or larger than `limit` bytes. Pipes
// (standard input) are read to their end.
std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t limit);
// The same for files that must be regular files (settings, layouts): anything else — a folder, a
// FIFO that would block — gives nothing, at once.
std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t limit);

}  // namespace tavrin::platform
