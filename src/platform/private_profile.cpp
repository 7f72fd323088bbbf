#include "platform/private_profile.h"

#include <charconv>
#include <filesystem>
#include <mutex>
#include <vector>

#include "platform/atomic_file.h"

namespace tavrin::platform {
namespace {

// Read-modify-write of one file must not interleave with another thread's.
std::mutex writeMutex;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view left, std::string_view right)
{
    if (left.size() != right.size())
        return false;
    for (std::size_t i = 0; i < left.size(); ++i) {
        char a = left[i], b = right[i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<char>(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}

struct Line {
    std::string_view text;  // without its line break
    std::size_t begin;      // offset in the file
    std::size_t end;        // offset past its line break
};

std::vector<Line> SplitLines(std::string_view text)
{
    std::vector<Line> lines;
    std::size_t start = 0;
    // A byte-order mark is not part of the first line.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        start = 3;
    while (start < text.size()) {
        const std::size_t newline = text.find('\n', start);
        const std::size_t stop = newline == std::string_view::npos ? text.size() : newline;
        lines.push_back({text.substr(start, stop - start), start, newline == std::string_view::npos ? stop : stop + 1});
        start = stop + 1;
    }
    return lines;
}

std::optional<std::string_view> SectionName(std::string_view line)
{
    line = Trim(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    line.remove_prefix(1);
    const std::size_t close = line.find(']');
    return Trim(close == std::string_view::npos ? line : line.substr(0, close));
}

struct Entry {
    std::string_view key;
    std::string_view value;
};

std::optional<Entry> KeyLine(std::string_view line)
{
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[')
        return std::nullopt;
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return Entry{Trim(trimmed.substr(0, equals)), Trim(trimmed.substr(equals + 1))};
}

std::string_view Unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Where a section's lines are in the file.
struct SectionSpan {
    std::size_t header;     // line index of the header
    std::size_t lastEntry;  // line index of its last non-blank line (the header when none)
    std::size_t next;       // line index of the next header, or the line count
};

std::optional<SectionSpan> FindSection(const std::vector<Line>& lines, std::string_view section)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(lines[i].text);
        if (!name || !SameName(*name, section))
            continue;
        SectionSpan span{i, i, lines.size()};
        for (std::size_t j = i + 1; j < lines.size(); ++j) {
            if (SectionName(lines[j].text)) {
                span.next = j;
                break;
            }
            if (!Trim(lines[j].text).empty())
                span.lastEntry = j;
        }
        return span;
    }
    return std::nullopt;
}

std::string Sanitised(std::string_view value)
{
    std::string text(value);
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

}  // namespace

std::string CutToUtf16Units(std::string_view text, std::size_t units)
{
    std::size_t used = 0, position = 0;
    while (position < text.size()) {
        const auto lead = static_cast<unsigned char>(text[position]);
        // A stray byte counts as one unit of its own.
        std::size_t length = 1;
        if (lead >= 0xC0 && lead < 0xE0)
            length = 2;
        else if (lead >= 0xE0 && lead < 0xF0)
            length = 3;
        else if (lead >= 0xF0 && lead < 0xF8)
            length = 4;
        if (position + length > text.size())
            length = 1;
        const std::size_t cost = length == 4 ? 2 : 1;  // beyond the basic plane: a surrogate pair
        if (used + cost > units)
            break;
        used += cost;
        position += length;
    }
    return std::string(text.substr(0, position));
}

std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section, std::string_view key)
{
    const std::vector<Line> lines = SplitLines(text);
    const auto span = FindSection(lines, section);
    if (!span)
        return std::nullopt;
    for (std::size_t i = span->header + 1; i < span->next; ++i)
        if (const auto entry = KeyLine(lines[i].text); entry && SameName(entry->key, key))
            return std::string(Unquote(entry->value));
    return std::nullopt;
}

std::string SetProfileValue(std::string_view text, std::string_view section, std::optional<std::string_view> key,
    std::optional<std::string_view> value)
{
    const std::string_view newline = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    const std::vector<Line> lines = SplitLines(text);
    const auto span = FindSection(lines, section);
    std::string result(text);

    if (!span) {
        if (!key || !value)
            return result;
        if (!result.empty() && result.back() != '\n')
            result += newline;
        result.append("[").append(section).append("]").append(newline);
        result.append(*key).append("=").append(Sanitised(*value)).append(newline);
        return result;
    }
    if (!key) {
        const std::size_t from = lines[span->header].begin;
        const std::size_t to = span->next < lines.size() ? lines[span->next].begin : text.size();
        return result.erase(from, to - from);
    }
    for (std::size_t i = span->header + 1; i < span->next; ++i) {
        const auto entry = KeyLine(lines[i].text);
        if (!entry || !SameName(entry->key, *key))
            continue;
        if (!value)
            return result.erase(lines[i].begin, lines[i].end - lines[i].begin);
        const bool hadBreak = lines[i].end > lines[i].begin + lines[i].text.size();
        const std::string replacement
            = std::string(*key) + "=" + Sanitised(*value) + (hadBreak ? std::string(newline) : std::string());
        return result.replace(lines[i].begin, lines[i].end - lines[i].begin, replacement);
    }
    if (!value)
        return result;
    // A new key goes after the section's last entry, before the blank lines that separate sections.
    const Line& after = lines[span->lastEntry];
    std::string insertion = std::string(*key) + "=" + Sanitised(*value) + std::string(newline);
    if (after.end == after.begin + after.text.size())  // the last line of a file without a final newline
        insertion = std::string(newline) + insertion.substr(0, insertion.size() - newline.size());
    return result.insert(after.end, insertion);
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view fallback,
    const std::string& path, std::size_t bufferUnits)
{
    const std::size_t units = bufferUnits > 0 ? bufferUnits - 1 : 0;
    if (const auto text = ReadRegularFile(path, kProfileFileLimit))
        if (auto value = FindProfileValue(*text, section, key))
            return CutToUtf16Units(*value, units);
    // Like the platform function, trailing blanks of the default are dropped.
    std::string_view trimmedDefault = fallback;
    while (!trimmedDefault.empty() && IsBlank(trimmedDefault.back()))
        trimmedDefault.remove_suffix(1);
    return CutToUtf16Units(trimmedDefault, units);
}

int GetPrivateProfileInt(std::string_view section, std::string_view key, int fallback, const std::string& path)
{
    const std::string text = GetPrivateProfileString(section, key, "", path);
    int value = 0;
    const char* begin = text.data();
    if (!text.empty() && text.front() == '+')
        ++begin;
    const auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
    return error == std::errc() && end != begin ? value : fallback;
}

bool WritePrivateProfileString(std::string_view section, std::optional<std::string_view> key,
    std::optional<std::string_view> value, const std::string& path)
{
    std::lock_guard lock(writeMutex);
    std::string current;
    if (auto text = ReadRegularFile(path, kProfileFileLimit)) {
        current = std::move(*text);
    } else {
        std::error_code error;
        // A file that exists but cannot be read must not be replaced by a fresh one.
        if (std::filesystem::exists(path, error) || error)
            return false;
    }
    const std::string updated = SetProfileValue(current, section, key, value);
    if (updated == current)
        return true;
    std::string error;
    return WriteFileAtomically(path, updated, error);
}

}  // namespace tavrin::platform
