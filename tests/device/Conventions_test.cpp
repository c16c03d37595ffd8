#include "device/Conventions.h"

#include <gtest/gtest.h>

using namespace device;

namespace {

// clip = (x, y, z, 1) x m, then divided by w.
void Project(const float m[16], float x, float y, float z, float ndc[3]) {
    float clip[4];
    for (int j = 0; j < 4; j++) clip[j] = x * m[j] + y * m[4 + j] + z * m[8 + j] + m[12 + j];
    for (int j = 0; j < 3; j++) ndc[j] = clip[j] / clip[3];
}

}  // namespace

TEST(Conventions, ProjectionDepthMovesFromZeroOneToMinusOneOne) {
    const float n = 0.5f, f = 100.0f, q = f / (f - n);
    const float engine[16] = {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, q, 1, 0, 0, -n * q, 0};
    float gl[16], ndc[3];
    ProjectionToGl(engine, gl);
    Project(gl, 0, 0, n, ndc);
    EXPECT_NEAR(ndc[2], -1.0f, 1e-5f);
    Project(gl, 0, 0, f, ndc);
    EXPECT_NEAR(ndc[2], 1.0f, 1e-4f);
    // x and y are untouched.
    Project(gl, 1, 1, 10, ndc);
    EXPECT_NEAR(ndc[0], 0.2f, 1e-5f);
    EXPECT_NEAR(ndc[1], 0.3f, 1e-5f);
    // Depth order is kept between the planes.
    float nearer[3];
    Project(gl, 0, 0, 5, nearer);
    EXPECT_LT(nearer[2], ndc[2]);
}

TEST(Conventions, WindowPixelsPutTheTopLeftCornerAtTheTop) {
    float m[16], ndc[3];
    WindowPixelProjection(800, 600, m);
    Project(m, 0, 0, 0, ndc);
    EXPECT_FLOAT_EQ(ndc[0], -1.0f);
    EXPECT_FLOAT_EQ(ndc[1], 1.0f);
    EXPECT_FLOAT_EQ(ndc[2], -1.0f);
    Project(m, 800, 600, 1, ndc);
    EXPECT_FLOAT_EQ(ndc[0], 1.0f);
    EXPECT_FLOAT_EQ(ndc[1], -1.0f);
    EXPECT_FLOAT_EQ(ndc[2], 1.0f);
    Project(m, 400, 150, 0.5f, ndc);
    EXPECT_FLOAT_EQ(ndc[1], 0.5f);
    EXPECT_FLOAT_EQ(ndc[2], 0.0f);
}

TEST(Conventions, CullingAndViewport) {
    bool front = false;
    EXPECT_FALSE(CullToGl(CullNone, &front));
    EXPECT_TRUE(CullToGl(CullCCW, &front));
    EXPECT_TRUE(front);
    EXPECT_TRUE(CullToGl(CullCW, &front));
    EXPECT_FALSE(front);
    int x = 0, y = 0;
    ViewportToGl(Viewport{10, 20, 100, 50, 0, 1}, 600, &x, &y);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 530);
}

TEST(Conventions, CapsAreOnlyLowered) {
    Caps full;
    full.maxSimultaneousTextures = 8;
    full.dot3 = true;
    full.pixelShaderMajor = 1;
    full.pixelShaderMinor = 4;

    Caps c = full;
    std::string unknown;
    LowerCaps("", &c, &unknown);
    EXPECT_EQ(c.maxSimultaneousTextures, 1);
    EXPECT_FALSE(c.dot3);
    EXPECT_EQ(c.pixelShaderMajor, 0);
    EXPECT_TRUE(unknown.empty());

    c = full;
    LowerCaps(" Multitexture,PS14 ", &c, &unknown);
    EXPECT_EQ(c.maxSimultaneousTextures, 8);
    EXPECT_FALSE(c.dot3);
    EXPECT_EQ(c.pixelShaderMajor, 1);
    EXPECT_EQ(c.pixelShaderMinor, 4);

    c = full;
    LowerCaps("dot3,,bump, shadows", &c, &unknown);
    EXPECT_TRUE(c.dot3);
    EXPECT_EQ(c.maxSimultaneousTextures, 1);
    EXPECT_EQ(unknown, "bump,shadows");

    Caps weak;  // naming a feature the device lacks does not add it
    LowerCaps("multitexture,dot3,ps14", &weak, nullptr);
    EXPECT_EQ(weak.maxSimultaneousTextures, 1);
    EXPECT_FALSE(weak.dot3);
    EXPECT_EQ(weak.pixelShaderMajor, 0);
}

TEST(VertexLayout, StridesOfTheEngineFormats) {
    EXPECT_EQ(LayoutOf(FvfXyz | FvfDiffuse).stride, 16);
    EXPECT_EQ(LayoutOf(FvfXyz | FvfDiffuse | FvfTex1).stride, 24);
    EXPECT_EQ(LayoutOf(FvfXyz | FvfNormal | FvfTex1).stride, 32);
    EXPECT_EQ(LayoutOf(FvfBlend4 | FvfDiffuse).stride, 36);
    EXPECT_EQ(LayoutOf(FvfXyz | FvfNormal | FvfDiffuse | FvfTex2).stride, 44);
    EXPECT_EQ(LayoutOf(FvfBlend4 | FvfDiffuse | FvfTex1).stride, 44);
    EXPECT_EQ(LayoutOf(FvfBlend4 | FvfDiffuse | FvfTex2).stride, 52);
    EXPECT_EQ(LayoutOf(FvfXyzRhw | FvfDiffuse | FvfTex1).stride, 28);
    EXPECT_EQ(LayoutOf(FvfDiffuse).stride, 0);  // no position
    const VertexLayout l = LayoutOf(FvfBlend4 | FvfDiffuse | FvfTex2);
    EXPECT_EQ(l.blendWeights, 12);
    EXPECT_EQ(l.blendIndices, 28);
    EXPECT_EQ(l.diffuse, 32);
    EXPECT_EQ(l.tex[1], 44);
}

TEST(Formats, DepthAndStencilBits) {
    EXPECT_EQ(FormatStencilBits(FormatD24S8), 8);
    EXPECT_EQ(FormatStencilBits(FormatD15S1), 1);
    EXPECT_EQ(FormatStencilBits(FormatD16), 0);
    EXPECT_EQ(FormatStencilBits(FormatD24X8), 0);
    EXPECT_EQ(FormatDepthBits(FormatD16), 16);
    EXPECT_EQ(FormatDepthBits(FormatR5G6B5), 0);
}
