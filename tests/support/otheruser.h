#pragma once

// Runs a piece of a test as an ordinary user, for the rules that root is above
// (a folder closed to writing). Tests running as root hand the work to a child
// process that becomes the "nobody" user; any other user runs it directly.

#include <functional>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Kernwick::Test {

/// The user and group a root test hands files to and works as.
inline constexpr uid_t OtherUser = 65534;
inline constexpr gid_t OtherGroup = 65534;

/// Runs `work` as an ordinary user and returns whether it returned true.
inline bool runAsOrdinaryUser(const std::function<bool()> &work)
{
    if (::geteuid() != 0)
        return work();
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::setgroups(0, nullptr) == 0 &&
                             ::setresgid(OtherGroup, OtherGroup, OtherGroup) == 0 &&
                             ::setresuid(OtherUser, OtherUser, OtherUser) == 0;
        ::_exit(dropped && work() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

} // namespace Kernwick::Test
