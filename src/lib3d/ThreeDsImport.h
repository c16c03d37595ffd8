// Reading a .3ds file into plain records, without touching the display: the
// scene loader turns them into meshes, materials, lights and cameras.
//
// The file's axes are z-up; every position, target and light position is
// turned into the engine's y-up axes by the conversion matrix (a quarter turn
// about x): (x, y, z) -> (x, z, -y). Texture v is negated (images run top
// down in the engine), and each face (a, b, c) becomes the triangle (a, c, b),
// which keeps the faces of a modelling tool's file facing the viewer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lib3d/Geometry.h"

namespace lib3d {

// Bits of the `what` mask of a scene load.
enum ThreeDsWhat { kThreeDsMeshes = 1, kThreeDsLights = 2, kThreeDsCameras = 4 };

struct ThreeDsMaterial {
    std::string name;
    std::string texture;  // file name of the first texture map; empty for none
    float ambient[4] = {0, 0, 0, 1};
    float diffuse[4] = {0, 0, 0, 1};
    bool lit = true;  // false for a self-illuminated material
    bool twoSided = false;
};

struct ThreeDsMesh {
    std::string name;
    std::unique_ptr<Geometry> geometry;
    int material = -1;  // index in the materials, -1 for a mesh without faces
};

struct ThreeDsLight {
    std::string name;
    float position[3] = {0, 0, 0};
    float colour[3] = {0, 0, 0};
};

struct ThreeDsCamera {
    std::string name;
    float position[3] = {0, 0, 0};
    float target[3] = {0, 0, 0};
    float roll = 0;
    float fov = 0;
};

// One object of the file, in the order of the file's node list.
struct ThreeDsItem {
    enum Kind { kMesh, kLight, kCamera } kind;
    int index;  // in the list of its kind
};

struct ThreeDsData {
    float ambient[3] = {0, 0, 0};
    std::vector<ThreeDsMaterial> materials;  // in order of first use
    std::vector<ThreeDsMesh> meshes;
    std::vector<ThreeDsLight> lights;
    std::vector<ThreeDsCamera> cameras;
    std::vector<ThreeDsItem> order;
};

// The conversion matrix (row vectors, translation in elements 12..14).
extern const float kThreeDsToEngine[16];

// Checks and reads a file held in memory. `what` selects meshes, lights and
// cameras (ThreeDsWhat bits). Returns true and fills `out`, or false with a
// one-line reason in `error` and `out` untouched.
bool ThreeDsRead(const uint8_t *data, size_t size, int what, ThreeDsData &out, char *error,
                 size_t errorSize);

// The same for a file on disk.
bool ThreeDsReadFile(const char *path, int what, ThreeDsData &out, char *error, size_t errorSize);

}  // namespace lib3d
