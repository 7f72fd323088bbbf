// What a start of the program does before its window exists: the command line ("/Start",
// "/Kill"), the single-instance lock with the channel through which later starts reach this one,
// and the background program.
#pragma once

#include <QStringList>
#include <optional>
#include <string>

#include "app/instance_channel.h"
#include "platform/instance_lock.h"

namespace tavrin::app {

class StartUp {
public:
    StartUp();
    StartUp(const StartUp&) = delete;
    StartUp& operator=(const StartUp&) = delete;

    // Handles the command line and claims the single instance. False when this process is to end
    // here: "/Kill" reached a running instance, or a running one was asked to show itself, or no
    // channel could be opened while the lock was ours. `shownOnce` is set by "/Start".
    bool Claim(const QStringList& arguments, bool& shownOnce);
    // From now on, later starts are answered by `handler` (the window's message dispatch).
    void Answer(InstanceServer::Handler handler) { server_.SetHandler(std::move(handler)); }
    // Closes the channel and lets the lock go: the shutdown's second step.
    void Release();

    // The user's private runtime folder; empty when there is none.
    const std::string& RuntimeFolder() const { return runtimeFolder_; }

private:
    bool ClaimSingleInstance();

    std::string runtimeFolder_;
    std::optional<platform::InstanceAddress> address_;
    platform::InstanceLock lock_;
    InstanceServer server_;
};

}  // namespace tavrin::app
