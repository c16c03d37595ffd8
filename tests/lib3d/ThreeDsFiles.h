// Small .3ds files made by the tests themselves with lib3ds's writer, and
// helpers to take them apart chunk by chunk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TestMesh {
    std::string name;
    std::vector<float> points;  // x, y, z per point (file axes)
    std::vector<float> texels;  // u, v per point; may be shorter than the points
    std::vector<int> faces;     // three point indices per face
    std::string material;       // of every face
};

struct TestMaterial {
    std::string name, texture;
    float ambient = 0.2f, diffuse = 0.8f, transparency = 0;
    bool selfIllum = false, twoSided = false;
};

struct TestScene {
    std::vector<TestMesh> meshes;
    std::vector<TestMaterial> materials;
    struct Light {
        std::string name;
        float position[3], colour[3];
    };
    std::vector<Light> lights;
    struct Camera {
        std::string name;
        float position[3], target[3], roll, fov;
    };
    std::vector<Camera> cameras;
    bool nodes = true;  // write the keyframer's node list
};

// Writes the scene with lib3ds and returns the file's bytes (empty on failure).
std::vector<uint8_t> WriteTestScene(const TestScene &scene);

// A scene of one triangle with a textured material, one light and one camera.
TestScene SmallScene();

// Writes bytes to a file; true on success.
bool WriteBytes(const std::string &path, const std::vector<uint8_t> &bytes);

// Offset of the first chunk with this id (searched through the whole file by
// walking the chunk tree, descending into every chunk whose contents parse
// as chunks), or -1.
long FindChunk(const std::vector<uint8_t> &file, uint16_t id);

// Little-endian access.
uint32_t GetDword(const std::vector<uint8_t> &b, size_t at);
void PutWord(std::vector<uint8_t> &b, size_t at, uint16_t v);
void PutDword(std::vector<uint8_t> &b, size_t at, uint32_t v);
