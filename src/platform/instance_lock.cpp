#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>

#include "platform/short_hash.h"
#include "platform/user_folders.h"

namespace tavrin::platform {

std::optional<InstanceAddress> InstanceAddressFor(const std::string& runtimeFolder, const std::string& name)
{
    if (runtimeFolder.empty())
        return std::nullopt;
    InstanceAddress address{runtimeFolder + "/" + name + ".lock", runtimeFolder + "/" + name};
    if (address.socketPath.size() <= kSocketPathLimit)
        return address;
    const std::string fallback = FallbackRuntimeFolder();
    if (fallback.empty())
        return std::nullopt;
    char hash[16];
    std::snprintf(hash, sizeof hash, "-%08x", ShortHash(runtimeFolder));
    address.socketPath = fallback + "/" + name + hash;
    if (address.socketPath.size() > kSocketPathLimit)
        return std::nullopt;
    return address;
}

bool InstanceLock::TryAcquire(const std::string& path)
{
    Release();
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    path_ = path;
    return true;
}

void InstanceLock::Release()
{
    if (fd_ < 0)
        return;
    // The file stays: removing it could let two starts each lock a different file of that name.
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

}  // namespace tavrin::platform
