#pragma once
// Paths as the program forms them: always with '/', while a '\' read from a
// settings file is accepted as a separator too.
#include <string>

namespace platform {

inline bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// Joins two path pieces with exactly one '/' between them. A '\' that ends
// the first piece (as in "GamePath=.\") counts as a separator.
std::string JoinPath(const std::string &dir, const std::string &name);

// The path with every '\' turned into '/'.
std::string ToSlashes(const std::string &path);

// Creates one directory with mode 0755 (less the umask). True when it was
// created or already exists as a directory.
bool MakeDir(const char *path);
// Creates every missing directory along `path` ("a/b/c" makes a, a/b and
// a/b/c). True when all of them exist as directories afterwards.
bool MakeDirs(const std::string &path);

bool FileExists(const char *path);
bool IsDirectory(const char *path);

}  // namespace platform
