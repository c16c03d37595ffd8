// What lets a pass skip pixels and triangles it cannot change: merged screen
// rectangles that still cover every pixel they were given, a level surface
// that hides from an eye above it exactly what lies behind it, and a mesh
// drawn with only some of its triangles.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "lib3d/Engine.h"
#include "lib3d/Hull.h"
#include "lib3d/Matrix.h"
#include "lib3d/Mesh.h"
#include "lib3d/Occluder.h"
#include "lib3d/ScreenRects.h"

using device::Rect;
using lib3d::MergeRects;
using lib3d::PlanarOccluder;

namespace {

Rect R(int l, int t, int r, int b) {
    Rect x;
    x.left = l;
    x.top = t;
    x.right = r;
    x.bottom = b;
    return x;
}

bool Covers(const std::vector<Rect> &rects, int x, int y) {
    for (const Rect &r : rects)
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    return false;
}

// Every pixel of `before` is in `after` (on a grid large enough for both).
void ExpectStillCovered(const std::vector<Rect> &before, const std::vector<Rect> &after) {
    for (int y = 0; y < 120; y++)
        for (int x = 0; x < 160; x++)
            if (Covers(before, x, y)) {
                ASSERT_TRUE(Covers(after, x, y)) << x << ", " << y;
            }
}

}  // namespace

TEST(ScreenRectsTest, MergesOnlyWhatCostsLittle) {
    // Side by side, the union adds nothing: merged even without slack.
    std::vector<Rect> pair = {R(0, 0, 10, 10), R(10, 0, 20, 10)};
    MergeRects(&pair, 0, 16);
    ASSERT_EQ(pair.size(), 1u);
    EXPECT_EQ(lib3d::RectArea(pair[0]), 200);

    // Far apart: the union would add a large empty area.
    std::vector<Rect> apart = {R(0, 0, 10, 10), R(100, 100, 110, 110)};
    MergeRects(&apart, 64, 16);
    EXPECT_EQ(apart.size(), 2u);
    // The union, 110 x 110, adds 11,900 pixels: merged with that much slack.
    MergeRects(&apart, 11899, 16);
    EXPECT_EQ(apart.size(), 2u);
    MergeRects(&apart, 11900, 16);
    EXPECT_EQ(apart.size(), 1u);

    // One inside another, and a chain where each merge makes the next pay.
    std::vector<Rect> nested = {R(5, 5, 8, 8), R(0, 0, 20, 20)};
    MergeRects(&nested, 0, 16);
    ASSERT_EQ(nested.size(), 1u);
    EXPECT_EQ(lib3d::RectArea(nested[0]), 400);
    std::vector<Rect> chain = {R(40, 0, 50, 10), R(0, 0, 10, 10), R(20, 0, 30, 10),
                               R(10, 0, 20, 10), R(30, 0, 40, 10)};
    MergeRects(&chain, 0, 16);
    EXPECT_EQ(chain.size(), 1u);
}

TEST(ScreenRectsTest, EmptyRectanglesGoAndTheCountIsCapped) {
    std::vector<Rect> rects = {R(5, 5, 5, 9), R(9, 9, 3, 3), R(0, 0, 4, 4)};
    MergeRects(&rects, 0, 16);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(lib3d::RectArea(rects[0]), 16);

    std::vector<Rect> none;
    MergeRects(&none, 0, 0);
    EXPECT_TRUE(none.empty());

    // Nine scattered squares, at most three left, every pixel still covered.
    std::vector<Rect> grid;
    for (int i = 0; i < 9; i++)
        grid.push_back(R(i % 3 * 50, i / 3 * 40, i % 3 * 50 + 6, i / 3 * 40 + 6));
    const std::vector<Rect> before = grid;
    MergeRects(&grid, 0, 3);
    EXPECT_EQ(grid.size(), 3u);
    ExpectStillCovered(before, grid);
}

