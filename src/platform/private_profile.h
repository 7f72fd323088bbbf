// INI files with the semantics programs of this kind expect of "private profile" strings: sections
// and keys compare without regard to case, a missing file, section or key gives the caller's
// default, values are trimmed (and lose one pair of enclosing quotes) and cut to the caller's
// buffer, and a write creates the file and section on demand and keeps every other line as it was.
// Text is UTF-8. Nothing in a file can make a read fail: stray bytes, missing brackets, very long
// lines and a missing last newline all parse.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tavrin::platform {

// A caller's buffer of 260 UTF-16 units holds 259 of them and a terminator.
inline constexpr std::size_t kProfileBufferUnits = 260;
// Larger files are not read (and not rewritten).
inline constexpr std::size_t kProfileFileLimit = 16 * 1024 * 1024;

std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view fallback,
    const std::string& path, std::size_t bufferUnits = kProfileBufferUnits);

// The entry read as a decimal number (leading digits, optional sign); `fallback` when missing or
// not a number.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int fallback, const std::string& path);

// Writes `key`=`value` into `section`. No value deletes the key; no key deletes the whole section.
// Line breaks in a value are written as spaces, so that a value cannot add lines of its own.
// False when the file could not be written; it then keeps its old contents.
bool WritePrivateProfileString(std::string_view section, std::optional<std::string_view> key,
    std::optional<std::string_view> value, const std::string& path);

// The same operations on text in memory.
std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section, std::string_view key);
std::string SetProfileValue(std::string_view text, std::string_view section, std::optional<std::string_view> key,
    std::optional<std::string_view> value);

// The longest prefix of `text` that fits in `units` UTF-16 units, without splitting a character.
std::string CutToUtf16Units(std::string_view text, std::size_t units);

}  // namespace tavrin::platform
