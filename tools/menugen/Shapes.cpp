#include "Shapes.h"

#include <cmath>
#include <vector>

namespace {

const float kPi = 3.14159265f;

// Rounded-rectangle outline in the x-y plane at depth z, counter-clockwise
// seen from +z, `perCorner` segments per corner.
std::vector<Vec3> Outline(float halfX, float halfY, float radius, int perCorner, float z) {
    std::vector<Vec3> out;
    const float qx[4] = {1, -1, -1, 1}, qy[4] = {1, 1, -1, -1};
    for (int q = 0; q < 4; q++) {
        float ox = qx[q] * (halfX - radius), oy = qy[q] * (halfY - radius);
        for (int k = 0; k <= perCorner; k++) {
            float a = (q + (float)k / perCorner) * kPi * 0.5f;
            out.push_back({ox + radius * std::cos(a), oy + radius * std::sin(a), z});
        }
    }
    return out;
}

}  // namespace

Part MakeSlab(const char *name, const char *material, const SlabSize &s) {
    Part part;
    part.name = name;
    part.material = material;
    const int perCorner = 6;
    const float hx = s.width * 0.5f, hy = s.height * 0.5f;
    const float front = -0.5f, back = front - s.depth;
    auto uv = [&](Vec3 p, float *u, float *v) {
        *u = (p.x + hx) / s.width;
        *v = (hy - p.y) / s.height;
    };
    std::vector<Vec3> inner =
        Outline(hx - s.bevel, hy - s.bevel, s.radius - s.bevel * 0.5f, perCorner, front);
    std::vector<Vec3> outer = Outline(hx, hy, s.radius, perCorner, front - s.bevel);
    std::vector<Vec3> rear = Outline(hx, hy, s.radius, perCorner, back);
    const unsigned n = (unsigned)inner.size();

    // Front face: a fan around the centre (the outline is convex).
    float u, v;
    uv({0, 0, front}, &u, &v);
    unsigned centre = part.Add({0, 0, front}, u, v);
    unsigned first = (unsigned)part.vertices.size();
    for (const Vec3 &p : inner) {
        uv(p, &u, &v);
        part.Add(p, u, v);
    }
    for (unsigned i = 0; i < n; i++)
        part.Triangle(centre, first + i, first + (i + 1) % n, {0, 0, 1});

    // Chamfer and sides: one ring of quads each, on their own vertices so the
    // edges between them stay sharp under lighting.
    auto ring = [&](const std::vector<Vec3> &a, const std::vector<Vec3> &b, float towardZ) {
        unsigned base = (unsigned)part.vertices.size();
        for (unsigned i = 0; i < n; i++) {
            uv(a[i], &u, &v);
            part.Add(a[i], u, v);
            uv(b[i], &u, &v);
            part.Add(b[i], u, v);
        }
        for (unsigned i = 0; i < n; i++) {
            unsigned j = (i + 1) % n;
            Vec3 mid = (a[i] + a[j]) * 0.5f;
            Vec3 out = {mid.x, mid.y, 0};
            float len = std::sqrt(Dot(out, out));
            if (len > 0) out = out * (1.0f / len);
            out.z = towardZ;
            part.Quad(base + 2 * i, base + 2 * j, base + 2 * j + 1, base + 2 * i + 1, out);
        }
    };
    ring(inner, outer, 1.0f);
    ring(outer, rear, 0.0f);

    // Back face, facing away from the camera.
    uv({0, 0, back}, &u, &v);
    unsigned rearCentre = part.Add({0, 0, back}, u, v);
    first = (unsigned)part.vertices.size();
    for (const Vec3 &p : rear) {
        uv(p, &u, &v);
        part.Add(p, u, v);
    }
    for (unsigned i = 0; i < n; i++)
        part.Triangle(rearCentre, first + i, first + (i + 1) % n, {0, 0, -1});
    return part;
}

Part MakePanel(const char *name, const char *material, float width, float height, float z,
               int columns, int rows) {
    Part part;
    part.name = name;
    part.material = material;
    part.Grid({-width * 0.5f, height * 0.5f, z}, {width, 0, 0}, {0, -height, 0}, columns, rows,
              {0, 0, 1}, 0, 0, 1, 1);
    return part;
}