TEST(ScreenRectsTest, RandomSetsStayCovered) {
    srand(12);
    for (int round = 0; round < 200; round++) {
        std::vector<Rect> rects;
        const int n = rand() % 12;
        for (int i = 0; i < n; i++) {
            const int x = rand() % 150, y = rand() % 110;
            rects.push_back(R(x, y, x + rand() % 12 - 2, y + rand() % 12 - 2));
        }
        const std::vector<Rect> before = rects;
        const size_t most = 1 + rand() % 5;
        MergeRects(&rects, rand() % 50, most);
        EXPECT_LE(rects.size(), most);
        ExpectStillCovered(before, rects);
        for (const Rect &r : rects) EXPECT_GT(lib3d::RectArea(r), 0);
    }
}

namespace {

// A 10 x 10 square top at height 2, centred on the origin, with a point in
// its middle that the outline must leave out.
PlanarOccluder SquareTop(float margin = 0.0f) {
    const float points[] = {-5, 2, -5, 5, 2, -5, 5, 2, 5, -5, 2, 5, 0, 2, 0, 5, 2, 0};
    PlanarOccluder top;
    EXPECT_TRUE(top.Set(points, 6, margin));
    return top;
}

}  // namespace

TEST(OccluderTest, OutlineIsTheConvexHullAnticlockwise) {
    PlanarOccluder top = SquareTop();
    ASSERT_TRUE(top.Valid());
    EXPECT_FLOAT_EQ(top.Height(), 2.0f);
    const std::vector<float> &o = top.Outline();
    ASSERT_EQ(o.size(), 8u);  // four corners: the centre and the edge's middle are gone
    double area = 0;
    for (size_t i = 0; i < 4; i++) {
        const size_t j = (i + 1) % 4;
        area += o[2 * i] * o[2 * j + 1] - o[2 * j] * o[2 * i + 1];
    }
    EXPECT_NEAR(area / 2, 100.0, 1e-3);  // positive: anticlockwise
}

