#include "game/Camera.h"

#include <gtest/gtest.h>

#include <cmath>

using game::Camera;

TEST(CameraPresets, KeysChooseElevationAndShowTheLabel) {
    Camera c;
    c.azimuth = 33;
    c.distance = 12;
    EXPECT_TRUE(c.HandleKeyRelease(platform::KeyF8));
    EXPECT_EQ(c.preset, 3);
    EXPECT_FLOAT_EQ(c.elevation, 89);
    EXPECT_FLOAT_EQ(c.azimuth, 0);
    EXPECT_FLOAT_EQ(c.distance, 30);
    EXPECT_FLOAT_EQ(c.labelCountdown, 40);
    EXPECT_TRUE(c.HandleKeyRelease(platform::KeyF7));
    EXPECT_FLOAT_EQ(c.elevation, 60);
    EXPECT_TRUE(c.HandleKeyRelease(platform::KeyF6));
    EXPECT_FLOAT_EQ(c.elevation, 45);
    // F5 goes back to the current preset without the label.
    c.labelCountdown = 0;
    c.elevation = 20;
    c.azimuth = 90;
    EXPECT_TRUE(c.HandleKeyRelease(platform::KeyF5));
    EXPECT_EQ(c.preset, 1);
    EXPECT_FLOAT_EQ(c.elevation, 45);
    EXPECT_FLOAT_EQ(c.azimuth, 0);
    EXPECT_FLOAT_EQ(c.labelCountdown, 0);
    EXPECT_FALSE(c.HandleKeyRelease(platform::KeyF9));
    // The eye of preset 1: 30 units away, 45 degrees up, on the +z side.
    EXPECT_NEAR(c.eye[0], 0, 1e-4);
    EXPECT_NEAR(c.eye[1], 30 * std::sqrt(0.5), 1e-4);
    EXPECT_NEAR(c.eye[2], 30 * std::sqrt(0.5), 1e-4);
}

TEST(CameraPresets, LabelCountsDownToZeroAndStops) {
    Camera c;
    c.SetPreset(2, true);
    c.Tick(100.0f);  // 40 - 10
    EXPECT_FLOAT_EQ(c.labelCountdown, 30);
    c.Tick(1000.0f);
    EXPECT_FLOAT_EQ(c.labelCountdown, 0);
    c.Tick(1.0f);
    EXPECT_FLOAT_EQ(c.labelCountdown, 0);
}

TEST(CameraControls, HeldKeysWheelAndDragsStayInRange) {
    Camera c;
    platform::ScriptedInput in;
    in.SetKey(platform::KeyUp, true);
    for (int i = 0; i < 200; ++i) c.HandleHeldKeys(in);
    EXPECT_FLOAT_EQ(c.distance, 0.5f);
    in.SetKey(platform::KeyUp, false);
    in.SetKey(262, true);  // keypad 6 turns right
    c.HandleHeldKeys(in);
    c.HandleHeldKeys(in);
    EXPECT_FLOAT_EQ(c.azimuth, 2);
    in.SetKey(262, false);
    in.SetKey(platform::KeyLeft, true);
    for (int i = 0; i < 400; ++i) c.HandleHeldKeys(in);
    EXPECT_FLOAT_EQ(c.azimuth, -398);  // no wrap

    c.distance = 98;
    EXPECT_TRUE(c.HandleWheel(platform::ButtonWheelDown));
    EXPECT_FLOAT_EQ(c.distance, 100);
    EXPECT_TRUE(c.HandleWheel(platform::ButtonWheelUp));
    EXPECT_FLOAT_EQ(c.distance, 96);
    EXPECT_FALSE(c.HandleWheel(platform::ButtonLeft));

    c.elevation = 45;
    c.azimuth = 0;
    c.HandleDrag(1, 10, -100);  // left button: turn
    EXPECT_FLOAT_EQ(c.azimuth, -2);
    EXPECT_FLOAT_EQ(c.elevation, 65);
    c.HandleDrag(1, 0, -1000);
    EXPECT_FLOAT_EQ(c.elevation, 89);
    c.HandleDrag(1, 0, 1000);
    EXPECT_FLOAT_EQ(c.elevation, 10);
    c.distance = 30;
    c.HandleDrag(4, 50, 20);  // right button: zoom only
    EXPECT_FLOAT_EQ(c.distance, 31);
    EXPECT_FLOAT_EQ(c.azimuth, -2);
    c.HandleDrag(4, 0, -10000);
    EXPECT_FLOAT_EQ(c.distance, 0.5f);
}

