// A light of a scene, in the engine's axes.
#pragma once

#include <string>

namespace lib3d {

struct Light {
    std::string name;
    float position[3] = {0, 0, 0};
    float colour[3] = {0, 0, 0};
};

}  // namespace lib3d
