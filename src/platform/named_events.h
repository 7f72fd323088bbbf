// Named auto-reset events that other programs of the user may wait on: POSIX named semaphores,
// created at start-up and closed at exit. Such names are shared by the whole machine, so each user
// session gets names of its own, made for this user alone.
#pragma once

#include <semaphore.h>

#include <string>
#include <vector>

namespace tavrin::platform {

// `base` followed by the user's id and a short hash of the session's runtime folder, so that two
// users, or two sessions of one user, never share a name.
std::string SessionEventPrefix(const std::string& base, const std::string& runtimeFolder);

class NamedEvents {
public:
    NamedEvents() = default;
    ~NamedEvents() { Close(); }
    NamedEvents(const NamedEvents&) = delete;
    NamedEvents& operator=(const NamedEvents&) = delete;

    // Opens "/" + prefix + "Main_%02d" for 1 … count, each initially clear and open to this user
    // only (mode 0600). A name that exists already is used when this user owns it (left by an
    // instance that ended without closing) and skipped when someone else does. Returns how many
    // are open.
    int Create(const std::string& prefix, int count);
    // Closes every event and removes the names this instance created, and only those.
    void Close();
    const std::vector<std::string>& Names() const { return names_; }

private:
    struct Event {
        sem_t* handle;
        bool created;
    };
    std::vector<std::string> names_;
    std::vector<Event> events_;
};

}  // namespace tavrin::platform
