// On a 16-bit display there is no stencil buffer: a shadow volume draws
// nothing and reports no error, while render targets still work.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "lib3d/EffectsTestSupport.h"
#include "lib3d/EngineTestSupport.h"

using enginetest::Distance;
using enginetest::ReadPixels;
using enginetest::Rgb;
using namespace effecttest;

namespace {

const int kW = 160, kH = 120;

TEST(Effects16, ShadowVolumeWithoutStencilDrawsNothing) {
    lib3d::Engine engine;
    ASSERT_TRUE(enginetest::OpenEngine(&engine, kW, kH, 1));
    ASSERT_EQ(engine.colourBits, 16);
    EXPECT_FALSE(engine.depthHasStencil);
    engine.focal = kW;
    engine.nearPlane = 0.1f;
    engine.farPlane = 400.0f;
    ASSERT_TRUE(engine.BeginFrame());
    engine.ClearFrame();
    engine.SetState(1, 1);
    engine.SetState(4, 0);
    engine.SetState(10, 0);
    LookAlongZ(&engine);
    TestMesh wall = Square(&engine, 6.0f, 4.0f, 0xFF606060u);
    TestMesh ball = Sphere(&engine, 0, 0, 4.0f, 0.5f, 0xFF00C000u);
    wall.Draw(&engine);
    ball.Draw(&engine);
    const std::vector<Rgb> before = ReadPixels(&engine);
    const float light[3] = {3, 0, 0};
    EXPECT_TRUE(lib3d::DrawShadowVolume(engine, ball.Range(), light, 20.0f));
    const std::vector<Rgb> after = ReadPixels(&engine);
    ASSERT_EQ(before.size(), after.size());
    int changed = 0;
    for (size_t i = 0; i < before.size(); i++) changed += Distance(before[i], after[i]) != 0;
    EXPECT_EQ(changed, 0);
    engine.EndFrame();
    std::ifstream in("lib3d_log.txt");
    std::stringstream log;
    log << in.rdbuf();
    EXPECT_EQ(log.str().find("ERROR"), std::string::npos);
}

TEST(Effects16, RenderTargetWorksWithoutStencil) {
    lib3d::Engine engine;
    ASSERT_TRUE(enginetest::OpenEngine(&engine, kW, kH, 1));
    ASSERT_TRUE(engine.BeginFrame());
    engine.SetState(8, 1);
    ASSERT_TRUE(engine.RenderTargetAt(0));
    engine.SetState(9, 38);
    engine.ClearFrame();
    engine.SetState(1, 0);
    engine.SetState(5, 0);
    enginetest::FlatQuad(&engine, 0, 0, kW / 4.0f, kH / 4.0f, 0.5f, 0xFFF80000u);
    engine.SetState(9, 13);
    engine.ClearFrame();
    engine.SetState(1, 0);
    engine.SetState(5, 1);
    engine.BindTexture(-1);
    engine.DrawQuad2D(0, 0, kW, kH, 0, 0, 1, 1, 1, 1, 1);
    engine.EndFrame();
    EXPECT_LE(Distance(enginetest::PixelAt(&engine, kW / 8, kH / 8), Rgb{248, 0, 0}), 16);
    EXPECT_LE(Distance(enginetest::PixelAt(&engine, kW * 7 / 8, kH * 7 / 8), Rgb{0, 0, 0}), 16);
}

}  // namespace
