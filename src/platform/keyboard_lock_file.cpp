#include "platform/keyboard_lock_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/short_hash.h"

namespace tavrin::platform {

std::optional<std::string> KeyboardLockPath(const std::string& runtimeFolder, const std::string& emulatorSocket)
{
    if (runtimeFolder.empty())
        return std::nullopt;
    if (emulatorSocket.empty())
        return runtimeFolder + "/tavrin-keyboard.lock";
    char hash[16];
    std::snprintf(hash, sizeof hash, "-%08x", ShortHash(emulatorSocket));
    return runtimeFolder + "/tavrin-keyboard" + hash + ".lock";
}

KeyboardLockFile::~KeyboardLockFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool KeyboardLockFile::Acquire(std::chrono::milliseconds wait)
{
    if (fd_ < 0) {
        const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            return false;
        struct stat status { };
        if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid()) {
            ::close(fd);
            return false;
        }
        fd_ = fd;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    // Sequences last milliseconds: a short poll that slows down a little is enough.
    std::chrono::microseconds pause{200};
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::microseconds(5000));
    }
}

void KeyboardLockFile::Release()
{
    if (fd_ >= 0)
        ::flock(fd_, LOCK_UN);
}

}  // namespace tavrin::platform
