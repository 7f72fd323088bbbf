#include "state_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>
#include <variant>
#include <vector>

namespace tolvex::emu {
namespace {

std::string ToHex(std::span<const std::uint8_t> bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::uint8_t byte : bytes) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0x0F]);
    }
    return text;
}

int HexValue(char digit)
{
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    return -1;
}

bool FromHex(std::string_view text, std::span<std::uint8_t> out)
{
    if (text.size() != out.size() * 2)
        return false;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const int high = HexValue(text[2 * i]);
        const int low = HexValue(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        out[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return true;
}

using Value = std::variant<std::string, std::vector<std::string>>;

// Just enough JSON for the state file: one object whose values are strings or arrays of strings.
// Strings hold no escapes (hex needs none).
class StateParser {
public:
    explicit StateParser(std::string_view text)
        : text_(text)
    {
    }

    std::optional<std::map<std::string, Value>> Parse()
    {
        std::map<std::string, Value> fields;
        if (!Take('{'))
            return std::nullopt;
        if (Take('}'))
            return AtEnd() ? std::optional(fields) : std::nullopt;
        do {
            auto name = String();
            if (!name || !Take(':'))
                return std::nullopt;
            std::optional<Value> value;
            if (Peek('[')) {
                value = Array();
            } else if (auto text = String()) {
                value = std::move(*text);
            }
            if (!value || fields.contains(*name))
                return std::nullopt;
            fields.emplace(std::move(*name), std::move(*value));
        } while (Take(','));
        if (!Take('}') || !AtEnd())
            return std::nullopt;
        return fields;
    }

private:
    void SkipSpace()
    {
        while (position_ < text_.size()
            && (text_[position_] == ' ' || text_[position_] == '\t' || text_[position_] == '\r'
                || text_[position_] == '\n'))
            ++position_;
    }
    bool Peek(char wanted)
    {
        SkipSpace();
        return position_ < text_.size() && text_[position_] == wanted;
    }
    bool Take(char wanted)
    {
        if (!Peek(wanted))
            return false;
        ++position_;
        return true;
    }
    bool AtEnd()
    {
        SkipSpace();
        return position_ == text_.size();
    }
    std::optional<std::string> String()
    {
        if (!Take('"'))
            return std::nullopt;
        const std::size_t end = text_.find_first_of("\"\\", position_);
        if (end == std::string_view::npos || text_[end] != '"')
            return std::nullopt;
        std::string value(text_.substr(position_, end - position_));
        position_ = end + 1;
        return value;
    }
    std::optional<Value> Array()
    {
        std::vector<std::string> items;
        Take('[');
        if (Take(']'))
            return items;
        do {
            auto item = String();
            if (!item)
                return std::nullopt;
            items.push_back(std::move(*item));
        } while (Take(','));
        if (!Take(']'))
            return std::nullopt;
        return items;
    }

    std::string_view text_;
    std::size_t position_ = 0;
};

bool DecodeField(
    const std::map<std::string, Value>& fields, const char* name, std::span<std::uint8_t> out, std::string& error)
{
    auto found = fields.find(name);
    const auto* text = found == fields.end() ? nullptr : std::get_if<std::string>(&found->second);
    if (!text || !FromHex(*text, out)) {
        error = std::string("field \"") + name + "\" is missing or not " + std::to_string(out.size()) + " bytes of hex";
        return false;
    }
    return true;
}

template<std::size_t Count, std::size_t Size>
bool DecodeArrayField(const std::map<std::string, Value>& fields, const char* name,
    std::array<std::array<std::uint8_t, Size>, Count>& out, std::string& error)
{
    auto found = fields.find(name);
    const auto* items = found == fields.end() ? nullptr : std::get_if<std::vector<std::string>>(&found->second);
    bool valid = items && items->size() == Count;
    for (std::size_t i = 0; valid && i < Count; ++i)
        valid = FromHex((*items)[i], out[i]);
    if (!valid)
        error = std::string("field \"") + name + "\" is not " + std::to_string(Count) + " hex strings of "
            + std::to_string(Size) + " bytes";
    return valid;
}

const char* KindOfFile(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    return "something else";
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : fd_(fd)
    {
    }
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

std::string EncodeState(const KeyboardMemory& memory)
{
    auto array = [](const auto& slots) {
        std::string text = "[";
        for (std::size_t i = 0; i < slots.size(); ++i)
            text += (i ? ", \"" : "\"") + ToHex(slots[i]) + "\"";
        return text + "]";
    };
    std::string text = "{\n";
    text += "  \"info\": \"" + ToHex(memory.info) + "\",\n";
    text += "  \"settings\": \"" + ToHex(memory.settings) + "\",\n";
    text += "  \"keymaps\": " + array(memory.keymaps) + ",\n";
    text += "  \"base_keymap\": \"" + ToHex(memory.baseKeymap) + "\",\n";
    text += "  \"macros\": \"" + ToHex(memory.macros) + "\",\n";
    text += "  \"colours\": " + array(memory.colours) + ",\n";
    text += "  \"bank_status\": \"" + ToHex(memory.bankStatus) + "\"\n";
    return text + "}\n";
}

std::optional<KeyboardMemory> DecodeState(std::string_view text, std::string& error)
{
    auto fields = StateParser(text).Parse();
    if (!fields) {
        error = "not a JSON object of hex strings";
        return std::nullopt;
    }
    KeyboardMemory memory;
    if (!DecodeField(*fields, "info", memory.info, error))
        return std::nullopt;
    memory.macros.resize(std::size_t{memory.info[kInfoMacroUnitsAt]} * kBytesPerMacroUnit);
    if (!DecodeField(*fields, "settings", memory.settings, error)
        || !DecodeArrayField(*fields, "keymaps", memory.keymaps, error)
        || !DecodeField(*fields, "base_keymap", memory.baseKeymap, error)
        || !DecodeField(*fields, "macros", memory.macros, error)
        || !DecodeArrayField(*fields, "colours", memory.colours, error)
        || !DecodeField(*fields, "bank_status", memory.bankStatus, error))
        return std::nullopt;
    return memory;
}

StateFileLoad LoadStateFile(const std::string& path)
{
    StateFileLoad load;
    load.memory = FactoryMemory();
    auto refuse = [&](std::string message) {
        load.outcome = StateFileLoad::Outcome::Refused;
        load.message = std::move(message);
        return std::move(load);
    };
    auto overLimit = [&](std::string size) {
        return refuse("cannot use " + path + " as the state file: it is " + size + " bytes, over the limit of "
            + std::to_string(kStateFileLimit) + " bytes; leaving it untouched");
    };

    // Non-blocking, so that opening a FIFO returns at once; it is then refused below.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    auto unreadable
        = [&](int reason) { return refuse("cannot read the state file " + path + ": " + std::strerror(reason)); };
    if (file.Get() < 0) {
        const int reason = errno;
        return reason == ENOENT ? load : unreadable(reason);
    }
    struct stat status { };
    if (::fstat(file.Get(), &status) != 0)
        return unreadable(errno);
    if (!S_ISREG(status.st_mode))
        return refuse("cannot use " + path + " as the state file: it is " + KindOfFile(status.st_mode)
            + ", not a regular file; leaving it untouched");
    if (static_cast<std::uintmax_t>(status.st_size) > kStateFileLimit)
        return overLimit(std::to_string(status.st_size));

    std::string text;
    text.reserve(static_cast<std::size_t>(status.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t count = ::read(file.Get(), chunk, sizeof chunk);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return unreadable(errno);
        if (count == 0)
            break;
        text.append(chunk, static_cast<std::size_t>(count));
        if (text.size() > kStateFileLimit)  // it grew after the size was checked
            return overLimit("more than " + std::to_string(kStateFileLimit));
    }

    std::string error;
    if (auto memory = DecodeState(text, error)) {
        load.outcome = StateFileLoad::Outcome::Loaded;
        load.memory = std::move(*memory);
        return load;
    }
    const std::string kept = path + ".corrupt";
    if (std::rename(path.c_str(), kept.c_str()) != 0) {
        const int reason = errno;
        return refuse("the state file " + path + " is corrupt (" + error + ") and cannot be kept as " + kept + " ("
            + std::strerror(reason) + "); leaving it untouched");
    }
    load.outcome = StateFileLoad::Outcome::KeptCorrupt;
    load.message = "the state file " + path + " is corrupt (" + error + "); kept it as " + kept
        + ", starting from factory state";
    return load;
}

}  // namespace tolvex::emu
