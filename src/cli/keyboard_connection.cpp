#include "cli/keyboard_connection.h"

#include <sys/stat.h>

#include <cstdlib>

namespace tavrin::cli {

KeyboardConnection::~KeyboardConnection()
{
    if (context_)
        context_->Session().Service().End();
}

namespace {

// With the emulator chosen, a socket that is not there is said at once instead of waiting for a
// keyboard that cannot come.
std::string EmulatorSocketProblem()
{
    const char* socket = std::getenv("TOLVEX_EMULATOR");
    if (!socket || !*socket)
        return {};
    struct stat status { };
    if (::stat(socket, &status) != 0)
        return std::string("the keyboard emulator's socket ") + socket + " does not exist (TOLVEX_EMULATOR)";
    if (!S_ISSOCK(status.st_mode))
        return std::string("TOLVEX_EMULATOR names ") + socket + ", which is not a socket";
    return {};
}

}  // namespace

std::string KeyboardConnection::Open(const std::string& libraryFolder, std::chrono::milliseconds wait)
{
    if (std::string problem = EmulatorSocketProblem(); !problem.empty())
        return problem;
    std::string failure;
    context_ = profiles::KeyboardContext::Bind(libraryFolder, messages_, failure);
    if (!context_)
        return failure;
    context_->RegisterDeviceReads();
    if (!context_->WaitForKeyboard(wait))
        return "no keyboard is connected";
    return {};
}

}  // namespace tavrin::cli
