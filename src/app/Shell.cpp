#include "app/Shell.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace platform {

void ShellOpenWith(const char *program, const char *path) {
    if (!program || !path) return;
    const char *noHelp = getenv("MARBRIX_NO_HELP");
    if (noHelp && strcmp(noHelp, "1") == 0) return;
    // An absolute path means the same file to whatever the opener hands it
    // on to; a file that does not exist is passed on as given.
    char absolute[PATH_MAX];
    const char *target = realpath(path, absolute) ? absolute : path;
    // Two forks: the middle process exits at once, so the opener is adopted
    // by init and never becomes a zombie of ours, and it outlives us freely.
    pid_t child = fork();
    if (child < 0) return;
    if (child == 0) {
        setsid();
        pid_t opener = fork();
        if (opener == 0) {
            int devnull = open("/dev/null", O_RDWR);
            if (devnull >= 0) {
                dup2(devnull, 0);
                dup2(devnull, 1);
                dup2(devnull, 2);
                if (devnull > 2) close(devnull);
            }
            execlp(program, program, target, (char *)nullptr);
            _exit(127);
        }
        _exit(0);
    }
    // Reap only the short-lived middle process.
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
}

void ShellOpen(const char *path) {
    ShellOpenWith("xdg-open", path);
}

}  // namespace platform
