// A file written by another program: an OBJ made here is converted to .3ds
// by assimp, and the reader must find the same surface, turned into the
// engine's axes. assimp may split or merge vertices, so only the triangle
// count, the bounding box and the total area are compared.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "lib3d/ThreeDsImport.h"

using namespace lib3d;

namespace {

struct Surface {
    int triangles = 0;
    double area = 0;
    float lo[3] = {FLT_MAX, FLT_MAX, FLT_MAX}, hi[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
};

double TriangleArea(const float *a, const float *b, const float *c) {
    double e1[3], e2[3];
    for (int k = 0; k < 3; k++) {
        e1[k] = b[k] - a[k];
        e2[k] = c[k] - a[k];
    }
    double x = e1[1] * e2[2] - e1[2] * e2[1], y = e1[2] * e2[0] - e1[0] * e2[2],
           z = e1[0] * e2[1] - e1[1] * e2[0];
    return 0.5 * std::sqrt(x * x + y * y + z * z);
}

bool HaveAssimp() {
    return system("command -v assimp >/dev/null 2>&1") == 0;
}

TEST(ThreeDsPeer, AssimpWrittenFileReadsAsTheSameSurface) {
    if (!HaveAssimp()) GTEST_SKIP() << "assimp is not installed";
    // An irregular little house: a box with a pitched roof and a quad floor,
    // in z-up axes as a modelling tool would write them.
    const float v[][3] = {{0, 0, 0}, {4, 0, 0}, {4, 3, 0}, {0, 3, 0},    {0, 0, 2},
                          {4, 0, 2}, {4, 3, 2}, {0, 3, 2}, {2, 0, 3.5f}, {2, 3, 3.5f}};
    const std::vector<std::vector<int>> faces = {{1, 4, 3, 2}, {1, 2, 6, 5},  {2, 3, 7, 6},
                                                 {3, 4, 8, 7}, {4, 1, 5, 8},  {5, 6, 9},
                                                 {8, 7, 10},   {5, 9, 10, 8}, {6, 7, 10, 9}};
    FILE *f = fopen("house.obj", "w");
    ASSERT_NE(f, nullptr);
    fprintf(f, "o house\n");
    for (const auto &p : v) fprintf(f, "v %g %g %g\n", p[0], p[1], p[2]);
    for (const auto &face : faces) {
        fprintf(f, "f");
        for (int i : face) fprintf(f, " %d", i);
        fprintf(f, "\n");
    }
    fclose(f);

    // Expected: fan triangulation, converted by (x, y, z) -> (x, z, -y).
    Surface want;
    for (const auto &face : faces)
        for (size_t i = 1; i + 1 < face.size(); i++) {
            want.triangles++;
            want.area += TriangleArea(v[face[0] - 1], v[face[i] - 1], v[face[i + 1] - 1]);
        }
    for (const auto &p : v) {
        float c[3] = {p[0], p[2], -p[1]};
        for (int k = 0; k < 3; k++) {
            want.lo[k] = std::min(want.lo[k], c[k]);
            want.hi[k] = std::max(want.hi[k], c[k]);
        }
    }

    ASSERT_EQ(system("assimp export house.obj house.3ds >assimp.log 2>&1"), 0);
    ThreeDsData d;
    char error[256] = "";
    ASSERT_TRUE(ThreeDsReadFile("house.3ds", kThreeDsMeshes, d, error, sizeof error)) << error;
    Surface got;
    for (const ThreeDsMesh &m : d.meshes)
        for (const GeometryTriangle &t : m.geometry->triangles) {
            got.triangles++;
            got.area +=
                TriangleArea(t.corner[0]->position, t.corner[1]->position, t.corner[2]->position);
            for (const GeometryVertex *c : t.corner)
                for (int k = 0; k < 3; k++) {
                    got.lo[k] = std::min(got.lo[k], c->position[k]);
                    got.hi[k] = std::max(got.hi[k], c->position[k]);
                }
        }
    EXPECT_EQ(got.triangles, want.triangles);
    EXPECT_NEAR(got.area, want.area, 1e-3);
    for (int k = 0; k < 3; k++) {
        EXPECT_NEAR(got.lo[k], want.lo[k], 1e-4f) << "axis " << k;
        EXPECT_NEAR(got.hi[k], want.hi[k], 1e-4f) << "axis " << k;
    }
}

}  // namespace
