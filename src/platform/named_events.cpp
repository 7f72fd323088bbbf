#include "platform/named_events.h"

#include "platform/short_hash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace tavrin::platform {
namespace {

// Where Linux keeps a named semaphore, to see whose it is.
bool OwnedByThisUser(const std::string& name)
{
    struct stat status { };
    const std::string file = "/dev/shm/sem." + name.substr(1);
    return ::lstat(file.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == ::geteuid();
}

}  // namespace

std::string SessionEventPrefix(const std::string& base, const std::string& runtimeFolder)
{
    char tag[32];
    std::snprintf(tag, sizeof tag, "%u_%08x_", static_cast<unsigned>(::geteuid()), ShortHash(runtimeFolder));
    return base + tag;
}

int NamedEvents::Create(const std::string& prefix, int count)
{
    for (int number = 1; number <= count; ++number) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "Main_%02d", number);
        const std::string name = "/" + prefix + suffix;
        sem_t* handle = ::sem_open(name.c_str(), O_CREAT | O_EXCL, 0600, 0);
        bool created = handle != SEM_FAILED;
        if (!created && errno == EEXIST && OwnedByThisUser(name))
            handle = ::sem_open(name.c_str(), 0);
        if (handle == SEM_FAILED)
            continue;
        names_.push_back(name);
        events_.push_back({handle, created});
    }
    return static_cast<int>(events_.size());
}

void NamedEvents::Close()
{
    for (std::size_t i = 0; i < events_.size(); ++i) {
        ::sem_close(events_[i].handle);
        if (events_[i].created)
            ::sem_unlink(names_[i].c_str());
    }
    events_.clear();
    names_.clear();
}

}  // namespace tavrin::platform
