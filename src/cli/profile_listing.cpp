#include "cli/profile_listing.h"

#include <cstdio>
#include <locale>
#include <ostream>
#include <sstream>
#include <vector>

#include "model/assignable_functions.h"
#include "model/key_table.h"
#include "model/text_encoding.h"

namespace tavrin::cli {

namespace {

constexpr int kProfiles = 3;

std::string Hex3(unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%03X", value);
    return text;
}

}  // namespace

std::string KeyName(model::KeyCode code)
{
    const model::KeyIndex index = model::IndexFromCode(code);
    if (index != 0 && index < model::kKeyTableRows && !model::KeyTableRow(index).englishName.empty())
        return std::string(model::KeyTableRow(index).englishName);
    return "key " + Hex3(code);
}

namespace {

// The key a record belongs to: a key of the table, or a G key of one of the two banks.
std::string RecordName(std::size_t record)
{
    if (record >= model::kFirstGRecord && record < model::kFirstGRecord + 2 * model::kGRecordsPerBank) {
        const std::size_t g = record - model::kFirstGRecord;
        std::string name = "G";
        name.append(std::to_string(g % model::kGRecordsPerBank + 1)).append(" (bank ");
        return name.append(std::to_string(g / model::kGRecordsPerBank + 1)).append(")");
    }
    if (record < model::kKeyTableRows)
        return KeyName(model::CodeFromIndex(static_cast<model::KeyIndex>(record)));
    return "record " + std::to_string(record);
}

std::string MacroNameOfId(const profiles::ProfileData& data, std::uint32_t id)
{
    for (const model::MacroRecord& macro : data.macros)
        if (macro.id == id)
            return model::Utf8FromUtf16(model::MacroName(macro));
    return {};
}

std::string FunctionName(std::uint32_t n, const model::LanguageTexts& texts)
{
    if (const auto key = model::FunctionKeyName(static_cast<int>(n))) {
        const std::string text = texts.Text(*key, 0);
        if (!text.empty() && text != model::kMissingText)
            return text;
    }
    return "function " + std::to_string(n);
}

std::string MediaName(std::uint32_t n)
{
    if (const auto media = model::MediaFunction(static_cast<int>(n)))
        return KeyName(media->code);
    return "media " + std::to_string(n);
}

const char* KindName(std::uint16_t kind)
{
    static const char* const names[]
        = {"default", "disabled", "key", "program", "macro", "stop-macro", "text", "media", "function"};
    return kind < std::size(names) ? names[kind] : "unknown";
}

const char* PlayModeName(std::uint16_t mode)
{
    switch (mode) {
    case model::PLAY_ONCE:
        return "once";
    case model::PLAY_REPEAT:
        return "repeat";
    case model::PLAY_UNTIL_KEY_AGAIN:
        return "until-pressed-again";
    default:
        return "unknown";
    }
}

std::string TextOf(const profiles::ProfileData& data, std::size_t record)
{
    return data.texts[record] ? model::Utf8FromUtf16(*data.texts[record]) : std::string();
}

// What a record does, in words.
std::string Describe(const profiles::ProfileData& data, std::size_t record, const model::LanguageTexts& texts)
{
    const model::KeyRecord& r = data.records[record];
    switch (r.kind) {
    case model::KIND_DISABLED:
        return "disabled";
    case model::KIND_KEY:
        return "key " + KeyName(static_cast<model::KeyCode>(r.value));
    case model::KIND_PROGRAM:
        return "program \"" + TextOf(data, record) + "\"";
    case model::KIND_MACRO: {
        std::string text = "macro " + std::to_string(r.value) + " \"" + MacroNameOfId(data, r.value) + "\"";
        if (r.aux != 0)
            text += " x" + std::to_string(r.aux);
        return text;
    }
    case model::KIND_STOP_MACRO:
        return "stop macro";
    case model::KIND_TEXT:
        return "text \"" + TextOf(data, record) + "\"";
    case model::KIND_MEDIA:
        return "media " + MediaName(r.value);
    case model::KIND_FUNCTION:
        return "function " + FunctionName(r.value, texts);
    default:
        return "kind " + std::to_string(r.kind);
    }
}

}  // namespace

std::string JsonString(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

namespace {

std::vector<std::size_t> AssignedRecords(const profiles::ProfileData& data, int profile)
{
    std::vector<std::size_t> records;
    for (std::size_t r = 0; r < model::kRecordsPerBlock; ++r)
        if (data.Record(profile, r).kind != model::KIND_DEFAULT)
            records.push_back(r);
    return records;
}

}  // namespace

void WriteProfileListing(std::ostream& out, const profiles::ProfileData& data, const model::LanguageTexts& texts)
{
    for (int profile = 0; profile < kProfiles; ++profile) {
        out << "Profile " << profile + 1 << "\n";
        const std::vector<std::size_t> records = AssignedRecords(data, profile);
        if (records.empty())
            out << "  (every key does its default)\n";
        for (std::size_t r : records) {
            std::string name = RecordName(r);
            name.resize(std::max<std::size_t>(name.size(), 16), ' ');
            out << "  " << name << " " << Describe(data, model::RecordNumber(profile, r), texts) << "\n";
        }
    }
    out << "Macros (" << data.macros.size() << ")\n";
    for (const model::MacroRecord& macro : data.macros) {
        out << "  " << macro.id << " \"" << model::Utf8FromUtf16(model::MacroName(macro)) << "\", cycles "
            << static_cast<unsigned>(macro.cycles) << ", play " << PlayModeName(macro.playMode) << ", "
            << macro.actionCount << " actions\n";
        for (std::size_t a = 0; a < macro.actionCount; ++a) {
            const model::MacroAction& action = macro.actions[a];
            char line[96];
            std::snprintf(line, sizeof line, "    %6u ms  %-7s ", action.delay, action.release ? "release" : "press");
            out << line << KeyName(action.key) << "\n";
        }
    }
}

void WriteProfileDataAsJson(std::ostream& out, const profiles::ProfileData& data, const model::LanguageTexts& texts)
{
    out << "{\"profiles\":[";
    for (int profile = 0; profile < kProfiles; ++profile) {
        out << (profile ? ",{" : "{");
        out << "\"profile\":" << profile + 1 << ",\"assignments\":[";
        bool first = true;
        for (std::size_t r : AssignedRecords(data, profile)) {
            const std::size_t number = model::RecordNumber(profile, r);
            const model::KeyRecord& record = data.records[number];
            out << (first ? "{" : ",{");
            first = false;
            out << "\"record\":" << r << ",\"key\":" << JsonString(RecordName(r))
                << ",\"kind\":" << JsonString(KindName(record.kind)) << ",\"value\":" << record.value
                << ",\"aux\":" << record.aux << ",\"description\":" << JsonString(Describe(data, number, texts));
            if (data.texts[number])
                out << ",\"text\":" << JsonString(TextOf(data, number));
            out << "}";
        }
        out << "]}";
    }
    out << "],\"macros\":[";
    for (std::size_t m = 0; m < data.macros.size(); ++m) {
        const model::MacroRecord& macro = data.macros[m];
        out << (m ? ",{" : "{");
        out << "\"id\":" << macro.id << ",\"name\":" << JsonString(model::Utf8FromUtf16(model::MacroName(macro)))
            << ",\"cycles\":" << static_cast<unsigned>(macro.cycles)
            << ",\"play\":" << JsonString(PlayModeName(macro.playMode)) << ",\"actions\":[";
        for (std::size_t a = 0; a < macro.actionCount; ++a) {
            const model::MacroAction& action = macro.actions[a];
            out << (a ? ",{" : "{");
            out << "\"delay\":" << action.delay << ",\"event\":" << JsonString(action.release ? "release" : "press")
                << ",\"code\":" << action.key << ",\"key\":" << JsonString(KeyName(action.key)) << "}";
        }
        out << "]}";
    }
    out << "]}\n";
}

std::string ListProfileData(const profiles::ProfileData& data, const model::LanguageTexts& texts)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());  // numbers as scripts read them, whatever the global locale
    WriteProfileListing(out, data, texts);
    return std::move(out).str();
}

std::string ProfileDataAsJson(const profiles::ProfileData& data, const model::LanguageTexts& texts)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());  // numbers as scripts read them, whatever the global locale
    WriteProfileDataAsJson(out, data, texts);
    return std::move(out).str();
}

}  // namespace tavrin::cli
