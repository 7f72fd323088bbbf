#include "cli/keyboard_connection.h"

#include <sys/stat.h>

#include <cstdlib>

#include "platform/hidraw_access.h"

namespace tavrin::cli {

KeyboardConnection::~KeyboardConnection()
{
    hold_.reset();
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

// A failure with its likely cause: the keyboard is there, but this user may not open it.
std::string WithAccessHint(std::string failure)
{
    if (!failure.empty() && platform::KeyboardPresentButRefused())
        failure += " (the keyboard is plugged in, but its device files refuse you: 'tavrinctl doctor' tells why)";
    return failure;
}

}  // namespace

std::string KeyboardConnection::ReadArrivalState()
{
    return WithAccessHint(context_->ReadArrivalState());
}

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
        return WithAccessHint("no keyboard is connected");
    // The command is one unit: what it reads and what it writes are never cut into by the program
    // or another tavrinctl, which wait for it as it waits for them.
    hold_ = std::make_unique<device::KeyboardBracket>(context_->Session().Link().Owner());
    if (!hold_->Held())
        return "the keyboard stayed busy with another program for "
            + std::to_string(device::kKeyboardOwnerWait.count() / 1000) + " s; nothing was sent";
    return {};
}

}  // namespace tavrin::cli
