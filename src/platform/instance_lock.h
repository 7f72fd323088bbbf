// The single-instance lock: a file lock in the user's runtime folder. The system releases it when
// its holder exits in any way, so a crashed instance never blocks the next start.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace tavrin::platform {

// Where the single-instance lock and the running instance's socket live.
struct InstanceAddress {
    std::string lockPath;
    std::string socketPath;
};

// The longest path a local socket's address holds.
inline constexpr std::size_t kSocketPathLimit = 107;

// `name` and `name.lock` in `runtimeFolder`. A socket path too long for an address goes, under a
// name hashed from the runtime folder, into the fallback private folder; nothing when there is no
// runtime folder or no short place for the socket.
std::optional<InstanceAddress> InstanceAddressFor(const std::string& runtimeFolder, const std::string& name);

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock() { Release(); }
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this process now holds the lock `path`; false when another process holds it or the
    // file cannot be opened. A link at `path` is never followed.
    bool TryAcquire(const std::string& path);
    bool Held() const { return fd_ >= 0; }
    void Release();

private:
    int fd_ = -1;
    std::string path_;
};

}  // namespace tavrin::platform
