#include "platform/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin::platform {
namespace {

constexpr int kLinksFollowed = 40;

// The file a write to `path` must replace: links are followed to the file they name (which may not
// exist yet), so that the link itself survives the rename.
std::optional<std::string> ResolveLinks(const std::string& path, std::string& error)
{
    std::filesystem::path current = path;
    for (int i = 0; i < kLinksFollowed; ++i) {
        struct stat status { };
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return current.string();
        std::error_code code;
        const std::filesystem::path target = std::filesystem::read_symlink(current, code);
        if (code) {
            error = current.string() + ": " + code.message();
            return std::nullopt;
        }
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    error = path + ": " + std::strerror(ELOOP);
    return std::nullopt;
}

// A new file beside `target` under a short name of its own, so that even a target whose name is as
// long as a name may be gets one. Created with `mode` (less the umask).
int CreateTemporaryBeside(const std::string& target, mode_t mode, std::string& temporary)
{
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string folder = std::filesystem::path(target).parent_path().string();
    if (!folder.empty())
        folder += '/';
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = ".tvtmp-";
        for (int i = 0; i < 8; ++i)
            name += kLetters[generator() % (sizeof kLetters - 1)];
        temporary = folder + name;
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

}  // namespace

bool WriteFileAtomically(
    const std::string& path, std::string_view contents, std::string& error, bool flushToDisk, NewFileAccess access)
{
    const std::optional<std::string> resolved = ResolveLinks(path, error);
    if (!resolved)
        return false;
    const std::string& target = *resolved;
    std::error_code folderError;
    const auto folder = std::filesystem::path(target).parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder, folderError);

    struct stat existing { };
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        error = path + ": not a regular file";
        return false;
    }
    std::string temporary;
    const mode_t createMode = exists || access == NewFileAccess::Private ? 0600 : 0666;
    const int fd = CreateTemporaryBeside(target, createMode, temporary);
    if (fd < 0) {
        error = temporary + ": " + std::strerror(errno);
        return false;
    }
    auto fail = [&](const std::string& where) {
        error = where + ": " + std::strerror(errno);
        ::close(fd);
        ::unlink(temporary.c_str());
        return false;
    };
    std::size_t done = 0;
    while (done < contents.size()) {
        const ssize_t written = ::write(fd, contents.data() + done, contents.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return fail(temporary);
        done += static_cast<std::size_t>(written);
    }
    if (exists) {
        // The replacement is the same file to everyone: its mode, and its owner where we may set it
        // (a file of the user's that root writes stays the user's).
        if (::fchmod(fd, existing.st_mode & 07777) != 0)
            return fail(temporary);
        if ((existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())
            && ::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
            // Only root may give a file away: anyone else's copy stays theirs, with the mode kept.
        }
    }
    // On disk before the rename, so that a crash cannot leave an empty file under the old name.
    if (flushToDisk && ::fsync(fd) != 0)
        return fail(temporary);
    if (::close(fd) != 0) {
        error = temporary + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

namespace {

std::optional<std::string> ReadFile(const std::string& path, std::size_t limit, bool regularOnly)
{
    // Without blocking on open: a FIFO with no writer would otherwise hold the caller forever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | (regularOnly ? O_NONBLOCK : 0));
    if (fd < 0)
        return std::nullopt;
    struct stat status { };
    std::optional<std::string> contents;
    // The size is known up front for regular files: one buffer, no regrowth, and a file over the
    // limit is refused before anything is read. Other files (pipes) are read until their end.
    if (::fstat(fd, &status) == 0 && (!regularOnly || S_ISREG(status.st_mode))
        && (!S_ISREG(status.st_mode) || static_cast<std::uintmax_t>(status.st_size) <= limit)) {
        // One byte more than the file holds: reading into it is how its end is seen, without a
        // second, doubled buffer.
        std::string buffer(S_ISREG(status.st_mode) ? static_cast<std::size_t>(status.st_size) + 1 : 0, '\0');
        std::size_t filled = 0;
        bool failed = false;
        for (;;) {
            if (filled == buffer.size()) {
                if (buffer.size() >= limit + 1)
                    break;
                buffer.resize(std::min(limit + 1, std::max<std::size_t>(buffer.size() * 2, 16384)));
            }
            const ssize_t count = ::read(fd, buffer.data() + filled, buffer.size() - filled);
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0) {
                failed = count < 0;
                break;
            }
            filled += static_cast<std::size_t>(count);
        }
        if (!failed && filled <= limit) {
            buffer.resize(filled);
            contents = std::move(buffer);
        }
    }
    ::close(fd);
    return contents;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t limit)
{
    return ReadFile(path, limit, false);
}

std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t limit)
{
    return ReadFile(path, limit, true);
}

}  // namespace tavrin::platform
