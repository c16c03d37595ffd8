#include "lib3d/Matrix.h"

#include <gtest/gtest.h>

#include <cmath>

#include "lib3d/DisplayMode.h"
#include "lib3d/Engine.h"

using lib3d::Matrix;

namespace {

void Apply(const float m[16], float x, float y, float z, float out[3]) {
    const float p[3] = {x, y, z};
    Matrix::TransformPoint(m, p, out);
}

void ExpectPoint(const float got[3], float x, float y, float z) {
    EXPECT_NEAR(got[0], x, 1e-4f);
    EXPECT_NEAR(got[1], y, 1e-4f);
    EXPECT_NEAR(got[2], z, 1e-4f);
}

}  // namespace

TEST(Matrix, BuildersApplyInTheOrderTheyAreCalled) {
    float m[16], p[3];
    Matrix::Identity(m);
    Matrix::Rotate(m, 0, 0, 90);
    Matrix::Translate(m, 5, 0, 0);
    Apply(m, 1, 0, 0, p);
    ExpectPoint(p, 5, -1, 0);  // rotated first, then moved

    Matrix::Identity(m);
    Matrix::Translate(m, 5, 0, 0);
    Matrix::Rotate(m, 0, 0, 90);
    Apply(m, 1, 0, 0, p);
    ExpectPoint(p, 0, -6, 0);
}

TEST(Matrix, RotateAboutEachAxis) {
    float m[16], p[3];
    Matrix::Identity(m);
    Matrix::Rotate(m, 90, 0, 0);
    Apply(m, 0, 1, 0, p);
    ExpectPoint(p, 0, 0, -1);
    Matrix::Identity(m);
    Matrix::Rotate(m, 0, 90, 0);
    Apply(m, 1, 0, 0, p);
    ExpectPoint(p, 0, 0, 1);
    // All three at once follows the product of the rows as given.
    Matrix::Identity(m);
    Matrix::Rotate(m, 30, 45, 60);
    const float cx = std::cos(0.5235988f), sx = std::sin(0.5235988f);
    const float cy = std::cos(0.7853982f), sy = std::sin(0.7853982f);
    const float cz = std::cos(1.0471976f), sz = std::sin(1.0471976f);
    EXPECT_NEAR(m[0], cz * cy, 1e-5f);
    EXPECT_NEAR(m[4], cz * sy * sx + sz * cx, 1e-5f);
    EXPECT_NEAR(m[9], sy * sz * cx + cz * sx, 1e-5f);
    EXPECT_NEAR(m[10], cy * cx, 1e-5f);
}

TEST(Matrix, LookAtRollZeroAndHalfTurn) {
    const float eye[3] = {1, 2, 3};
    const float along[3] = {0, 0, 4};
    float m[16], p[3];
    // Looking along +z, roll 0 gives view x = world x and view y = world y
    // relative to the eye; roll 180 turns both round.
    Matrix::LookAt(m, eye, along, 0.0f);
    Apply(m, 1 + 0.5f, 2 - 0.25f, 3 + 7, p);
    ExpectPoint(p, 0.5f, -0.25f, 7);
    Matrix::LookAt(m, eye, along, 180.0f);
    Apply(m, 1 + 0.5f, 2 - 0.25f, 3 + 7, p);
    ExpectPoint(p, -0.5f, 0.25f, 7);
    Matrix::LookAt(m, eye, along, 90.0f);
    Apply(m, 1 + 0.5f, 2 - 0.25f, 3 + 7, p);
    ExpectPoint(p, -0.25f, -0.5f, 7);
}

TEST(Matrix, LookAtSideways) {
    const float eye[3] = {0, 0, 0};
    const float along[3] = {2, 0, 0};
    float m[16], p[3];
    Matrix::LookAt(m, eye, along, 0.0f);
    Apply(m, 3, -1, 2, p);
    ExpectPoint(p, -2, -1, 3);  // X = -z, Y = y, depth = x
}

TEST(Matrix, LookAtStraightDownUsesAnotherReference) {
    const float eye[3] = {0, -10, 0};
    const float down[3] = {0, 5, 0};
    float m[16], p[3];
    Matrix::LookAt(m, eye, down, 0.0f);
    for (float v : m) ASSERT_TRUE(std::isfinite(v));
    Apply(m, 1, -4, 2, p);
    ExpectPoint(p, -1, 2, 6);
}

