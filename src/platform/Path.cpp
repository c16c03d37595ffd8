#include "platform/Path.h"

namespace platform {

std::string JoinPath(const std::string &dir, const std::string &name) {
    if (dir.empty()) return name;
    char last = dir.back();
    if (last == '/' || last == '\\') return dir.substr(0, dir.size() - 1) + "/" + name;
    return dir + "/" + name;
}

}  // namespace platform
