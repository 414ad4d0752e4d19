#include "platform/shell/Shell.h"

#include "platform/kernel/Path.h"

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace platform
{

int Shell::execute(const std::u16string& verb, const std::u16string& file)
{
    ShellRequest request{verb, file, false};
    int result = 42;
    if (launch_ && verb == u"open")
    {
        std::string program = opener_;
        std::string argument = path::toNative(file);
        char* argv[] = {program.data(), argument.data(), nullptr};
        pid_t child = 0;
        // The opener starts with no signal blocked: a publish that has
        // replaced its target holds the interrupting signals back until it
        // ends, and the opener must not inherit that.
        posix_spawnattr_t attributes;
        ::posix_spawnattr_init(&attributes);
        sigset_t none;
        sigemptyset(&none);
        ::posix_spawnattr_setsigmask(&attributes, &none);
        ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
        const int spawned =
            ::posix_spawnp(&child, program.c_str(), nullptr, &attributes, argv, environ);
        ::posix_spawnattr_destroy(&attributes);
        if (spawned == 0)
        {
            request.launched = true;
            int status = 0;
            // The opener hands the file to a viewer and returns; waiting for
            // it keeps no zombie behind.
            ::waitpid(child, &status, 0);
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
                result = 2;
        }
        else
        {
            result = 2; // file not found, as the system reports a missing program
        }
    }
    requests_.push_back(request);
    return result;
}

Shell& shell()
{
    static Shell instance;
    return instance;
}

} // namespace platform
