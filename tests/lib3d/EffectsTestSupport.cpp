#include "lib3d/EffectsTestSupport.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "lib3d/Matrix.h"
#include "lib3d/SphereGrid.h"

namespace effecttest {
namespace {

struct Vertex {
    float x, y, z, nx, ny, nz;
    uint32_t colour;
    float u0, v0, u1, v1;
};
static_assert(sizeof(Vertex) == 44, "layout of kFormat");

TestMesh Build(lib3d::Engine *engine, const std::vector<Vertex> &v,
               const std::vector<uint16_t> &index) {
    TestMesh m;
    m.vertices = engine->CreateVertexBuffer(static_cast<int>(v.size()), kFormat, false);
    m.indices = engine->CreateIndexBuffer(static_cast<int>(index.size()), false);
    std::memcpy(m.vertices->Lock(), v.data(), v.size() * sizeof(Vertex));
    m.vertices->Unlock();
    std::memcpy(m.indices->Lock(), index.data(), index.size() * sizeof(uint16_t));
    m.indices->Unlock();
    m.triangles = static_cast<int>(index.size() / 3);
    return m;
}

}  // namespace

lib3d::DrawRange TestMesh::Range() const {
    lib3d::DrawRange r;
    r.vertices = vertices.get();
    r.indices = indices.get();
    r.firstIndex = 0;
    r.triangles = triangles;
    return r;
}

void TestMesh::Draw(lib3d::Engine *engine) const {
    engine->DrawIndexed(*vertices, *indices, 0, triangles);
}

TestMesh Square(lib3d::Engine *engine, float z, float half, uint32_t argb) {
    const std::vector<Vertex> v = {
        {-half, -half, z, 0, 0, -1, argb, 0, 0, 0, 0},
        {half, -half, z, 0, 0, -1, argb, 1, 0, 1, 0},
        {half, half, z, 0, 0, -1, argb, 1, 1, 1, 1},
        {-half, half, z, 0, 0, -1, argb, 0, 1, 0, 1},
    };
    return Build(engine, v, {0, 1, 2, 0, 2, 3});
}

TestMesh Sphere(lib3d::Engine *engine, float cx, float cy, float cz, float radius, uint32_t argb) {
    const int rings = 12, segments = 16;
    std::vector<Vertex> v;
    for (int r = 0; r <= rings; r++) {
        const float a = 3.14159265f * r / rings;
        for (int s = 0; s <= segments; s++) {
            const float b = 2 * 3.14159265f * s / segments;
            const float nx = std::sin(a) * std::cos(b), ny = std::cos(a),
                        nz = std::sin(a) * std::sin(b);
            v.push_back({cx + radius * nx, cy + radius * ny, cz + radius * nz, nx, ny, nz, argb,
                         float(s) / segments, float(r) / rings, 0, 0});
        }
    }
    std::vector<float> xyz;
    for (const Vertex &p : v) xyz.insert(xyz.end(), {p.x, p.y, p.z});
    const std::vector<uint16_t> index = lib3d::SphereGridIndices(xyz, rings, segments);
    return Build(engine, v, index);
}

void LookAlongZ(lib3d::Engine *engine) {
    engine->SetProjection();
    const float eye[3] = {0, 0, 0}, along[3] = {0, 0, 1};
    float view[16], identity[16];
    lib3d::Matrix::LookAt(view, eye, along, 0.0f);
    engine->SetView(view);
    lib3d::Matrix::Identity(identity);
    engine->SetWorld(identity);
}

int SolidTexture(lib3d::Engine *engine, int r, int g, int b) {
    std::vector<uint8_t> p(8 * 8 * 4);
    for (size_t i = 0; i < p.size(); i += 4) {
        p[i] = static_cast<uint8_t>(r);
        p[i + 1] = static_cast<uint8_t>(g);
        p[i + 2] = static_cast<uint8_t>(b);
        p[i + 3] = 255;
    }
    return engine->CreateTexture(8, p.data(), 8, false);
}

}  // namespace effecttest