TEST(Matrix, Inverse) {
    float m[16], inv[16], product[16];
    Matrix::Identity(m);
    Matrix::Rotate(m, 10, 20, 30);
    Matrix::Translate(m, 1, -2, 3);
    m[1] = -m[1];  // mirrored column, as the device's view has
    ASSERT_TRUE(Matrix::Inverse(m, inv));
    Matrix::Multiply(m, inv, product);
    for (int i = 0; i < 16; i++) EXPECT_NEAR(product[i], (i % 5 == 0) ? 1.0f : 0.0f, 1e-5f);
    float singular[16] = {};
    EXPECT_FALSE(Matrix::Inverse(singular, inv));
}

TEST(DisplayMode, ChoosesListedThenNarrowerThenAskedSize) {
    using device::Mode;
    const std::vector<Mode> modes = {{1920, 1080}, {1280, 1024}, {1024, 768}, {800, 600}};
    Mode m = lib3d::ChooseMode(modes, 1280, 1024);
    EXPECT_EQ(m.width, 1280);
    EXPECT_EQ(m.height, 1024);
    m = lib3d::ChooseMode(modes, 1100, 900);
    EXPECT_EQ(m.width, 1024);
    EXPECT_EQ(m.height, 768);
    // A desktop listing only its own larger mode: the asked size.
    m = lib3d::ChooseMode({{1024, 768}}, 800, 600);
    EXPECT_EQ(m.width, 800);
    EXPECT_EQ(m.height, 600);
    m = lib3d::ChooseMode({}, 640, 480);
    EXPECT_EQ(m.width, 640);
}

TEST(DisplayMode, AbsurdSizes) {
    EXPECT_TRUE(lib3d::ValidScreenSize(800, 600));
    EXPECT_FALSE(lib3d::ValidScreenSize(0, 600));
    EXPECT_FALSE(lib3d::ValidScreenSize(800, -1));
    EXPECT_FALSE(lib3d::ValidScreenSize(100000, 600));
}

TEST(EngineLog, FirstLineOfARunTruncates) {
    {
        FILE *f = std::fopen("lib3d_log.txt", "w");
        ASSERT_NE(f, nullptr);
        std::fputs("left over from before\n", f);
        std::fclose(f);
    }
    auto read = [] {
        std::string text;
        FILE *f = std::fopen("lib3d_log.txt", "r");
        if (!f) return text;
        int c;
        while ((c = std::fgetc(f)) != EOF) text.push_back(static_cast<char>(c));
        std::fclose(f);
        return text;
    };
    {
        lib3d::Engine engine;
        engine.Log("first");
        EXPECT_EQ(read(), "first\n");
        engine.Log("second");
        EXPECT_EQ(read(), "first\nsecond\n");
    }
    lib3d::Engine nextRun;
    nextRun.Log("again");
    EXPECT_EQ(read(), "again\n");
}

// The homogeneous product keeps w, which a projection's last column sets:
// x, y and z agree with TransformPoint, and w follows the point's depth.
TEST(Matrix, HomogeneousProductKeepsW) {
    float m[16];
    Matrix::Identity(m);
    Matrix::Rotate(m, 0, 30, 0);
    Matrix::Translate(m, 1, 2, 3);
    m[3] = 0.5f;  // w = 0.5 x + 1
    m[15] = 1.0f;
    const float p[3] = {2, -1, 4};
    float h[4], q[3];
    Matrix::TransformHomogeneous(m, p, h);
    Matrix::TransformPoint(m, p, q);
    ExpectPoint(h, q[0], q[1], q[2]);
    EXPECT_FLOAT_EQ(h[3], 2.0f);
    float same[4];  // the output may be the input
    same[0] = p[0];
    same[1] = p[1];
    same[2] = p[2];
    Matrix::TransformHomogeneous(m, same, same);
    EXPECT_FLOAT_EQ(same[3], 2.0f);
    EXPECT_FLOAT_EQ(same[0], h[0]);
}
