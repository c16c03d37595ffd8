// A camera of a scene, in the engine's axes; the field of view is in degrees
// as the file gives it.
#pragma once

#include <string>

namespace lib3d {

struct SceneCamera {
    std::string name;
    float position[3] = {0, 0, 0};
    float target[3] = {0, 0, 0};
    float roll = 0;
    float fov = 0;
};

}  // namespace lib3d
