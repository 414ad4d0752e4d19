#include "platform/shell/Shell.h"

#include "platform/kernel/Files.h"
#include "platform/kernel/Path.h"
#include "platform/kernel/Text.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace platform
{

namespace
{
constexpr int kFileNotFound = 2; // what the system's call answers for a missing program

// Why the opener `program` did not do its work, from its wait status.
std::string OpenerFailure(const std::string& program, int status)
{
    if (WIFEXITED(status))
        return "'" + program + "' exited with status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return "'" + program + "' was ended by signal " + std::to_string(WTERMSIG(status)) + " (" +
               ::strsignal(WTERMSIG(status)) + ")";
    return "'" + program + "' did not end normally";
}
} // namespace

int Shell::execute(const std::u16string& verb, const std::u16string& file, std::u16string* failure)
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
        std::string why;
        if (spawned == 0)
        {
            request.launched = true;
            int status = 0;
            // The opener hands the file to a viewer and returns; waiting for
            // it keeps no zombie behind. A wait cut short by a signal is
            // waited again, so that its status is the opener's.
            pid_t waited = -1;
            do
                waited = ::waitpid(child, &status, 0);
            while (waited < 0 && errno == EINTR);
            if (waited < 0)
                why = "'" + program + "' could not be waited for: " + systemReason(errno);
            else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
                why = OpenerFailure(program, status);
        }
        else if (spawned == ENOENT)
        {
            why = "no program '" + program + "' was found on the path";
        }
        else
        {
            why = "'" + program + "' could not be started: " + systemReason(spawned);
        }
        if (!why.empty())
        {
            result = kFileNotFound;
            if (failure)
                *failure = utf8ToUtf16(why);
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
