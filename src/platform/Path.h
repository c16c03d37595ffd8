#pragma once
#include <string>

namespace platform {

// Joins two path pieces with exactly one '/' between them. A '\' that ends
// the first piece (as in "GamePath=.\") counts as a separator.
std::string JoinPath(const std::string &dir, const std::string &name);

}  // namespace platform
