#include "app/start_up.h"

#include <unistd.h>

#include <cstdio>

#include "app/tavrin_app.h"
#include "app/window_messages.h"
#include "platform/user_folders.h"
#include "profiles/keyboard_changes.h"

namespace tavrin::app {

StartUp::StartUp()
    : runtimeFolder_(platform::RuntimeFolder())
    , address_(platform::InstanceAddressFor(runtimeFolder_, profiles::kInstanceMutexName))
{
}

bool StartUp::Claim(const QStringList& arguments, bool& shownOnce)
{
    shownOnce = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString argument = arguments[i];
        if (argument.compare("/Start", Qt::CaseInsensitive) == 0) {
            shownOnce = true;
        } else if (argument.compare("/Kill", Qt::CaseInsensitive) == 0) {
            if (address_ && SendInstanceMessage(address_->socketPath, {MSG_KILL, MSG_KILL_CHECK, 0})) {
                Trace("sent MSG_KILL");
                return false;
            }
        }
    }
    return ClaimSingleInstance();
}

bool StartUp::ClaimSingleInstance()
{
    if (!address_) {
        // A folder that others can enter would let them answer for us, or hold our lock.
        std::fprintf(stderr,
            "tavrin: no private runtime folder (XDG_RUNTIME_DIR unset or not this user's alone, and "
            "/tmp/tavrin-%u taken): running without the single-instance check\n",
            static_cast<unsigned>(::getuid()));
        return true;
    }
    if (lock_.TryAcquire(address_->lockPath)) {
        if (server_.Listen(address_->socketPath))
            return true;
        // A lock without a server would let the next start run beside us: neither is kept.
        lock_.Release();
        std::fprintf(stderr, "tavrin: cannot listen on %s (%s): not started, so that no second instance runs\n",
            address_->socketPath.c_str(), server_.ErrorString().c_str());
        return false;
    }
    if (SendInstanceMessage(address_->socketPath, {MSG_OPEN, MSG_OPEN_CHECK, 0})) {
        Trace("sent MSG_OPEN");
        return false;
    }
    // Held, but nobody answers: start anyway and leave the lock alone.
    return true;
}

void StartUp::Release()
{
    server_.Close();
    lock_.Release();
}

}  // namespace tavrin::app
