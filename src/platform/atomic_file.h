// Whole-file reads and writes that never leave a file half-written: a write goes to a temporary
// file beside the target, is flushed to disk and renamed over it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tavrin::platform {

// False, with the reason in `error`, when the file could not be replaced; the old file is then
// untouched and no temporary file is left behind. Creates the file's folder when it is missing.
// With `flushToDisk` off the rename still makes the write all-or-nothing for other processes and
// for a crash of this one, but not for a crash of the whole system.
bool WriteFileAtomically(
    const std::string& path, std::string_view contents, std::string& error, bool flushToDisk = true);

// The whole file, or nothing when it is missing, unreadable or larger than `limit` bytes.
std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t limit);

}  // namespace tavrin::platform
