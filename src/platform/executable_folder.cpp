#include "platform/executable_folder.h"

#include <filesystem>
#include <system_error>

namespace tavrin::platform {

std::string ExecutableFolder()
{
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : executable.parent_path().string();
}

}  // namespace tavrin::platform
