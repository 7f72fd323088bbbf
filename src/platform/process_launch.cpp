#include "platform/process_launch.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tavrin::platform {

bool LaunchDetached(const std::string& program)
{
    if (::access(program.c_str(), X_OK) != 0)
        return false;
    // Fork twice so that the program is adopted by init and never becomes our zombie.
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        ::setsid();
        if (::fork() != 0)
            ::_exit(0);
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
        }
        char* const arguments[] = {const_cast<char*>(program.c_str()), nullptr};
        ::execv(program.c_str(), arguments);
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace tavrin::platform
