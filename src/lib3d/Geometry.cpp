#include "lib3d/Geometry.h"

#include <cmath>

namespace lib3d {

namespace {

void Cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

// Normalises v; a zero vector becomes `fallback`.
void Normalise(float v[3], const float fallback[3]) {
    float len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (len > 1e-20f) {
        for (int k = 0; k < 3; k++) v[k] /= len;
    } else {
        for (int k = 0; k < 3; k++) v[k] = fallback[k];
    }
}

const float kUp[3] = {0, 1, 0};

}  // namespace

Geometry::Geometry() = default;

int Geometry::Allocate(int vertexCount, int triangleCount) {
    Clear();
    if (vertexCount < 0 || triangleCount < 0 || vertexCount > kMaxVertices) return 0;
    vertices.resize(vertexCount);
    triangles.resize(triangleCount);
    for (int i = 0; i < vertexCount; i++) vertices[i].id = (uint32_t)i;
    return 1;
}

void Geometry::Clear() {
    vertices.clear();
    triangles.clear();
    children[0].reset();
    children[1].reset();
}

void Geometry::SetVertex(int i, float x, float y, float z) {
    if (i < 0 || i >= VertexCount()) return;
    float *p = vertices[i].position;
    p[0] = x;
    p[1] = y;
    p[2] = z;
}

void Geometry::SetTexCoord(int i, float u, float v) {
    if (i < 0 || i >= VertexCount()) return;
    vertices[i].uv0[0] = u;
    vertices[i].uv0[1] = v;
}

int Geometry::SetTriangle(int i, int a, int b, int c) {
    if (i < 0 || i >= TriangleCount()) return 0;
    const int n = VertexCount();
    if (a < 0 || b < 0 || c < 0 || a >= n || b >= n || c >= n) return 0;
    GeometryTriangle &t = triangles[i];
    t.v[0] = (uint32_t)a;
    t.v[1] = (uint32_t)b;
    t.v[2] = (uint32_t)c;
    return 1;
}

void Geometry::Finish() {
    for (GeometryVertex &v : vertices) {
        v.normal[0] = v.normal[1] = v.normal[2] = 0;
        v.triangleCount = 0;
    }
    for (GeometryTriangle &t : triangles) {
        for (int k = 0; k < 3; k++) {
            t.corner[k] = &vertices[t.v[k]];
            t.uv[k][0] = t.corner[k]->uv0[0];
            t.uv[k][1] = t.corner[k]->uv0[1];
        }
        const float *p0 = t.corner[0]->position, *p1 = t.corner[1]->position,
                    *p2 = t.corner[2]->position;
        float e1[3] = {p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
        float e2[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
        float n[3];
        Cross(e1, e2, n);
        float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        t.area = len * 0.5f;
        // The cross product's length is twice the area: adding it unnormalised
        // weights each face by its area in the vertex normals.
        for (int k = 0; k < 3; k++) {
            GeometryVertex *v = t.corner[k];
            for (int c = 0; c < 3; c++) v->normal[c] += n[c];
            v->triangleCount++;
        }
        Normalise(n, kUp);
        for (int c = 0; c < 3; c++) t.normal[c] = n[c];
        t.plane = n[0] * p0[0] + n[1] * p0[1] + n[2] * p0[2];
    }
    for (GeometryVertex &v : vertices) {
        Normalise(v.normal, kUp);
        for (int c = 0; c < 3; c++) {
            v.transformed[c] = v.position[c];
            v.transformedNormal[c] = v.normal[c];
        }
    }
}

void Geometry::Transform(const float m[16]) {
    // Normals go through the inverse transpose of the 3x3 part, so that they
    // stay perpendicular to the surface under scaling; a singular matrix
    // (a flattening) keeps the plain 3x3.
    float a = m[0], b = m[1], c = m[2], d = m[4], e = m[5], f = m[6], g = m[8], h = m[9], i = m[10];
    float co[9] = {e * i - f * h, f * g - d * i, d * h - e * g, c * h - b * i, a * i - c * g,
                   b * g - a * h, b * f - c * e, c * d - a * f, a * e - b * d};
    float det = a * co[0] + b * co[1] + c * co[2];
    // Row-vector normal n' = n * N with N = inverse(M3) transposed = cofactors / det.
    float nm[9];
    if (std::fabs(det) > 1e-20f) {
        for (int k = 0; k < 9; k++) nm[k] = co[k] / det;
    } else {
        const float plain[9] = {a, b, c, d, e, f, g, h, i};
        for (int k = 0; k < 9; k++) nm[k] = plain[k];
    }
    auto point = [&](float p[3]) {
        float x = p[0], y = p[1], z = p[2];
        for (int k = 0; k < 3; k++) p[k] = x * m[k] + y * m[4 + k] + z * m[8 + k] + m[12 + k];
    };
    auto normal = [&](float n[3]) {
        float x = n[0], y = n[1], z = n[2];
        for (int k = 0; k < 3; k++) n[k] = x * nm[k] + y * nm[3 + k] + z * nm[6 + k];
        Normalise(n, kUp);
    };
    for (GeometryVertex &v : vertices) {
        point(v.position);
        point(v.transformed);
        normal(v.normal);
        normal(v.transformedNormal);
    }
    for (GeometryTriangle &t : triangles) {
        normal(t.normal);
        if (!t.corner[0]) continue;
        const float *p0 = t.corner[0]->position;
        t.plane = t.normal[0] * p0[0] + t.normal[1] * p0[1] + t.normal[2] * p0[2];
    }
}

int Geometry::FindTriangleByEdge(int a, int b) const {
    for (size_t i = 0; i < triangles.size(); i++) {
        const uint32_t *v = triangles[i].v;
        for (int k = 0; k < 3; k++)
            if ((int)v[k] == a && (int)v[(k + 1) % 3] == b) return (int)i;
    }
    return -1;
}

void Geometry::WorldMatrix(float out[16]) const {
    float x = orientation[0], y = orientation[1], z = orientation[2], w = orientation[3];
    float len = std::sqrt(x * x + y * y + z * z + w * w);
    if (len > 1e-20f) {
        x /= len;
        y /= len;
        z /= len;
        w /= len;
    } else {
        x = y = z = 0;
        w = 1;
    }
    // Row-vector rotation matrix of the unit quaternion.
    out[0] = 1 - 2 * (y * y + z * z);
    out[1] = 2 * (x * y + z * w);
    out[2] = 2 * (x * z - y * w);
    out[3] = 0;
    out[4] = 2 * (x * y - z * w);
    out[5] = 1 - 2 * (x * x + z * z);
    out[6] = 2 * (y * z + x * w);
    out[7] = 0;
    out[8] = 2 * (x * z + y * w);
    out[9] = 2 * (y * z - x * w);
    out[10] = 1 - 2 * (x * x + y * y);
    out[11] = 0;
    out[12] = position[0];
    out[13] = position[1];
    out[14] = position[2];
    out[15] = 1;
}

}  // namespace lib3d
