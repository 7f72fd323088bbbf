// The single-instance lock: a file lock in the user's runtime folder. The system releases it when
// its holder exits in any way, so a crashed instance never blocks the next start.
#pragma once

#include <string>

namespace tavrin::platform {

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock() { Release(); }
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this process now holds the lock `path`; false when another process holds it.
    bool TryAcquire(const std::string& path);
    bool Held() const { return fd_ >= 0; }
    void Release();

private:
    int fd_ = -1;
    std::string path_;
};

}  // namespace tavrin::platform