TEST(CameraOrbit, ElevationFixedDistanceBreathes) {
    Camera c;
    c.elevation = 70;
    c.Orbit(0.5f, 0.0f);
    EXPECT_FLOAT_EQ(c.elevation, 30);
    EXPECT_FLOAT_EQ(c.distance, 38);
    c.Orbit(0.5f, 45.0f);  // azimuth 22.5: a quarter of the in-out cycle
    EXPECT_FLOAT_EQ(c.azimuth, 22.5f);
    EXPECT_NEAR(c.distance, 30, 1e-4);
    c.Orbit(0.2f, 112.5f);  // azimuth 45
    EXPECT_NEAR(c.distance, 22, 1e-4);
    EXPECT_NEAR(c.eye[1], 11, 1e-4);  // 22 * sin 30
    EXPECT_NEAR(c.eye[0], 22 * std::cos(M_PI / 6) * std::sin(M_PI / 4), 1e-4);
}

TEST(TablePick, RayMeetsTheTablePlane) {
    const float eye[3] = {0, 10, 10};
    const float through[3] = {1, 9, 9};
    float out[3] = {7, 7, 7};
    ASSERT_TRUE(game::TablePoint(eye, through, out));
    EXPECT_NEAR(out[0], 10, 1e-4);
    EXPECT_NEAR(out[1], 0, 1e-4);
    EXPECT_NEAR(out[2], 0, 1e-4);
    const float flat[3] = {3, 10, 4};
    float kept[3] = {7, 7, 7};
    EXPECT_FALSE(game::TablePoint(eye, flat, kept));
    EXPECT_FALSE(game::TablePoint(eye, eye, kept));
    EXPECT_FLOAT_EQ(kept[0], 7);
}

namespace {
void Project(const float m[16], const float p[4], float out[4]) {
    for (int c = 0; c < 4; ++c) {
        out[c] = 0;
        for (int r = 0; r < 4; ++r) out[c] += p[r] * m[r * 4 + c];
    }
}
}  // namespace

TEST(PlanarShadow, PointsFallOntoTheTableAwayFromTheLight) {
    const float plane[4] = {0, 1, 0, 0};
    float m[16];
    const float lamp[4] = {0, 10, 0, 1};
    game::PlanarShadowMatrix(lamp, plane, m);
    const float p[4] = {1, 1, 2, 1};
    float q[4];
    Project(m, p, q);
    EXPECT_NEAR(q[1] / q[3], 0, 1e-5);
    EXPECT_NEAR(q[0] / q[3], 10.0f / 9.0f, 1e-5);
    EXPECT_NEAR(q[2] / q[3], 20.0f / 9.0f, 1e-5);
    // A point already on the table is its own shadow.
    const float onTable[4] = {3, 0, -4, 1};
    Project(m, onTable, q);
    EXPECT_NEAR(q[0] / q[3], 3, 1e-5);
    EXPECT_NEAR(q[2] / q[3], -4, 1e-5);
    // A light straight above and infinitely far drops points vertically.
    const float sun[4] = {0, 1, 0, 0};
    game::PlanarShadowMatrix(sun, plane, m);
    Project(m, p, q);
    EXPECT_NEAR(q[0] / q[3], 1, 1e-5);
    EXPECT_NEAR(q[1] / q[3], 0, 1e-5);
    EXPECT_NEAR(q[2] / q[3], 2, 1e-5);
}
