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

std::string TemporaryNameFor(const std::string& path)
{
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".tmp-%d-%08llx", static_cast<int>(::getpid()),
        static_cast<unsigned long long>(generator() & 0xFFFFFFFFull));
    return path + suffix;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view contents, std::string& error, bool flushToDisk)
{
    std::error_code folderError;
    const auto folder = std::filesystem::path(path).parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder, folderError);

    const std::string temporary = TemporaryNameFor(path);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
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
    // On disk before the rename, so that a crash cannot leave an empty file under the old name.
    if (flushToDisk && ::fsync(fd) != 0)
        return fail(temporary);
    if (::close(fd) != 0) {
        error = temporary + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t limit)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat status { };
    std::optional<std::string> contents;
    // The size is known up front for regular files: one buffer, no regrowth, and a file over the
    // limit is refused before anything is read. Other files (pipes) are read until their end.
    if (::fstat(fd, &status) == 0
        && (!S_ISREG(status.st_mode) || static_cast<std::uintmax_t>(status.st_size) <= limit)) {
        std::string buffer(S_ISREG(status.st_mode) ? static_cast<std::size_t>(status.st_size) : 0, '\0');
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

}  // namespace tavrin::platform