TEST(OccluderTest, RefusesWhatIsNotALevelSurface) {
    PlanarOccluder top;
    const float tilted[] = {0, 0, 0, 1, 0, 0, 0, 0.5f, 1};
    EXPECT_FALSE(top.Set(tilted, 3, 0));
    const float line[] = {0, 0, 0, 1, 0, 1, 2, 0, 2};
    EXPECT_FALSE(top.Set(line, 3, 0));
    const float two[] = {0, 0, 0, 1, 0, 0};
    EXPECT_FALSE(top.Set(two, 2, 0));
    const float bad[] = {0, 0, 0, 1, 0, 0, NAN, 0, 1};
    EXPECT_FALSE(top.Set(bad, 3, 0));
    const float fine[] = {0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_FALSE(top.Set(fine, 3, -1.0f));
    EXPECT_FALSE(top.Set(nullptr, 3, 0));
    EXPECT_FALSE(top.Valid());
    const float eye[3] = {0.2f, 10, 0.2f}, under[3] = {0.2f, -5, 0.2f};
    EXPECT_FALSE(top.Hides(eye, under));  // an occluder that failed hides nothing
    EXPECT_TRUE(top.Set(fine, 3, 0));
    EXPECT_TRUE(top.Hides(eye, under));
}

TEST(OccluderTest, HidesOnlyBelowTheTopAlongTheEyesLine) {
    PlanarOccluder top = SquareTop();
    const float eye[3] = {0, 12, 0};
    const float under[3] = {1, -20, -1};
    EXPECT_TRUE(top.Hides(eye, under));
    // The eye is 10 over the top, (x, -20, z) 22 under it: the line meets
    // the top at 10/32 of the way, (12, -20, 0) through (3.75, 2, 0), inside;
    // (20, -20, 0) through (6.25, 2, 0), outside.
    const float farInside[3] = {12, -20, 0}, outside[3] = {20, -20, 0};
    EXPECT_TRUE(top.Hides(eye, farInside));
    EXPECT_FALSE(top.Hides(eye, outside));
    // Above the top, or in its plane: nothing hides it.
    const float above[3] = {0, 3, 0}, onIt[3] = {0, 2, 0};
    EXPECT_FALSE(top.Hides(eye, above));
    EXPECT_FALSE(top.Hides(eye, onIt));
    // An eye under the top, or barely over it, hides nothing.
    const float low[3] = {0, 2.5f, 0}, beneath[3] = {0, -1, 0};
    EXPECT_FALSE(top.Hides(low, under));
    EXPECT_FALSE(top.Hides(beneath, under));
    // The margin keeps what is seen just inside the rim.
    PlanarOccluder narrowed = SquareTop(0.5f);
    const float nearRim[3] = {4.8f * 3.2f, -20, 0};  // through (4.8, 2, 0)
    EXPECT_TRUE(top.Hides(eye, nearRim));
    EXPECT_FALSE(narrowed.Hides(eye, nearRim));
}

namespace {

// A flat grid of n x n cells at height y spanning -half..half.
void Grid(lib3d::Mesh *mesh, int n, float half, float y) {
    lib3d::Geometry &g = mesh->geometry;
    ASSERT_TRUE(g.Allocate((n + 1) * (n + 1), 2 * n * n));
    for (int j = 0; j <= n; j++)
        for (int i = 0; i <= n; i++)
            g.SetVertex(j * (n + 1) + i, -half + 2 * half * i / n, y, -half + 2 * half * j / n);
    int t = 0;
    for (int j = 0; j < n; j++)
        for (int i = 0; i < n; i++) {
            const int a = j * (n + 1) + i, b = a + 1, c = a + n + 1, d = c + 1;
            ASSERT_TRUE(g.SetTriangle(t++, a, c, b));
            ASSERT_TRUE(g.SetTriangle(t++, b, c, d));
        }
    g.Finish();
}

}  // namespace

TEST(OccluderTest, TrianglesLeftOutAreHiddenAtEveryPoint) {
    lib3d::Engine engine;  // buffers only, no display
    lib3d::Mesh floor(&engine);
    Grid(&floor, 12, 30.0f, -20.0f);
    ASSERT_EQ(floor.BuildBuffers(lib3d::kLayoutPosition | lib3d::kLayoutNormal), 1);
    float world[16];
    lib3d::Matrix::Identity(world);
    lib3d::Matrix::Translate(world, 1.0f, 0.5f, -2.0f);  // placed, as the room is

    PlanarOccluder top = SquareTop();
    const float eyes[][3] = {{0, 12, 0}, {6, 9, -3}, {-20, 4, 15}, {0, 2.5f, 0}};
    for (const auto &eye : eyes) {
        std::vector<uint16_t> kept;
        ASSERT_TRUE(top.VisibleTriangles(floor, world, eye, &kept));
        ASSERT_EQ(kept.size() % 3, 0u);
        std::vector<bool> isKept(floor.triangleCount, false);
        const uint16_t *all = floor.indexBuffer->Data();
        size_t k = 0;
        for (int t = 0; t < floor.triangleCount && k < kept.size(); t++) {
            if (all[3 * t] == kept[k] && all[3 * t + 1] == kept[k + 1] &&
                all[3 * t + 2] == kept[k + 2]) {
                isKept[t] = true;
                k += 3;
            }
        }
        EXPECT_EQ(k, kept.size()) << "kept triangles keep the mesh's order and indices";
        int dropped = 0;
        for (int t = 0; t < floor.triangleCount; t++) {
            const lib3d::GeometryTriangle &tri = floor.geometry.triangles[t];
            float corner[3][3];
            for (int c = 0; c < 3; c++) {
                const float *p = floor.geometry.vertices[tri.v[c]].position;
                for (int i = 0; i < 3; i++)
                    corner[c][i] =
                        p[0] * world[i] + p[1] * world[4 + i] + p[2] * world[8 + i] + world[12 + i];
            }
            bool allHidden = true;
            for (int c = 0; c < 3; c++) allHidden = allHidden && top.Hides(eye, corner[c]);
            EXPECT_EQ(isKept[t], !allHidden) << "triangle " << t;
            if (isKept[t]) continue;
            ++dropped;
            // Every point of a dropped triangle is hidden, not just its corners.
            for (int s = 0; s <= 10; s++)
                for (int u = 0; u + s <= 10; u++) {
                    const float a = s / 10.0f, b = u / 10.0f, c = 1 - a - b;
                    float p[3];
                    for (int i = 0; i < 3; i++)
                        p[i] = a * corner[0][i] + b * corner[1][i] + c * corner[2][i];
                    ASSERT_TRUE(top.Hides(eye, p)) << "triangle " << t;
                }
        }
        if (eye[1] - 2 >= PlanarOccluder::kMinEyeHeight && eye[0] == 0) {
            EXPECT_GT(dropped, 0);
        }
        if (eye[1] - 2 < PlanarOccluder::kMinEyeHeight) {
            EXPECT_EQ(dropped, 0);
        }
    }

    lib3d::Mesh unbuilt(&engine);
    Grid(&unbuilt, 2, 30.0f, -20.0f);
    std::vector<uint16_t> kept = {1, 2, 3};
    EXPECT_FALSE(top.VisibleTriangles(unbuilt, world, eyes[0], &kept));
    EXPECT_TRUE(kept.empty());
}

TEST(MeshSubsetTest, OnlyWellFormedSubsetsAreDrawn) {
    lib3d::Engine engine;
    lib3d::Mesh mesh(&engine);
    Grid(&mesh, 2, 1.0f, 0.0f);  // 9 vertices, 8 triangles
    ASSERT_EQ(mesh.BuildBuffers(lib3d::kLayoutPosition), 1);
    EXPECT_EQ(mesh.DrawnTriangles(), 8);
    mesh.DrawOnlyTriangles({0, 3, 1, 1, 3, 4});
    EXPECT_EQ(mesh.DrawnTriangles(), 2);
    mesh.DrawOnlyTriangles({});
    EXPECT_EQ(mesh.DrawnTriangles(), 0);
    mesh.DrawOnlyTriangles({0, 3, 9});  // an index past the vertices
    EXPECT_EQ(mesh.DrawnTriangles(), 8);
    mesh.DrawOnlyTriangles({0, 3});  // not whole triangles
    EXPECT_EQ(mesh.DrawnTriangles(), 8);
    std::vector<uint16_t> tooMany(27, 0);  // nine triangles of a mesh of eight
    mesh.DrawOnlyTriangles(tooMany);
    EXPECT_EQ(mesh.DrawnTriangles(), 8);
    mesh.DrawOnlyTriangles({0, 3, 1});
    EXPECT_EQ(mesh.DrawnTriangles(), 1);
    // New buffers drop the old choice.
    ASSERT_EQ(mesh.BuildBuffers(lib3d::kLayoutPosition), 1);
    EXPECT_EQ(mesh.DrawnTriangles(), 8);
}

TEST(HullTest, CornersOnlyAnticlockwiseAndEverythingInside) {
    using lib3d::Point2;
    // A square with points on its edges, inside it and repeated.
    std::vector<Point2> square = {{0, 0}, {2, 0}, {1, 0}, {2, 2}, {0, 2},
                                  {1, 1}, {2, 1}, {0, 0}, {2, 2}, {0, 1}};
    std::vector<Point2> hull = lib3d::ConvexHull(square);
    ASSERT_EQ(hull.size(), 4u);
    for (size_t i = 0; i < hull.size(); i++)
        EXPECT_GT(lib3d::Turn(hull[i], hull[(i + 1) % 4], hull[(i + 2) % 4]), 0.0f);

    EXPECT_TRUE(lib3d::ConvexHull({}).empty());
    EXPECT_TRUE(lib3d::ConvexHull({{1, 1}, {2, 2}}).empty());
    EXPECT_TRUE(lib3d::ConvexHull({{0, 0}, {1, 1}, {2, 2}, {3, 3}}).empty());  // a line
    EXPECT_TRUE(lib3d::ConvexHull({{5, 5}, {5, 5}, {5, 5}}).empty());

    srand(3);
    for (int round = 0; round < 100; round++) {
        std::vector<Point2> points;
        const int n = 3 + rand() % 40;
        for (int i = 0; i < n; i++)
            points.push_back({static_cast<float>(rand() % 50), static_cast<float>(rand() % 50)});
        hull = lib3d::ConvexHull(points);
        if (hull.empty()) continue;  // all on one line: rare, and allowed
        for (size_t i = 0; i < hull.size(); i++) {
            const Point2 &a = hull[i], &b = hull[(i + 1) % hull.size()];
            EXPECT_GT(lib3d::Turn(a, b, hull[(i + 2) % hull.size()]), 0.0f);
            for (const Point2 &p : points) EXPECT_GE(lib3d::Turn(a, b, p), 0.0f);
        }
    }
}
