// A drawable object: editable geometry, the vertex and index buffers built
// from it, and the material it is drawn with.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/Device.h"
#include "lib3d/Geometry.h"

namespace lib3d {

class Engine;
class Shader;
struct Material;

// What BuildBuffers writes for each vertex.
enum MeshLayout : uint32_t {
    kLayoutPosition = 0x1,
    kLayoutColour = 0x2,    // the vertex colour, packed
    kLayoutCornerUV = 0x4,  // texture coordinates of the triangle corners (without kLayoutUV)
    kLayoutNormal = 0x8,
    kLayoutUV1 = 0x40,           // with kLayoutUV: the second set as well
    kLayoutUV = 0x80,            // texture coordinates of the vertices
    kLayoutTransformed = 0x100,  // transformed positions and normals instead of the raw ones
    kLayoutBlend = 0x8000,       // 4 blend weights and 4 blend indices
};

// Mesh flags choosing a drawing path.
enum MeshFlags : uint32_t {
    kMeshShadowCaster = 0x1000,
    kMeshScriptEffect = 0x4000,
};

class Mesh {
public:
    explicit Mesh(Engine *engine);
    ~Mesh();
    Mesh(const Mesh &) = delete;
    Mesh &operator=(const Mesh &) = delete;

    // Fills the GPU buffers from the geometry with the given layout flags.
    // Dynamic buffers are for meshes refilled while they are drawn. Returns 0
    // (and keeps no buffers) when the geometry cannot be held in 16-bit
    // indices or the engine cannot make the buffers.
    int BuildBuffers(uint32_t layout, bool dynamic = false);

    // Applies the material's states (texture, depth, culling, lighting and
    // colours) and draws the triangles.
    void Draw();

    // Draws the triangles with whatever states are current, leaving the
    // material out: for passes whose caller sets every state itself (planar
    // shadows and the like).
    void DrawDirect();

    // Until DrawAllTriangles, Draw and DrawDirect draw only these triangles
    // (three indices each, into the vertex buffer): for leaving out what is
    // known to be hidden. Indices past the vertices, or more than the mesh
    // has, leave the mesh drawn whole.
    void DrawOnlyTriangles(const std::vector<uint16_t> &indices);
    void DrawAllTriangles();
    int DrawnTriangles() const { return only_ ? onlyTriangles_ : triangleCount; }

    // Loads a script effect into the mesh's effect slot (see Shader::Load);
    // on success the mesh is drawn with it (flag kMeshScriptEffect). Returns
    // null, or the load's message; the mesh then keeps its other paths.
    const char *LoadShader(const char *scriptText);

    // The device vertex format a layout is written in.
    static uint32_t FormatFor(uint32_t layout);

    Engine *engine;
    std::string name;
    Geometry geometry;

    std::unique_ptr<device::VertexBuffer> vertexBuffer;
    std::unique_ptr<device::IndexBuffer> indexBuffer;
    uint32_t layout = 0;  // flags the buffers were filled with
    uint32_t format = 0;  // their device vertex format
    int triangleCount = 0;

    // Effect slot: flags of the drawing paths the effect code adds
    // (kMeshScriptEffect, kMeshShadowCaster), the light slot a shadow volume
    // is cast from and how far it is pushed.
    uint32_t flags = 0;
    int shadowLight = 0;
    float extrusion = 0;
    std::unique_ptr<Shader> shader;  // the script effect, once one is loaded

    Material *material = nullptr;  // shared with the scene, not owned

private:
    void Submit();

    std::unique_ptr<device::IndexBuffer> only_;  // the triangles to draw, when some are left out
    int onlyTriangles_ = 0;
};

}  // namespace lib3d
