#pragma once
// Meshes and textures for the effect tests: indexed squares and spheres in
// the vertex layout the effects read (position, normal, diffuse, two
// texture sets), solid textures, and a camera at the origin looking along +z.

#include <cstdint>
#include <memory>

#include "lib3d/Engine.h"
#include "lib3d/MeshEffects.h"

namespace effecttest {

constexpr uint32_t kFormat =
    device::FvfXyz | device::FvfNormal | device::FvfDiffuse | device::FvfTex2;

struct TestMesh {
    std::unique_ptr<device::VertexBuffer> vertices;
    std::unique_ptr<device::IndexBuffer> indices;
    int triangles = 0;
    lib3d::DrawRange Range() const;
    void Draw(lib3d::Engine *engine) const;
};

// A square of side 2 * half centred at (0, 0, z), facing the camera, with
// texture coordinates 0..1 on both sets and one diffuse colour.
TestMesh Square(lib3d::Engine *engine, float z, float half, uint32_t argb);
// A sphere with shared vertices (so that a shadow volume made from it is
// closed) and outward normals.
TestMesh Sphere(lib3d::Engine *engine, float cx, float cy, float cz, float radius, uint32_t argb);

// A camera at the origin looking along +z with the engine's projection.
void LookAlongZ(lib3d::Engine *engine);

int SolidTexture(lib3d::Engine *engine, int r, int g, int b);

}  // namespace effecttest
