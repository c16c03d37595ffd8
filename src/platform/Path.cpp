#include "platform/Path.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>

namespace platform {

std::string JoinPath(const std::string &dir, const std::string &name) {
    if (dir.empty()) return name;
    if (IsSeparator(dir.back())) return dir.substr(0, dir.size() - 1) + "/" + name;
    return dir + "/" + name;
}

std::string ToSlashes(const std::string &path) {
    std::string out = path;
    for (char &c : out)
        if (c == '\\') c = '/';
    return out;
}

bool MakeDir(const char *path) {
    if (!path || !*path) return false;
    if (mkdir(path, 0755) == 0) return true;
    return errno == EEXIST && IsDirectory(path);
}

bool FileExists(const char *path) {
    struct stat st;
    return path && stat(path, &st) == 0;
}

bool IsDirectory(const char *path) {
    struct stat st;
    return path && stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace platform
