// The keyboard's lock between programs: an flock on a file in the user's private runtime folder,
// one file per keyboard (the emulator's socket gives its own), so that the program and any number
// of tavrinctl runs never interleave their sequences. The system lets it go when its holder exits
// in any way.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "device/keyboard_owner.h"

namespace tavrin::platform {

// Where the lock of the keyboard reached through `emulatorSocket` (empty: the real keyboard) lives
// in `runtimeFolder`; nothing without a runtime folder.
std::optional<std::string> KeyboardLockPath(const std::string& runtimeFolder, const std::string& emulatorSocket);

class KeyboardLockFile final : public device::CrossProcessLock {
public:
    explicit KeyboardLockFile(std::string path)
        : path_(std::move(path))
    {
    }
    ~KeyboardLockFile() override;
    KeyboardLockFile(const KeyboardLockFile&) = delete;
    KeyboardLockFile& operator=(const KeyboardLockFile&) = delete;

    // Polls for the lock until `wait` has passed. False also when the file cannot be opened (a link
    // or someone else's file at its place is never used).
    bool Acquire(std::chrono::milliseconds wait) override;
    void Release() override;

private:
    std::string path_;
    int fd_ = -1;  // opened at the first Acquire and kept
};

}  // namespace tavrin::platform
