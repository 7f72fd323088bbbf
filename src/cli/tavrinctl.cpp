// tavrinctl: the keyboard's profiles from the command line, over the same core as the program.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_results.h"
#include "cli/doctor.h"
#include "cli/keyboard_connection.h"
#include "cli/lighting_command.h"
#include "cli/profile_listing.h"
#include "cli/program_notice.h"
#include "device/device_identity.h"
#include "model/language_texts.h"
#include "model/text_encoding.h"
#include "platform/atomic_file.h"
#include "platform/executable_folder.h"
#include "platform/private_profile.h"
#include "platform/user_folders.h"
#include "profiles/keyboard_changes.h"
#include "profiles/profile_file.h"
#include "profiles/working_file.h"

namespace tavrin::cli {
namespace {

struct Command {
    const char* usage;
    const char* summary;
    const char* details;
    int (*run)(const std::vector<std::string>& arguments);
};

const char* const kOverview = "Usage: tavrinctl COMMAND [ARGUMENTS]\n"
                              "Reads and writes the keyboard's profiles, and checks and lists profile files.\n"
                              "\n"
                              "Commands:\n";
const char* const kFooter = "\n"
                            "'tavrinctl COMMAND --help' tells more about a command. With TOLVEX_EMULATOR set to\n"
                            "a socket path, the commands reach the keyboard emulator instead of the keyboard.\n"
                            "Exit status: 0 success, 1 the keyboard failed or is absent, 2 bad usage or a bad "
                            "file.\n";

std::string ToolFolder()
{
    std::string folder = platform::ExecutableFolder();
    if (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    return folder.empty() ? std::string(".") : folder;
}

// English texts from the language file beside the tool; the settings are never consulted.
const model::LanguageTexts& EnglishTexts()
{
    class English final : public model::LanguageIdStore {
    public:
        std::uint32_t StoredLanguageId() override { return model::kDefaultLanguage; }
        void StoreLanguageId(std::uint32_t) override { }
    };
    static English english;
    static const model::LanguageTexts texts(ToolFolder() + "/", english, model::kDefaultLanguage);
    return texts;
}

std::u16string MacroNamePrefix()
{
    const std::string prefix = EnglishTexts().Text("IDS_MACRO_NEW_PREFIX", 0);
    return model::Utf16FromUtf8(prefix == model::kMissingText ? "Macro" : prefix);
}

const char* ProblemText(profiles::ProfileFileProblem problem)
{
    switch (problem) {
    case profiles::ProfileFileProblem::TooShort:
        return "too short to be a profile file";
    case profiles::ProfileFileProblem::WrongFormat:
        return "wrong file format";
    case profiles::ProfileFileProblem::Truncated:
        return "the file is shorter than its header states (truncated)";
    case profiles::ProfileFileProblem::None:
        break;
    }
    return "accepted";
}

// The bytes of a profile file ("-" is standard input), checked; an error message otherwise.
std::optional<std::string> ReadCheckedFile(const std::string& path, std::string& error)
{
    std::error_code code;
    if (path != "-" && !std::filesystem::exists(path, code)) {
        error = path + ": no such file";
        return std::nullopt;
    }
    // Standard input is read up to the same limit as files, not to its end whatever its size.
    std::optional<std::string> bytes
        = platform::ReadWholeFile(path == "-" ? "/dev/stdin" : path, profiles::kProfileFileReadLimit);
    if (!bytes) {
        error = path + ": cannot be read, or larger than any profile file";
        return std::nullopt;
    }
    const profiles::ProfileFileProblem problem = profiles::CheckProfileFileBytes(*bytes);
    if (problem != profiles::ProfileFileProblem::None) {
        error = path + ": " + ProblemText(problem);
        return std::nullopt;
    }
    return bytes;
}

// Connects and reads what the program reads when a keyboard arrives; an exit status on failure.
std::optional<int> Connect(KeyboardConnection& keyboard, bool arrivalState)
{
    std::string error = keyboard.Open(ToolFolder(), kKeyboardWait);
    if (error.empty() && arrivalState)
        error = keyboard.ReadArrivalState();
    if (error.empty())
        return std::nullopt;
    return Fail(kDeviceFailure, error);
}

void PrintActiveProfile(int active)
{
    if (active == profiles::kDefaultModeProfile)
        std::cout << "Active: default mode (the keyboard's own key map)\n";
    else if (active >= 0)
        std::cout << "Active: profile " << active + 1 << "\n";
    else
        std::cout << "Active: unknown (the keyboard did not say)\n";
}

int RunInfo(const std::vector<std::string>&)
{
    ErrorMessages messages;
    KeyboardConnection keyboard(messages);
    if (const auto failed = Connect(keyboard, true))
        return *failed;
    const device::DeviceInfo info(keyboard.Info());
    std::cout << "Macro memory: " << device::MacroCapacityOf(info) << " bytes\n";
    std::cout << "Lighting effects offered:";
    const std::vector<std::uint8_t> modes = device::OfferedModesOf(info);
    if (modes.empty())
        std::cout << " none";
    std::cout << "\n";
    for (std::uint8_t mode : modes) {
        const std::string name = platform::GetPrivateProfileString(
            "Mode", std::to_string(mode), "", model::LanguageFilePath(ToolFolder() + "/", model::kDefaultLanguage));
        std::cout << "  " << static_cast<int>(mode) << "  " << name << "\n";
    }
    const int active = keyboard.ActiveProfile().ReadActiveProfile();
    if (active < 0)
        return Fail(kDeviceFailure, "reading the active profile failed");
    PrintActiveProfile(active);
    return kSuccess;
}

int RunProfile(const std::vector<std::string>& arguments)
{
    std::optional<int> wanted;
    if (arguments.size() == 1) {
        const std::string& text = arguments[0];
        if (text.size() != 1 || text[0] < '1' || text[0] > '3')
            return Fail(kBadUsage, "profile: the profile is 1, 2 or 3, not '" + text + "'");
        wanted = text[0] - '1';
    }
    ErrorMessages messages;
    ProgramNotice notice;  // told once the keyboard is closed
    KeyboardConnection keyboard(messages);
    if (const auto failed = Connect(keyboard, false))
        return *failed;
    if (wanted) {
        // A write that failed may still have reached the keyboard.
        notice.Add(profiles::kChangedActiveProfile);
        const int written = keyboard.ActiveProfile().WriteActiveProfile(*wanted);
        if (written != device::kDeviceOk)
            return Fail(kDeviceFailure,
                "making profile " + arguments[0] + " active failed: " + device::DeviceResultText(written));
        if (keyboard.ActiveProfile().ReadActiveProfile() != *wanted)
            return Fail(kDeviceFailure, "the keyboard did not make profile " + arguments[0] + " active");
    }
    const int active = keyboard.ActiveProfile().ReadActiveProfile();
    if (active < 0)
        return Fail(kDeviceFailure, "reading the active profile failed");
    PrintActiveProfile(active);
    return kSuccess;
}

// Why a backup could not be written to `path` ("-" is standard output), found before the keyboard
// is read; nothing when it can be tried.
std::optional<std::string> BackupTargetProblem(const std::string& path)
{
    if (path.empty())
        return std::string("backup: the file name is empty");
    if (path == "-") {
        if (::isatty(STDOUT_FILENO))
            return std::string("backup: standard output is a terminal; redirect it, or give a file name");
        return std::nullopt;
    }
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (fs::is_directory(status))
        return path + ": is a folder; give a file name";
    if (fs::exists(status) && !fs::is_regular_file(status))
        return path + ": not a regular file";
    fs::path folder = fs::path(path).parent_path();
    if (folder.empty())
        folder = ".";
    if (!fs::exists(folder, error))
        return path + ": the folder " + folder.string() + " does not exist";
    if (!fs::is_directory(folder, error))
        return path + ": " + folder.string() + " is not a folder";
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return path + ": cannot write in " + folder.string() + ": " + std::strerror(errno);
    return std::nullopt;
}

int RunBackup(const std::vector<std::string>& arguments)
{
    const std::string& path = arguments[0];
    if (const std::optional<std::string> problem = BackupTargetProblem(path))
        return Fail(kBadUsage, *problem);
    ErrorMessages messages;
    KeyboardConnection keyboard(messages);
    if (const auto failed = Connect(keyboard, true))
        return *failed;
    if (path != "-") {
        const profiles::KeyboardReadResult read = keyboard.Transfer().ReadKeyboardToFile(path, MacroNamePrefix());
        if (!read.Succeeded())
            return Fail(read.KeyboardFailed() ? kDeviceFailure : kBadUsage,
                path + ": not written: " + profiles::DescribeKeyboardRead(read));
        std::cout << "Saved the keyboard's three profiles and macros to " << path << "\n";
        return kSuccess;
    }
    auto data = std::make_unique<profiles::ProfileData>();
    const profiles::KeyboardReadResult read = keyboard.Transfer().ReadKeyboard(*data, MacroNamePrefix());
    if (!read.Succeeded())
        return Fail(kDeviceFailure, "not written: " + profiles::DescribeKeyboardRead(read));
    std::lock_guard lock(data->lock);
    const std::optional<std::string> bytes = profiles::EncodeProfileFile(*data);
    if (!bytes)
        return Fail(kDeviceFailure, "not written: memory was lacking");
    std::cout.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
    std::cout.flush();
    if (!std::cout)
        return Fail(kBadUsage, "standard output: the profile file could not be written");
    return kSuccess;
}

int RunRestore(const std::vector<std::string>& arguments)
{
    const std::string& path = arguments[0];
    std::string error;
    const std::optional<std::string> bytes = ReadCheckedFile(path, error);
    if (!bytes)
        return Fail(kBadUsage, error);
    // The bytes just checked are the ones restored: standard input cannot be read twice, and a file
    // could change in between.
    auto loaded = std::make_unique<profiles::ProfileData>();
    if (!profiles::DecodeProfileFile(*bytes, *loaded))
        return Fail(kBadUsage, path + ": " + ProblemText(profiles::ProfileFileProblem::Truncated));
    const std::string documents = platform::DocumentsFolder();
    if (documents.empty())
        return Fail(kBadUsage,
            "no home folder (HOME is unset and the user has no password entry): the working file "
            "has nowhere to go");
    ErrorMessages messages;
    ProgramNotice notice;  // told once the keyboard is closed
    KeyboardConnection keyboard(messages);
    if (const auto failed = Connect(keyboard, true))
        return *failed;
    auto working = std::make_unique<profiles::ProfileData>();
    auto applied = std::make_unique<profiles::ProfileData>();
    const std::string workingFile = profiles::WorkingFilePath(documents);
    const profiles::RestoreResult restored = keyboard.Transfer().RestoreData(*loaded, *working, *applied, workingFile);
    if (restored.outcome == profiles::RestoreOutcome::Applied || restored.download.keyboardChanged)
        notice.Add(profiles::kChangedProfiles);
    for (const std::string& message : restored.download.messages)
        messages.ShowMessage(message);
    if (restored.outcome == profiles::RestoreOutcome::Applied) {
        std::cout << "Restored " << (path == "-" ? std::string("standard input") : path)
                  << " to the keyboard's three profiles\n";
        return kSuccess;
    }
    return Fail(kDeviceFailure, path + ": not restored: " + profiles::DescribeRestoreFailure(restored));
}

int RunValidate(const std::vector<std::string>& arguments)
{
    std::string error;
    if (!ReadCheckedFile(arguments[0], error))
        return Fail(kBadUsage, error);
    std::cout << arguments[0] << ": a valid profile file\n";
    return kSuccess;
}

int RunShow(const std::vector<std::string>& arguments)
{
    bool json = false;
    std::string path;
    for (const std::string& argument : arguments) {
        if (argument == "--json")
            json = true;
        else if (path.empty())
            path = argument;
        else
            return Fail(kBadUsage, "show: one file only");
    }
    if (path.empty())
        return Fail(kBadUsage, "show: which file? ('-' reads standard input)");
    std::string error;
    const std::optional<std::string> bytes = ReadCheckedFile(path, error);
    if (!bytes)
        return Fail(kBadUsage, error);
    auto data = std::make_unique<profiles::ProfileData>();
    if (!profiles::DecodeProfileFile(*bytes, *data))
        return Fail(kBadUsage, path + ": " + ProblemText(profiles::ProfileFileProblem::Truncated));
    // Written as it is made: the listing of a large file never sits in memory whole.
    if (json)
        WriteProfileDataAsJson(std::cout, *data, EnglishTexts());
    else
        WriteProfileListing(std::cout, *data, EnglishTexts());
    return kSuccess;
}

int RunLighting(const std::vector<std::string>& arguments)
{
    return RunLightingCommand(arguments, ToolFolder());
}

int RunColours(const std::vector<std::string>& arguments)
{
    return RunColoursCommand(arguments, ToolFolder());
}

struct CommandEntry {
    const char* name;
    std::size_t minArguments;
    std::size_t maxArguments;
    Command command;
};

const CommandEntry kCommands[] = {
    {"info", 0, 0, {"info", "Shows the keyboard's macro memory, lighting effects and active profile.", "", RunInfo}},
    {"profile", 0, 1,
        {"profile [N]", "Shows the active profile, or makes profile N (1, 2 or 3) active.", "", RunProfile}},
    {"backup", 1, 1,
        {"backup FILE|-", "Saves the keyboard's three profiles and macros to FILE.",
            "FILE is a .tvn profile file in a folder that exists; '-' writes it to standard output.\n"
            "The keyboard does not keep the texts of program and text keys, so FILE holds none.",
            RunBackup}},
    {"restore", 1, 1,
        {"restore FILE|-", "Writes FILE's three profiles and macros to the keyboard.",
            "FILE is checked first; '-' reads it from standard input. It also becomes the program's\n"
            "working copy: the working file is saved when it exists. Keys that launch a program or\n"
            "type a text keep their texts only in the working file: the keyboard does not store\n"
            "them, so a later backup cannot read them back.",
            RunRestore}},
    {"lighting", 0, 64,
        {kLightingUsage, "Shows or changes a profile's lighting effect and its settings.", kLightingDetails,
            RunLighting}},
    {"colours", 0, 6, {kColoursUsage, "Shows or sets the per-key colours of effect 19.", kColoursDetails, RunColours}},
    {"validate", 1, 1, {"validate FILE", "Checks that FILE is a whole, well-formed profile file.", "", RunValidate}},
    {"doctor", 0, 0,
        {"doctor", "Explains whether the keyboard can be used, and if not, why.",
            "Looks at the service library, the emulator's selection, the keyboard's hidraw nodes and\n"
            "whether you may open them (which permission is missing, whether the udev rule is\n"
            "installed), and shows what the keyboard offers when it answers.\n"
            "Exit status: 0 the keyboard can be used, 1 it cannot (absent, no answer, the library does\n"
            "not load), 3 it is plugged in but its device files refuse you.",
            DoctorCommand}},
    {"show", 1, 1,
        {"show FILE|- [--json]", "Lists FILE's key assignments and macros.",
            "Each profile's assignments by key name, and every macro with its actions, delays and\n"
            "cycles. '-' reads the file from standard input; --json prints JSON for scripts.",
            RunShow}},
};

void PrintOverview(std::ostream& out)
{
    out << kOverview;
    for (const CommandEntry& entry : kCommands) {
        std::string usage = entry.command.usage;
        usage.resize(std::max<std::size_t>(usage.size(), 22), ' ');
        out << "  " << usage << " " << entry.command.summary << "\n";
    }
    out << kFooter;
}

}  // namespace
}  // namespace tavrin::cli

int main(int argc, char** argv)
{
    using namespace tavrin::cli;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty()) {
        PrintOverview(std::cerr);
        return kBadUsage;
    }
    if (arguments[0] == "--help" || arguments[0] == "-h" || arguments[0] == "help") {
        PrintOverview(std::cout);
        return kSuccess;
    }
    for (const CommandEntry& entry : kCommands) {
        if (arguments[0] != entry.name)
            continue;
        const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
        for (const std::string& argument : rest)
            if (argument == "--help" || argument == "-h") {
                std::cout << "Usage: tavrinctl " << entry.command.usage << "\n" << entry.command.summary << "\n";
                if (*entry.command.details)
                    std::cout << entry.command.details << "\n";
                return kSuccess;
            }
        std::size_t count = rest.size();
        if (arguments[0] == std::string("show"))
            count -= static_cast<std::size_t>(std::count(rest.begin(), rest.end(), "--json"));
        if (count < entry.minArguments || count > entry.maxArguments) {
            std::cerr << "Usage: tavrinctl " << entry.command.usage << "\n";
            return kBadUsage;
        }
        return entry.command.run(rest);
    }
    std::cerr << "tavrinctl: unknown command '" << arguments[0] << "'\n";
    PrintOverview(std::cerr);
    return kBadUsage;
}
