#include "platform/user_folders.h"

#include <cstdlib>
#include <pwd.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/atomic_file.h"

namespace tavrin::platform {
namespace {

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The value of XDG_DOCUMENTS_DIR in user-dirs.dirs: "$HOME/Documents" or an absolute path.
std::string DocumentsFromUserDirs(const std::string& text, const std::string& home)
{
    constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        if (line.substr(0, kKey.size()) != kKey)
            continue;
        line.remove_prefix(kKey.size());
        if (line.size() < 2 || line.front() != '"' || line.back() != '"')
            return {};
        line = line.substr(1, line.size() - 2);
        if (line.substr(0, 5) == "$HOME")
            return home + std::string(line.substr(5));
        return line.empty() || line.front() != '/' ? std::string() : std::string(line);
    }
    return {};
}

}  // namespace

std::string HomeFolder()
{
    std::string home = Environment("HOME");
    if (!home.empty() && home.front() == '/')
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir && entry->pw_dir[0] == '/')
        return entry->pw_dir;
    return {};
}

std::string ConfigFolder()
{
    const std::string configured = Environment("XDG_CONFIG_HOME");
    if (!configured.empty() && configured.front() == '/')
        return configured;
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : home + "/.config";
}

std::string DocumentsFolder()
{
    const std::string home = HomeFolder();
    if (home.empty())
        return {};
    if (const std::string config = ConfigFolder(); !config.empty())
        if (const auto text = ReadRegularFile(config + "/user-dirs.dirs", 64 * 1024)) {
            const std::string documents = DocumentsFromUserDirs(*text, home);
            if (!documents.empty() && documents != home)
                return documents;
        }
    return home + "/Documents";
}

bool IsPrivateFolder(const std::string& path, unsigned owner)
{
    struct stat status { };
    return ::lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == owner
        && (status.st_mode & 077) == 0;
}

std::string MakePrivateFolder(const std::string& path)
{
    ::mkdir(path.c_str(), 0700);  // fails harmlessly when it exists: the check below decides
    return IsPrivateFolder(path, ::getuid()) ? path : std::string();
}

std::string RuntimeFolder()
{
    const std::string runtime = Environment("XDG_RUNTIME_DIR");
    if (!runtime.empty() && runtime.front() == '/' && IsPrivateFolder(runtime, ::getuid()))
        return runtime;
    return FallbackRuntimeFolder();
}

std::string FallbackRuntimeFolder()
{
    return MakePrivateFolder("/tmp/tavrin-" + std::to_string(::getuid()));
}

}  // namespace tavrin::platform
