// Editable mesh data in main memory: vertices and triangles, from which a
// mesh fills its vertex and index buffers.
//
// Winding: a triangle's front is the side from which its corners (v0, v1,
// v2) are seen clockwise on screen, as the device culls counter-clockwise
// triangles by default. Its normal is (p2 - p0) x (p1 - p0), pointing out of
// the front in the engine's world axes.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace lib3d {

struct GeometryVertex {
    uint32_t id = 0;  // index at creation, kept through edits
    float position[3] = {0, 0, 0};
    float transformed[3] = {0, 0, 0};  // position after an animation or skin
    float normal[3] = {0, 0, 0};
    float transformedNormal[3] = {0, 0, 0};
    float uv0[2] = {0, 0};
    float uv1[2] = {0, 0};
    float colour[4] = {0, 0, 0, 0.3f};  // r, g, b, a
    float weights[4] = {0, 0, 0, 0};
    uint8_t bones[4] = {0, 0, 0, 0};
    // Working fields: how many triangles use the vertex, and a free mark.
    uint32_t triangleCount = 0;
    int mark = 0;
};

struct GeometryTriangle {
    uint32_t v[3] = {0, 0, 0};                                // vertex indices in drawing order
    GeometryVertex *corner[3] = {nullptr, nullptr, nullptr};  // refreshed by Finish
    float uv[3][2] = {{0, 0}, {0, 0}, {0, 0}};                // per-corner texture coordinates
    float normal[3] = {0, 0, 0};
    float plane = 0;  // the plane's distance: normal . p = plane
    float area = 0;
    bool flagA = false, flagB = false;  // free for algorithms walking the mesh
};

class Geometry {
public:
    // Index buffers hold 16-bit indices, so a geometry has at most this many
    // vertices.
    static constexpr int kMaxVertices = 65536;

    Geometry();

    // Replaces the contents by `vertices` new vertices and `triangles`
    // triangles (all zero). Returns 0 for a negative count or a vertex count
    // an index buffer cannot address; the geometry is then empty.
    int Allocate(int vertices, int triangles);
    void Clear();

    int VertexCount() const { return (int)vertices.size(); }
    int TriangleCount() const { return (int)triangles.size(); }

    // Setters ignore indices out of range; SetTriangle also refuses (returns
    // 0) corners naming a vertex that does not exist.
    void SetVertex(int i, float x, float y, float z);
    void SetTexCoord(int i, float u, float v);
    int SetTriangle(int i, int a, int b, int c);

    // Links triangle corners to their vertices, copies the vertices' texture
    // coordinates to the corners, and computes face normals and vertex
    // normals (area-weighted average of the faces around each vertex).
    void Finish();

    // Applies a row-vector matrix (translation in elements 12..14) to every
    // position, and its inverse transpose to every normal, in place.
    void Transform(const float m[16]);

    // Index of the first triangle having the directed edge a-b as one of
    // (v0, v1), (v1, v2), (v2, v0); -1 if none.
    int FindTriangleByEdge(int a, int b) const;

    // Object transform: rotation by the quaternion (x, y, z, w), then the
    // translation by `position`.
    void WorldMatrix(float out[16]) const;

    std::vector<GeometryVertex> vertices;
    std::vector<GeometryTriangle> triangles;
    std::unique_ptr<Geometry> children[2];  // optional parts, owned

    float position[3] = {0, 0, 0};
    float orientation[4] = {0, 0, 0, 1};

    // Two free vectors a scene can set on all its meshes at once, handed to
    // effects (for example a light direction and a colour).
    float vector1[3] = {0, 0, 0};
    float vector2[3] = {0, 0, 0};
};

}  // namespace lib3d
