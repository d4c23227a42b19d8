/*
 * RunAsNobody: fork, drop groups, group id and user id in that order, run the step, and
 * leave with _exit so the child runs no test-framework or static destructors.
 */
#include "fakes/AsNobody.h"

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

unsigned NobodyUid()
{
    const passwd* entry = getpwnam("nobody");
    return entry != nullptr ? entry->pw_uid : 65534u;
}

unsigned NobodyGid()
{
    const passwd* entry = getpwnam("nobody");
    return entry != nullptr ? entry->pw_gid : 65534u;
}

int RunAsNobody(const std::function<int()>& step)
{
    if (geteuid() != 0)
        return step() & 0xff;
    unsigned uid = NobodyUid();
    unsigned gid = NobodyGid();
    pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)
            _exit(255);
        _exit(step() & 0xff);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

bool GiveToNobody(const std::string& path)
{
    if (geteuid() != 0)
        return true;
    return chown(path.c_str(), NobodyUid(), NobodyGid()) == 0;
}
