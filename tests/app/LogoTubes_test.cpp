// The logo's outline table and the tubes swept along it, without a display.
#include "app/LogoTubes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/LogoArtwork.h"

namespace {

struct V {
    float x, y, z;
};

V Pos(const LogoMesh &m, int i) {
    const LogoVertex &v = m.vertices[i];
    return {v.position[0], v.position[1], v.position[2]};
}
V Sub(V a, V b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V Cross(V a, V b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(V a, V b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
float Len(V a) {
    return std::sqrt(Dot(a, a));
}

// The engine's rule for a triangle's front: (p2 - p0) x (p1 - p0). Every
// triangle must face the way its corners' normals point (outwards), or the
// device's culling would show the tube's inside.
void ExpectOutwardAndUnit(const LogoMesh &m) {
    for (int t = 0; t < m.TriangleCount(); t++) {
        const int a = m.indices[t * 3], b = m.indices[t * 3 + 1], c = m.indices[t * 3 + 2];
        const V face = Cross(Sub(Pos(m, c), Pos(m, a)), Sub(Pos(m, b), Pos(m, a)));
        V n = {0, 0, 0};
        for (int i : {a, b, c}) {
            const LogoVertex &v = m.vertices[i];
            n = {n.x + v.normal[0], n.y + v.normal[1], n.z + v.normal[2]};
        }
        ASSERT_GT(Dot(face, n), 0.0f) << "triangle " << t;
    }
    for (const LogoVertex &v : m.vertices) {
        const float l = std::sqrt(v.normal[0] * v.normal[0] + v.normal[1] * v.normal[1] +
                                  v.normal[2] * v.normal[2]);
        ASSERT_NEAR(l, 1.0f, 1e-4f);
    }
}

const float kEnd = -1.0f;

}  // namespace

TEST(LogoOutlines, EndMarksSplitOutlinesAndTwoInARowEndTheTable) {
    const float table[] = {0, 0, 0,    1, 0, 0, 0, 0, kEnd,              // first
                           0, 1, 0,    1, 1, 0, 2, 1, 0.2f, 0, 0, kEnd,  // second
                           0, 0, kEnd,                                   // the end
                           5, 5, 5,    6, 6, 6, 0, 0, kEnd};             // past the end
    const auto outlines = ReadLogoOutlines(table, sizeof table / sizeof table[0]);
    ASSERT_EQ(outlines.size(), 2u);
    EXPECT_EQ(outlines[0].size(), 2u);
    ASSERT_EQ(outlines[1].size(), 3u);
    EXPECT_FLOAT_EQ(outlines[1][2].z, 0.2f);
    // z of -0.5 itself is a point (only below it ends an outline).
    const float edge[] = {0, 0, -0.5f, 1, 0, -0.5f, 0, 0, kEnd, 0, 0, kEnd};
    EXPECT_EQ(ReadLogoOutlines(edge, 12).size(), 1u);
}

TEST(LogoOutlines, ATableWithoutItsEndStopsAtItsLastWholePoint) {
    // No end marks at all, and a stray half point: nothing is read past `count`.
    const float table[] = {0, 0, 0, 1, 0, 0, 2, 0, 0, 9, 9};
    const auto outlines = ReadLogoOutlines(table, 11);
    ASSERT_EQ(outlines.size(), 1u);
    EXPECT_EQ(outlines[0].size(), 3u);
    EXPECT_TRUE(ReadLogoOutlines(nullptr, 30).empty());
    // Single points and repeated points make no outline.
    const float dots[] = {1, 1, 0, 1, 1, 0, 0, 0, kEnd, 3, 3, 0, 0, 0, kEnd, 0, 0, kEnd};
    EXPECT_TRUE(ReadLogoOutlines(dots, 18).empty());
}

TEST(LogoTubes, AStraightStrokeIsEightSidesOfRadiusPointZeroFiveWithTwoCaps) {
    LogoMesh m;
    ASSERT_TRUE(AddLogoTube({{0, 0, 0}, {1, 0, 0}}, TubeShape(), &m));
    // Two rings of 8, and a cap of a centre and 8 rim vertices at each end.
    EXPECT_EQ(m.vertices.size(), 2u * 8 + 2 * 9);
    EXPECT_EQ(m.TriangleCount(), 16 + 2 * 8);
    for (int i = 0; i < 16; i++) {
        const V p = Pos(m, i);
        EXPECT_NEAR(std::hypot(p.y, p.z), 0.05f, 1e-5f);
        EXPECT_TRUE(std::fabs(p.x) < 1e-6f || std::fabs(p.x - 1) < 1e-6f);
    }
    ExpectOutwardAndUnit(m);
    // The caps face out of the ends.
    EXPECT_FLOAT_EQ(m.vertices[16].normal[0], -1.0f);
    EXPECT_FLOAT_EQ(m.vertices[25].normal[0], 1.0f);
}

TEST(LogoTubes, ARightAngleIsMitredAndASharpTurnCutsTheTube) {
    LogoMesh corner;
    ASSERT_TRUE(AddLogoTube({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, TubeShape(), &corner));
    EXPECT_EQ(corner.vertices.size(), 3u * 8 + 2 * 9);  // one tube, three rings
    // The middle ring lies in the plane halving the corner, x + y = 1, and
    // keeps the radius from both strokes' axes: its in-plane points sit
    // 0.05 * sqrt(2) from the corner.
    float furthest = 0;
    for (int i = 8; i < 16; i++) {
        const V p = Pos(corner, i);
        EXPECT_NEAR(p.x + p.y, 1.0f, 1e-5f);
        EXPECT_NEAR(std::hypot(p.y, p.z), 0.05f, 1e-5f);  // from the first axis (y = z = 0)
        furthest = std::fmax(furthest, Len(Sub(p, {1, 0, 0})));
    }
    EXPECT_NEAR(furthest, 0.05f * std::sqrt(2.0f), 1e-5f);
    ExpectOutwardAndUnit(corner);

    // Turning back by 150 degrees: two tubes with their own caps.
    LogoMesh sharp;
    ASSERT_TRUE(AddLogoTube({{0, 0, 0}, {1, 0, 0}, {0.1f, 0.5f, 0}}, TubeShape(), &sharp));
    EXPECT_EQ(sharp.vertices.size(), 2u * (2 * 8 + 2 * 9));
    ExpectOutwardAndUnit(sharp);
}

TEST(LogoTubes, AClosedLoopHasNoCapsAndNoSeam) {
    std::vector<LogoPoint> circle;
    for (int k = 0; k <= 12; k++) {
        const float a = k * 2 * 3.14159265f / 12;
        circle.push_back({std::cos(a), std::sin(a), 0});
    }
    circle.back() = circle.front();
    LogoMesh m;
    ASSERT_TRUE(AddLogoTube(circle, TubeShape(), &m));
    EXPECT_EQ(m.vertices.size(), 12u * 8);
    EXPECT_EQ(m.TriangleCount(), 12 * 16);
    ExpectOutwardAndUnit(m);
    // Every edge of a closed, seamless tube is shared by exactly two triangles.
    std::vector<int> uses(m.vertices.size() * m.vertices.size(), 0);
    const int n = static_cast<int>(m.vertices.size());
    for (int t = 0; t < m.TriangleCount(); t++)
        for (int k = 0; k < 3; k++) {
            int a = m.indices[t * 3 + k], b = m.indices[t * 3 + (k + 1) % 3];
            uses[std::min(a, b) * n + std::max(a, b)]++;
        }
    for (int u : uses) ASSERT_TRUE(u == 0 || u == 2);
}

TEST(LogoTubes, AMeshBeyondSixteenBitIndicesIsRefused) {
    std::vector<LogoPoint> longLine;
    for (int i = 0; i < 9000; i++) longLine.push_back({i * 0.01f, 0, 0});
    LogoMesh m;
    EXPECT_FALSE(AddLogoTube(longLine, TubeShape(), &m));
    EXPECT_TRUE(m.vertices.empty());
    EXPECT_TRUE(m.indices.empty());
}

TEST(LogoArtwork, ThreePartsThatFitTheFinalView) {
    const LogoArtwork art = MakeLogoArtwork();
    const auto outlines = ReadLogoOutlines(art.table.data(), art.table.size());
    // The table ends with two end marks and nothing after them.
    ASSERT_GE(art.table.size(), 6u);
    EXPECT_LT(art.table[art.table.size() - 1], -0.5f);
    EXPECT_LT(art.table[art.table.size() - 4], -0.5f);
    EXPECT_EQ(art.firstOfPart[0], 0);
    EXPECT_LT(art.firstOfPart[1], art.firstOfPart[2]);
    EXPECT_LT(art.firstOfPart[2], static_cast<int>(outlines.size()));

    LogoMesh m;
    ASSERT_TRUE(BuildLogoMesh(art.table.data(), art.table.size(), art.firstOfPart, &m));
    for (int i = 0; i < LogoMesh::kParts; i++) EXPECT_LT(m.partFirst[i], m.partFirst[i + 1]);
    EXPECT_EQ(m.partFirst[LogoMesh::kParts], m.TriangleCount());
    ExpectOutwardAndUnit(m);
    // From 3.1 units away the view spans |x| < 1.55 and, on a 4:3 screen,
    // |y| < 1.16; the logo, tubes included, stays inside with a margin.
    for (int i = 0; i < static_cast<int>(m.vertices.size()); i++) {
        const V p = Pos(m, i);
        ASSERT_LT(std::fabs(p.x), 1.45f);
        ASSERT_LT(std::fabs(p.y), 1.1f);
        ASSERT_LT(std::fabs(p.z), 0.06f);
    }
}

TEST(LogoArtwork, PartsFollowTheOutlineNumbersGiven) {
    // Three strokes; parts starting at outlines 0, 2 and 2 leave part 1 empty.
    const float table[] = {0, 0, 0,    1, 0, 0, 0, 0, kEnd, 0, 1, 0,    1, 1, 0,
                           0, 0, kEnd, 0, 2, 0, 1, 2, 0,    0, 0, kEnd, 0, 0, kEnd};
    const int parts[] = {0, 2, 2};
    LogoMesh m;
    ASSERT_TRUE(BuildLogoMesh(table, sizeof table / sizeof table[0], parts, &m));
    EXPECT_EQ(m.partFirst[0], 0);
    EXPECT_EQ(m.partFirst[1], 64);  // two strokes of 32 triangles
    EXPECT_EQ(m.partFirst[2], 64);
    EXPECT_EQ(m.partFirst[3], 96);
}
