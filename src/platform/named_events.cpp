#include "platform/named_events.h"

#include <cstdio>
#include <fcntl.h>

namespace tavrin::platform {

int NamedEvents::Create(const std::string& prefix, int count)
{
    int created = 0;
    for (int number = 1; number <= count; ++number) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "Main_%02d", number);
        const std::string name = "/" + prefix + suffix;
        sem_t* handle = ::sem_open(name.c_str(), O_CREAT, 0600, 0);
        if (handle == SEM_FAILED)
            continue;
        names_.push_back(name);
        handles_.push_back(handle);
        ++created;
    }
    return created;
}

void NamedEvents::Close()
{
    for (std::size_t i = 0; i < handles_.size(); ++i) {
        ::sem_close(handles_[i]);
        ::sem_unlink(names_[i].c_str());
    }
    handles_.clear();
    names_.clear();
}

}  // namespace tavrin::platform
