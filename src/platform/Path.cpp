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

bool MakeDirs(const std::string &path) {
    if (path.empty()) return false;
    for (size_t i = 1; i <= path.size(); i++) {
        if (i < path.size() && path[i] != '/') continue;
        if (path[i - 1] == '/') continue;  // "a//b" or a trailing '/'
        if (!MakeDir(path.substr(0, i).c_str())) return false;
    }
    return true;
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
