// Named auto-reset events that other programs of the user may wait on: POSIX named semaphores,
// created at start-up and closed and removed at exit.
#pragma once

#include <semaphore.h>
#include <string>
#include <vector>

namespace tavrin::platform {

class NamedEvents {
public:
    NamedEvents() = default;
    ~NamedEvents() { Close(); }
    NamedEvents(const NamedEvents&) = delete;
    NamedEvents& operator=(const NamedEvents&) = delete;

    // Creates "/" + prefix + "Main_%02d" for 1 … count, each initially clear. Returns how many
    // could be created; one that cannot is skipped (nothing in the program depends on them).
    int Create(const std::string& prefix, int count);
    void Close();
    const std::vector<std::string>& Names() const { return names_; }

private:
    std::vector<std::string> names_;
    std::vector<sem_t*> handles_;
};

}  // namespace tavrin::platform
