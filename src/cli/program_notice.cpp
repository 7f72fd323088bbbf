#include "cli/program_notice.h"

#include "platform/instance_lock.h"
#include "platform/instance_notice.h"
#include "platform/user_folders.h"
#include "profiles/keyboard_changes.h"

namespace tavrin::cli {
namespace {

// The program answers at once and reads the keyboard afterwards; a program that does not answer
// within this is left to take the message when it can.
constexpr std::chrono::milliseconds kAnswerWait(500);

}  // namespace

ProgramNotice::~ProgramNotice()
{
    if (changes_ == 0)
        return;
    const std::optional<platform::InstanceAddress> address
        = platform::InstanceAddressFor(platform::RuntimeFolder(), profiles::kInstanceMutexName);
    if (address)
        platform::SendChannelMessage(address->socketPath,
            {profiles::kKeyboardChangedMessage, profiles::kKeyboardChangedCheck, changes_}, kAnswerWait);
}

}  // namespace tavrin::cli
