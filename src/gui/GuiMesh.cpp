#include "gui/GuiMesh.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

#include "lib3d/ThreeDsImport.h"

namespace gui {

namespace {

void Sub(const float a[3], const float b[3], float out[3]) {
    for (int i = 0; i < 3; i++) out[i] = a[i] - b[i];
}

void Cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

float Dot(const float a[3], const float b[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// Slab test of the ray against the box, t >= 0.
bool RayMeetsBox(const float o[3], const float d[3], const float lo[3], const float hi[3]) {
    float tmin = 0.0f, tmax = 1e30f;
    for (int i = 0; i < 3; i++) {
        if (std::fabs(d[i]) < 1e-12f) {
            if (o[i] < lo[i] || o[i] > hi[i]) return false;
            continue;
        }
        float t0 = (lo[i] - o[i]) / d[i], t1 = (hi[i] - o[i]) / d[i];
        if (t0 > t1) std::swap(t0, t1);
        if (t0 > tmin) tmin = t0;
        if (t1 < tmax) tmax = t1;
        if (tmin > tmax) return false;
    }
    return true;
}

// Möller-Trumbore, either side of the triangle, t >= 0.
bool RayMeetsTriangle(const float o[3], const float d[3], const float a[3], const float b[3],
                      const float c[3]) {
    float e1[3], e2[3], p[3], s[3], q[3];
    Sub(b, a, e1);
    Sub(c, a, e2);
    Cross(d, e2, p);
    const float det = Dot(e1, p);
    if (std::fabs(det) < 1e-12f) return false;
    const float inv = 1.0f / det;
    Sub(o, a, s);
    const float u = Dot(s, p) * inv;
    if (u < 0.0f || u > 1.0f) return false;
    Cross(s, e1, q);
    const float v = Dot(d, q) * inv;
    if (v < 0.0f || u + v > 1.0f) return false;
    return Dot(e2, q) * inv >= 0.0f;
}

std::map<std::string, std::unique_ptr<GuiMesh>> &Cache() {
    // Meshes are shared by widgets for the life of the program.
    static std::map<std::string, std::unique_ptr<GuiMesh>> cache;
    return cache;
}

bool FromData(const lib3d::ThreeDsData &data, GuiMesh *out) {
    if (data.order.empty() || data.order[0].kind != lib3d::ThreeDsItem::kMesh) return false;
    const lib3d::ThreeDsMesh &m = data.meshes[(size_t)data.order[0].index];
    if (!m.geometry) return false;
    const lib3d::Geometry &g = *m.geometry;
    out->name = m.name;
    out->vertices.clear();
    out->indices.clear();
    out->vertices.reserve((size_t)g.VertexCount());
    for (const lib3d::GeometryVertex &v : g.vertices) {
        GuiVertex gv;
        // The reader already turned positions into y-up axes; its texture v
        // is the file's negated, and the widgets want 1 - v.
        for (int i = 0; i < 3; i++) gv.position[i] = v.position[i];
        gv.uv[0] = v.uv0[0];
        gv.uv[1] = 1.0f + v.uv0[1];
        gv.normal[0] = gv.normal[1] = gv.normal[2] = 0;
        out->vertices.push_back(gv);
    }
    for (const lib3d::GeometryTriangle &t : g.triangles) {
        for (int c = 0; c < 3; c++) out->indices.push_back((uint16_t)t.v[c]);
    }
    out->Finish();
    return true;
}

}  // namespace

void GuiMesh::Finish() {
    for (GuiVertex &v : vertices) v.normal[0] = v.normal[1] = v.normal[2] = 0;
    for (size_t t = 0; t + 2 < indices.size(); t += 3) {
        GuiVertex *c[3];
        bool ok = true;
        for (int k = 0; k < 3; k++) {
            if (indices[t + k] >= vertices.size()) ok = false;
        }
        if (!ok) continue;
        for (int k = 0; k < 3; k++) c[k] = &vertices[indices[t + k]];
        float e1[3], e2[3], n[3];
        // The front is the side seen clockwise, as elsewhere in the engine.
        Sub(c[2]->position, c[0]->position, e1);
        Sub(c[1]->position, c[0]->position, e2);
        Cross(e1, e2, n);
        for (int k = 0; k < 3; k++)
            for (int i = 0; i < 3; i++) c[k]->normal[i] += n[i];
    }
    for (GuiVertex &v : vertices) {
        const float len = std::sqrt(Dot(v.normal, v.normal));
        if (len > 0)
            for (int i = 0; i < 3; i++) v.normal[i] /= len;
    }
    if (vertices.empty()) {
        for (int i = 0; i < 3; i++) boxMin[i] = boxMax[i] = 0;
    } else {
        for (int i = 0; i < 3; i++) boxMin[i] = boxMax[i] = vertices[0].position[i];
        for (const GuiVertex &v : vertices) {
            for (int i = 0; i < 3; i++) {
                if (v.position[i] < boxMin[i]) boxMin[i] = v.position[i];
                if (v.position[i] > boxMax[i]) boxMax[i] = v.position[i];
            }
        }
    }
    frontDepth = boxMax[2] + 0.5f;
    revision++;
}

bool GuiMesh::Intersects(const float origin[3], const float dir[3]) const {
    if (vertices.empty() || !RayMeetsBox(origin, dir, boxMin, boxMax)) return false;
    for (size_t t = 0; t + 2 < indices.size(); t += 3) {
        if (indices[t] >= vertices.size() || indices[t + 1] >= vertices.size() ||
            indices[t + 2] >= vertices.size())
            continue;
        if (RayMeetsTriangle(origin, dir, vertices[indices[t]].position,
                             vertices[indices[t + 1]].position, vertices[indices[t + 2]].position))
            return true;
    }
    return false;
}

GuiMesh *GuiMesh::load(const char *file) {
    if (!file) return nullptr;
    auto &cache = Cache();
    auto it = cache.find(file);
    if (it != cache.end()) return it->second.get();
    lib3d::ThreeDsData data;
    char error[256];
    std::unique_ptr<GuiMesh> mesh;
    if (!lib3d::ThreeDsReadFile(
            file, lib3d::kThreeDsMeshes | lib3d::kThreeDsLights | lib3d::kThreeDsCameras, data,
            error, sizeof(error))) {
        fprintf(stderr, "Can't open 3DS file %s \n", file);
    } else {
        mesh.reset(new GuiMesh());
        if (!FromData(data, mesh.get())) mesh.reset();
    }
    GuiMesh *result = mesh.get();
    cache[file] = std::move(mesh);
    return result;
}

bool GuiMesh::fromThreeDs(const uint8_t *data, size_t size, GuiMesh *out) {
    lib3d::ThreeDsData parsed;
    char error[256];
    if (!lib3d::ThreeDsRead(data, size,
                            lib3d::kThreeDsMeshes | lib3d::kThreeDsLights | lib3d::kThreeDsCameras,
                            parsed, error, sizeof(error)))
        return false;
    return FromData(parsed, out);
}

void GuiMesh::makePanel(GuiMesh *out, float w, float h) {
    const float x = w * 0.5f, y = h * 0.5f;
    out->name = "panel";
    out->vertices = {
        {{-x, y, 0}, {0, 0, 1}, {0, 0}},
        {{x, y, 0}, {0, 0, 1}, {1, 0}},
        {{x, -y, 0}, {0, 0, 1}, {1, 1}},
        {{-x, -y, 0}, {0, 0, 1}, {0, 1}},
    };
    // Seen from +z: top-left, top-right, bottom-right runs clockwise.
    out->indices = {0, 1, 2, 0, 2, 3};
    out->Finish();
}

void GuiMesh::makeBox(GuiMesh *out, float w, float h, float d) {
    const float x = w * 0.5f, y = h * 0.5f, z = d * 0.5f;
    out->name = "box";
    out->vertices.clear();
    out->indices.clear();
    // Each face: four corners seen from outside as top-left, top-right,
    // bottom-right, bottom-left; the front (+z) face carries the texture.
    const float faces[6][4][3] = {
        {{-x, y, z}, {x, y, z}, {x, -y, z}, {-x, -y, z}},      // front
        {{x, y, -z}, {-x, y, -z}, {-x, -y, -z}, {x, -y, -z}},  // back
        {{-x, y, -z}, {x, y, -z}, {x, y, z}, {-x, y, z}},      // top
        {{-x, -y, z}, {x, -y, z}, {x, -y, -z}, {-x, -y, -z}},  // bottom
        {{x, y, z}, {x, y, -z}, {x, -y, -z}, {x, -y, z}},      // right
        {{-x, y, -z}, {-x, y, z}, {-x, -y, z}, {-x, -y, -z}},  // left
    };
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int f = 0; f < 6; f++) {
        const uint16_t base = (uint16_t)out->vertices.size();
        for (int k = 0; k < 4; k++) {
            GuiVertex v;
            for (int i = 0; i < 3; i++) v.position[i] = faces[f][k][i];
            v.uv[0] = f == 0 ? uv[k][0] : 0.02f;
            v.uv[1] = f == 0 ? uv[k][1] : 0.02f;
            out->vertices.push_back(v);
        }
        const uint16_t idx[6] = {base, (uint16_t)(base + 1), (uint16_t)(base + 2),
                                 base, (uint16_t)(base + 2), (uint16_t)(base + 3)};
        out->indices.insert(out->indices.end(), idx, idx + 6);
    }
    out->Finish();
}

}  // namespace gui
