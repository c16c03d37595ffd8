// Editable geometry: allocation limits, edges, normals and transforms.
#include "lib3d/Geometry.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace lib3d;

namespace {

// Two triangles of a unit square in the x-z plane, front facing up.
Geometry Square() {
    Geometry g;
    g.Allocate(4, 2);
    g.SetVertex(0, 0, 0, 0);
    g.SetVertex(1, 1, 0, 0);
    g.SetVertex(2, 0, 0, 1);
    g.SetVertex(3, 1, 0, 1);
    g.SetTriangle(0, 0, 1, 2);
    g.SetTriangle(1, 1, 3, 2);
    g.Finish();
    return g;
}

void ExpectVec(const float *v, float x, float y, float z, float eps = 1e-5f) {
    EXPECT_NEAR(v[0], x, eps);
    EXPECT_NEAR(v[1], y, eps);
    EXPECT_NEAR(v[2], z, eps);
}

TEST(Geometry, AllocateAndSetters) {
    Geometry g;
    EXPECT_EQ(g.Allocate(3, 1), 1);
    EXPECT_EQ(g.vertices[2].id, 2u);
    EXPECT_FLOAT_EQ(g.vertices[0].colour[3], 0.3f);
    EXPECT_EQ(g.SetTriangle(0, 0, 1, 3), 0);  // no vertex 3
    EXPECT_EQ(g.SetTriangle(1, 0, 1, 2), 0);  // no triangle 1
    EXPECT_EQ(g.SetTriangle(0, 2, 1, 0), 1);
    g.SetVertex(5, 1, 1, 1);  // ignored
    g.SetTexCoord(-1, 1, 1);  // ignored
    EXPECT_EQ(g.Allocate(Geometry::kMaxVertices + 1, 1), 0);
    EXPECT_EQ(g.VertexCount(), 0);
    EXPECT_EQ(g.Allocate(-1, 0), 0);
    EXPECT_EQ(g.Allocate(Geometry::kMaxVertices, 0), 1);
}

TEST(Geometry, FindTriangleByEdgeIsDirected) {
    Geometry g = Square();
    EXPECT_EQ(g.FindTriangleByEdge(0, 1), 0);
    EXPECT_EQ(g.FindTriangleByEdge(2, 0), 0);  // (v2, v0) closes the triangle
    EXPECT_EQ(g.FindTriangleByEdge(1, 3), 1);
    // The shared edge runs one way in each triangle.
    EXPECT_EQ(g.FindTriangleByEdge(1, 2), 0);
    EXPECT_EQ(g.FindTriangleByEdge(2, 1), 1);
    EXPECT_EQ(g.FindTriangleByEdge(1, 0), -1);  // reversed
    g.SetTriangle(1, 0, 1, 3);  // now two triangles hold the edge 0-1: the first wins
    EXPECT_EQ(g.FindTriangleByEdge(0, 1), 0);
    EXPECT_EQ(g.FindTriangleByEdge(0, 3), -1);  // not an edge
}

TEST(Geometry, FinishComputesNormalsAndLinks) {
    Geometry g = Square();
    for (const GeometryTriangle &t : g.triangles) {
        ExpectVec(t.normal, 0, 1, 0);
        EXPECT_NEAR(t.area, 0.5f, 1e-6f);
        EXPECT_NEAR(t.plane, 0, 1e-6f);
    }
    for (const GeometryVertex &v : g.vertices) ExpectVec(v.normal, 0, 1, 0);
    EXPECT_EQ(g.triangles[1].corner[1], &g.vertices[3]);
    EXPECT_EQ(g.vertices[1].triangleCount, 2u);
}

TEST(Geometry, VertexNormalsAreAreaWeighted) {
    // A large face up and a small face toward +x share vertex 0.
    Geometry g;
    g.Allocate(5, 2);
    g.SetVertex(0, 0, 0, 0);
    g.SetVertex(1, 3, 0, 0);
    g.SetVertex(2, 0, 0, 3);
    g.SetVertex(3, 0, 1, 0);
    g.SetVertex(4, 0, 0, 1);
    g.SetTriangle(0, 0, 1, 2);  // up, area 4.5
    g.SetTriangle(1, 0, 3, 4);  // -x (area 0.5)
    g.Finish();
    ExpectVec(g.triangles[1].normal, -1, 0, 0);
    const float *n = g.vertices[0].normal;
    EXPECT_NEAR(n[1] / -n[0], 9.0f, 1e-4f);  // weights 4.5 : 0.5
}

TEST(Geometry, DegenerateTrianglesStayFinite) {
    Geometry g;
    g.Allocate(3, 1);
    g.SetVertex(0, 1, 1, 1);
    g.SetVertex(1, 1, 1, 1);
    g.SetVertex(2, 2, 2, 2);
    g.SetTriangle(0, 0, 1, 2);
    g.Finish();
    for (const GeometryVertex &v : g.vertices)
        for (float c : v.normal) EXPECT_TRUE(std::isfinite(c));
    EXPECT_EQ(g.triangles[0].area, 0.0f);
}

TEST(Geometry, TransformMovesPointsAndTurnsNormals) {
    Geometry g = Square();
    // Translation: points move, normals do not.
    const float move[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
    g.Transform(move);
    ExpectVec(g.vertices[3].position, 6, 6, 8);
    ExpectVec(g.vertices[3].normal, 0, 1, 0);
    EXPECT_NEAR(g.triangles[0].plane, 6, 1e-5f);
    // A quarter turn about x (row vectors): y -> z.
    const float turn[16] = {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1};
    g.Transform(turn);
    ExpectVec(g.vertices[0].position, 5, -7, 6);
    ExpectVec(g.vertices[0].normal, 0, 0, 1);
    ExpectVec(g.triangles[1].normal, 0, 0, 1);
}

TEST(Geometry, NonUniformScaleKeepsNormalsPerpendicular) {
    // A slope: the face through (0,0,0), (0,1,1) and (1,0,0).
    Geometry g;
    g.Allocate(3, 1);
    g.SetVertex(0, 0, 0, 0);
    g.SetVertex(1, 0, 1, 1);
    g.SetVertex(2, 1, 0, 0);
    g.SetTriangle(0, 0, 1, 2);
    g.Finish();
    const float stretch[16] = {1, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    g.Transform(stretch);
    const float *p0 = g.vertices[0].position, *p1 = g.vertices[1].position;
    const float *n = g.vertices[0].normal;
    float edge[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
    EXPECT_NEAR(n[0] * edge[0] + n[1] * edge[1] + n[2] * edge[2], 0, 1e-5f);
    EXPECT_NEAR(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1, 1e-5f);
}

TEST(Geometry, WorldMatrixRotatesThenTranslates) {
    Geometry g;
    const float h = std::sqrt(0.5f);
    g.orientation[1] = h;  // a quarter turn about y
    g.orientation[3] = h;
    g.position[0] = 10;
    float m[16];
    g.WorldMatrix(m);
    // (1, 0, 0) as a row vector: turned to (0, 0, -1), then moved by +10 in x.
    float p[3];
    for (int k = 0; k < 3; k++) p[k] = m[k] + m[12 + k];
    ExpectVec(p, 10, 0, -1);
    // A zero quaternion is taken as no rotation.
    g.orientation[1] = g.orientation[3] = 0;
    g.WorldMatrix(m);
    EXPECT_FLOAT_EQ(m[0], 1);
    EXPECT_FLOAT_EQ(m[5], 1);
}

}  // namespace
