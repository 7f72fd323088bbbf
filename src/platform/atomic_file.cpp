#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
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
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return std::nullopt;
    std::string contents;
    char chunk[16384];
    std::size_t count = 0;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        contents.append(chunk, count);
        if (contents.size() > limit) {
            std::fclose(file);
            return std::nullopt;
        }
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        return std::nullopt;
    return contents;
}

}  // namespace tavrin::platform
