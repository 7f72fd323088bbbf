#include "cli/doctor.h"

#include <dlfcn.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "cli/command_results.h"
#include "cli/keyboard_connection.h"
#include "device/device_identity.h"
#include "model/language_texts.h"
#include "platform/executable_folder.h"
#include "platform/private_profile.h"
#include "platform/tolvex_binding.h"
#include "tolvex/tolvex.h"

namespace tavrin::cli {
namespace {

std::string Hex(unsigned value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

std::string UserName(uid_t user)
{
    if (const passwd* entry = ::getpwuid(user))
        return std::string(entry->pw_name) + " (uid " + std::to_string(user) + ")";
    return "uid " + std::to_string(user);
}

std::string GroupName(gid_t id)
{
    if (const struct group* entry = ::getgrgid(id))
        return std::string(entry->gr_name) + " (gid " + std::to_string(id) + ")";
    return "gid " + std::to_string(id);
}

std::string InterfaceName(const platform::HidrawNode& node)
{
    if (!node.usagePage || !node.usage)
        return "an interface whose report descriptor could not be read";
    const unsigned page = *node.usagePage;
    const unsigned usage = *node.usage;
    if (page == TOLVEX_CONTROL_USAGE_PAGE && usage == TOLVEX_CONTROL_USAGE)
        return "the control interface (settings, key maps, macros)";
    if (page == TOLVEX_CONSUMER_USAGE_PAGE && usage == TOLVEX_CONSUMER_USAGE)
        return "the media keys interface";
    if (page == TOLVEX_KEY_STATUS_USAGE_PAGE && usage == TOLVEX_KEY_STATUS_USAGE)
        return "the key status interface (lock lights, bank, macro play)";
    return "another interface (usage page 0x" + Hex(page, 4) + ", usage 0x" + Hex(usage, 4) + ")";
}

const char* AccessWords(unsigned access)
{
    if (access == (platform::kReadAccess | platform::kWriteAccess))
        return "read or write";
    return access == platform::kReadAccess ? "read" : "write";
}

bool IsMember(const platform::Identity& who, gid_t group)
{
    for (const gid_t member : who.groups)
        if (member == group)
            return true;
    return false;
}

// Why this user may not open the node, from its owner, group, mode and access list.
std::string RefusalReason(const platform::HidrawNode& node, const platform::Identity& who)
{
    const platform::NodeFacts& facts = node.facts;
    const unsigned wanted = platform::kReadAccess | platform::kWriteAccess;
    const unsigned missing = wanted & ~platform::AllowedAccess(facts, who);
    if (missing == 0)
        return "its permissions allow it, yet the system refused (a security policy may forbid it)";
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", facts.mode);
    std::string reason = std::string("you may not ") + AccessWords(missing) + " it. It belongs to user "
        + UserName(facts.owner) + " and group " + GroupName(facts.group) + " with mode " + mode + "; you are "
        + (IsMember(who, facts.group) ? "" : "not ") + "in that group";
    std::vector<std::string> named;
    for (const platform::AclEntry& entry : facts.acl)
        if (entry.tag == platform::AclEntry::User)
            named.push_back(UserName(entry.id));
    if (facts.acl.empty()) {
        reason += ", and it has no access list (the udev rule's \"uaccess\" gives the user of the active "
                  "local session one)";
    } else if (named.empty()) {
        reason += ", and its access list names no user";
    } else {
        reason += ", and its access list names ";
        for (std::size_t i = 0; i < named.size(); ++i)
            reason += (i == 0 ? "" : ", ") + named[i];
        reason += " but not you";
    }
    return reason;
}

std::string EmulatorProblem(const std::string& socket)
{
    struct stat status { };
    if (::stat(socket.c_str(), &status) != 0)
        return "its socket " + socket + " does not exist: start it with 'tolvex-emu --socket " + socket
            + "', or unset TOLVEX_EMULATOR to use the keyboard";
    if (!S_ISSOCK(status.st_mode))
        return socket
            + " is not a socket: start the emulator with 'tolvex-emu --socket PATH', or unset "
              "TOLVEX_EMULATOR to use the keyboard";
    return {};
}

std::string LoadLibrary(const std::string& folder)
{
    const std::string path = folder + "/" + platform::kTolvexLibraryName;
    // Stays loaded: the connection that may follow binds the same library.
    if (::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))
        return {};
    const char* error = ::dlerror();
    return error ? std::string(error) : path + " does not load";
}

class QuietMessages final : public model::UserMessages {
public:
    void ShowMessage(const std::string&) override { }
};

std::string UseKeyboard(const std::string& folder, std::ostream& out)
{
    QuietMessages messages;
    KeyboardConnection keyboard(messages);
    std::string error = keyboard.Open(folder, kKeyboardWait);
    if (error.empty())
        error = keyboard.ReadArrivalState();
    if (!error.empty())
        return error;
    const device::DeviceInfo info(keyboard.Info());
    out << "Macro memory: " << device::MacroCapacityOf(info) << " bytes\n";
    out << "Lighting effects offered:";
    const std::vector<std::uint8_t> modes = device::OfferedModesOf(info);
    if (modes.empty())
        out << " none";
    out << "\n";
    const std::string language = model::LanguageFilePath(folder + "/", model::kDefaultLanguage);
    for (const std::uint8_t mode : modes)
        out << "  " << static_cast<int>(mode) << "  "
            << platform::GetPrivateProfileString("Mode", std::to_string(mode), "", language) << "\n";
    return {};
}

const char* const kReloadAdvice
    = "  sudo udevadm control --reload-rules && sudo udevadm trigger --subsystem-match=hidraw\n"
      "or unplug the keyboard and plug it in again.\n";

}  // namespace

DoctorSetup SystemDoctorSetup(const std::string& libraryFolder)
{
    DoctorSetup setup;
    setup.libraryFolder = libraryFolder;
    if (const char* emulator = std::getenv("TOLVEX_EMULATOR"))
        setup.emulator = emulator;
    setup.identity = platform::CurrentIdentity();
    setup.open = platform::OpenForReadWrite;
    setup.loadLibrary = LoadLibrary;
    setup.useKeyboard = [libraryFolder](std::ostream& out) { return UseKeyboard(libraryFolder, out); };
    return setup;
}

int RunDoctor(const DoctorSetup& setup, std::ostream& out)
{
    const std::string libraryPath = setup.libraryFolder + "/" + platform::kTolvexLibraryName;
    const std::string libraryProblem = setup.loadLibrary(setup.libraryFolder);
    if (libraryProblem.empty())
        out << "Service library: " << libraryPath << " loads.\n";
    else
        out << "Service library: " << libraryPath << " does not load: " << libraryProblem << "\n";

    if (!setup.emulator.empty()) {
        out << "Keyboard emulator: selected (TOLVEX_EMULATOR=" << setup.emulator
            << "): the programs talk to the emulator, not to the keyboard.\n";
        if (!libraryProblem.empty()) {
            out << "\nThe keyboard emulator cannot be used: the service library does not load. Reinstall "
                   "the program.\n";
            return kDoctorUnusable;
        }
        if (const std::string problem = EmulatorProblem(setup.emulator); !problem.empty()) {
            out << "\nThe keyboard emulator cannot be used: " << problem << ".\n";
            return kDoctorUnusable;
        }
        if (const std::string problem = setup.useKeyboard(out); !problem.empty()) {
            out << "\nThe keyboard emulator did not answer: " << problem << ".\n";
            return kDoctorUnusable;
        }
        out << "\nThe keyboard emulator can be used.\n";
        return kDoctorUsable;
    }
    out << "Keyboard emulator: not selected (TOLVEX_EMULATOR is not set).\n";

    const std::vector<platform::HidrawNode> nodes
        = platform::FindHidrawNodes(setup.roots, TOLVEX_VENDOR_ID, TOLVEX_PRODUCT_ID, setup.open);
    const std::vector<std::string> rules
        = platform::FindUdevRules(setup.roots, TOLVEX_VENDOR_ID, TOLVEX_PRODUCT_ID, kUdevRuleName);
    out << "You: " << UserName(setup.identity.user) << ".\n";
    out << "Keyboard devices (vendor " << Hex(TOLVEX_VENDOR_ID, 4) << ", product " << Hex(TOLVEX_PRODUCT_ID, 4)
        << ") in " << setup.roots.sys << "/class/hidraw: " << (nodes.empty() ? "none" : std::to_string(nodes.size()))
        << "\n";
    bool refused = false;
    bool otherFailure = false;
    std::string firstRefused;
    for (const platform::HidrawNode& node : nodes) {
        out << "  " << node.path << ": " << InterfaceName(node) << ", HID device " << node.hidDevice << "\n    ";
        if (node.openError == 0) {
            out << "opens for reading and writing.\n";
        } else if (node.openError == EACCES || node.openError == EPERM) {
            if (!refused)
                firstRefused = node.path;
            refused = true;
            out << "cannot be opened: " << RefusalReason(node, setup.identity) << ".\n";
        } else if (node.openError == ENOENT) {
            otherFailure = true;
            out << "cannot be opened: the device file does not exist (the system did not create it).\n";
        } else {
            otherFailure = true;
            out << "cannot be opened: " << std::strerror(node.openError) << ".\n";
        }
    }
    if (rules.empty())
        out << "udev rule for the keyboard: not installed (looked for " << kUdevRuleName
            << " and rules naming 0C45 and 7045 in /etc, /run, /usr/local/lib, /usr/lib and /lib).\n";
    else
        out << "udev rule for the keyboard: " << rules.front() << "\n";
    out << "\n";

    if (!libraryProblem.empty()) {
        out << "The keyboard cannot be used: the service library does not load. Reinstall the program; "
               "the error above names what is missing.\n";
        return kDoctorUnusable;
    }
    if (nodes.empty()) {
        out << "No keyboard is plugged in: the system shows no HID device with the keyboard's vendor and "
               "product. Plug it in (try another port or cable). Permissions are not the cause.\n";
        return kDoctorUnusable;
    }
    if (refused) {
        out << "The keyboard is plugged in, but you may not open its device files, so the programs cannot "
               "find it.\n";
        if (rules.empty())
            out << "The udev rule that gives the logged-in user access to the keyboard (and nothing else) is "
                   "not installed. Install the package, or copy "
                << kUdevRuleName << " to /etc/udev/rules.d/, then run\n"
                << kReloadAdvice;
        else
            out << "The udev rule " << rules.front()
                << " is installed, but it did not give you access. It gives access only to the user of the "
                   "active local session (not to a remote login or a session in the background), and only to "
                   "devices added or changed after it was loaded. Log in at the computer itself, or run\n"
                << kReloadAdvice << "'getfacl " << firstRefused << "' shows who has access.\n";
        return kDoctorRefused;
    }
    if (otherFailure) {
        out << "The keyboard is plugged in, but a device file of it cannot be opened (above); permissions "
               "are not the cause.\n";
        return kDoctorUnusable;
    }
    if (const std::string problem = setup.useKeyboard(out); !problem.empty()) {
        out << "\nThe keyboard's device files open, but the keyboard did not answer: " << problem
            << ". Plug it in again.\n";
        return kDoctorUnusable;
    }
    out << "\nThe keyboard can be used.\n";
    return kDoctorUsable;
}

int DoctorCommand(const std::vector<std::string>&)
{
    const std::string folder = platform::ExecutableFolder();
    return RunDoctor(SystemDoctorSetup(folder.empty() ? std::string(".") : folder), std::cout);
}

}  // namespace tavrin::cli
