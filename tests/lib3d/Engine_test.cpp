// The engine on a 32-bit display: states change pixels as they should, the
// conventions of window pixels and projection hold, texture slots and the
// reset path behave.

#include "lib3d/Engine.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "lib3d/EngineTestSupport.h"
#include "lib3d/Matrix.h"

using enginetest::Distance;
using enginetest::FlatQuad;
using enginetest::PixelAt;
using enginetest::ReadPixels;
using enginetest::Rgb;
using lib3d::Matrix;

namespace {

const int kW = 160, kH = 120;

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine.reset(new lib3d::Engine());
        ASSERT_TRUE(enginetest::OpenEngine(engine.get(), kW, kH, 3));
        engine->focal = kW;  // as start-up sets it
        engine->nearPlane = 0.1f;
        engine->farPlane = 400.0f;
    }
    void TearDown() override { engine.reset(); }

    int SolidTexture(int r, int g, int b, int a = 255, bool alpha = false) {
        std::vector<uint8_t> p(8 * 8 * 4);
        for (size_t i = 0; i < p.size(); i += 4) {
            p[i] = static_cast<uint8_t>(r);
            p[i + 1] = static_cast<uint8_t>(g);
            p[i + 2] = static_cast<uint8_t>(b);
            p[i + 3] = static_cast<uint8_t>(a);
        }
        return engine->CreateTexture(8, p.data(), 8, alpha);
    }

    // A camera at the origin looking along +z, and a unit square facing it at
    // depth 5, lit from the camera's side.
    void LookAlongZ() {
        engine->SetProjection();
        const float eye[3] = {0, 0, 0}, along[3] = {0, 0, 1};
        float view[16];
        Matrix::LookAt(view, eye, along, 0.0f);
        engine->SetView(view);
    }

    void FacingSquare(float z = 5.0f, float half = 1.0f) {
        struct V {
            float x, y, z, nx, ny, nz;
        };
        // Clockwise as the camera sees it (+x on the left, +y up).
        const V v[6] = {{-half, -half, z, 0, 0, -1}, {half, -half, z, 0, 0, -1},
                        {half, half, z, 0, 0, -1},   {-half, -half, z, 0, 0, -1},
                        {half, half, z, 0, 0, -1},   {-half, half, z, 0, 0, -1}};
        float identity[16];
        Matrix::Identity(identity);
        engine->SetWorld(identity);
        engine->DrawTriangles(device::FvfXyz | device::FvfNormal, v, 2);
    }

    std::unique_ptr<lib3d::Engine> engine;
};

const Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255}, kRed{255, 0, 0}, kGreen{0, 255, 0};

}  // namespace

TEST_F(EngineTest, OpensWithTheRequestedFormats) {
    EXPECT_EQ(engine->width, kW);
    EXPECT_EQ(engine->height, kH);
    EXPECT_EQ(engine->colourBits, 32);
    EXPECT_EQ(engine->backBufferFormat, device::FormatX8R8G8B8);
    EXPECT_EQ(engine->depthFormat, device::FormatD24S8);
    EXPECT_TRUE(engine->depthHasStencil);
}

TEST_F(EngineTest, AbsurdSizeFallsBackWithAMessage) {
    testing::internal::CaptureStderr();
    ASSERT_EQ(engine->Open(0, -5, 3), 1);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(engine->width, 800);
    EXPECT_EQ(engine->height, 600);
    EXPECT_NE(err.find("0x-5"), std::string::npos) << err;
}

TEST_F(EngineTest, FullScreenSizeNotListedStillOpens) {
    // Xvfb lists only its own 1024 x 768 mode.
    engine->fullscreen = true;
    ASSERT_EQ(engine->Open(640, 480, 3), 1);
    EXPECT_EQ(engine->width, 640);
    EXPECT_EQ(engine->height, 480);
}

TEST_F(EngineTest, DeviceCreationRetriesOnceWithTheReferenceDevice) {
    device::adapter::FailNextDeviceCreations(1);
    EXPECT_EQ(engine->Open(kW, kH, 3), 1);
    device::adapter::FailNextDeviceCreations(2);
    EXPECT_EQ(engine->Open(kW, kH, 3), 0);
    device::adapter::FailNextDeviceCreations(0);
    EXPECT_EQ(engine->Open(kW, kH, 3), 1);
}

TEST_F(EngineTest, Quad2DCoversExactlyItsPixels) {
    enginetest::StartPlainFrame(engine.get());
    engine->DrawQuad2D(10, 20, 30, 40, 0, 0, 1, 1, 1, 1, 1);
    const std::vector<Rgb> px = ReadPixels(engine.get());
    int wrong = 0;
    for (int y = 0; y < kH; y++) {
        for (int x = 0; x < kW; x++) {
            const bool inside = x >= 10 && x < 40 && y >= 20 && y < 60;
            wrong += Distance(px[y * kW + x], inside ? kWhite : kBlack) > 0;
        }
    }
    EXPECT_EQ(wrong, 0);
    // Colours are channel x 255, truncated.
    engine->DrawQuad2D(0, 0, 4, 4, 0, 0, 1, 1, 0.5f, 0.25f, 1.0f);
    EXPECT_EQ(Distance(PixelAt(engine.get(), 1, 1), Rgb{127, 63, 255}), 0);
    // Out-of-range channels saturate instead of wrapping round in 8 bits.
    engine->DrawQuad2D(0, 0, 4, 4, 0, 0, 1, 1, 1.5f, -0.5f, 1.01f);
    EXPECT_EQ(Distance(PixelAt(engine.get(), 1, 1), Rgb{255, 0, 255}), 0);
}

TEST_F(EngineTest, Quad2DTextureCoordinatesSampleTexelCentres) {
    // A 2x2 texture of four colours drawn over 2x2 pixels lands texel for pixel.
    const uint8_t p[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    const int slot = engine->CreateTexture(2, p, 2, false);
    enginetest::StartPlainFrame(engine.get());
    engine->SetState(5, 1);
    engine->BindTexture(slot);
    engine->DrawQuad2D(50, 50, 2, 2, 0, 0, 1, 1, 1, 1, 1);
    EXPECT_EQ(Distance(PixelAt(engine.get(), 50, 50), kRed), 0);
    EXPECT_EQ(Distance(PixelAt(engine.get(), 51, 50), kGreen), 0);
    EXPECT_EQ(Distance(PixelAt(engine.get(), 50, 51), Rgb{0, 0, 255}), 0);
    EXPECT_EQ(Distance(PixelAt(engine.get(), 51, 51), kWhite), 0);
}

TEST_F(EngineTest, CullingFollowsTheScreenWinding) {
    // A screen quad runs clockwise on screen.
    const int cull[3] = {0, 4, 5};
    const bool drawn[3] = {true, false, true};
    for (int i = 0; i < 3; i++) {
        enginetest::StartPlainFrame(engine.get());
        engine->SetState(4, cull[i]);
        engine->DrawQuad2D(10, 10, 20, 20, 0, 0, 1, 1, 1, 1, 1);
        EXPECT_EQ(Distance(PixelAt(engine.get(), 20, 20), drawn[i] ? kWhite : kBlack), 0)
            << "cull " << cull[i];
    }
    engine->SetState(4, 4);
    EXPECT_EQ(engine->winding, 0);
    engine->SetState(4, 0);
    EXPECT_EQ(engine->winding, 0);
    engine->SetState(4, 5);
    EXPECT_EQ(engine->winding, 1);
}

TEST_F(EngineTest, DepthModes) {
    struct Case {
        int first, second;  // states before the near red and the far green quad
        Rgb overlap, greenOnly;
    };
    // Red at depth 0.3 first, then green at 0.6 partly over it.
    const Case cases[] = {
        {1, 1, kRed, kGreen},        // test and write: the nearer red stays
        {0, 0, kGreen, kGreen},      // no depth: the last one drawn
        {17, 1, kGreen, kGreen},     // red wrote no depth
        {1, 257, kGreen, kBlack},    // Greater: farther than red, not than the clear
        {1, 256, kRed, kGreen},      // Less
        {264, 265, kGreen, kGreen},  // on, then both off
        {266, 264, kRed, kGreen},    // LessEqual
    };
    for (const Case &c : cases) {
        enginetest::StartPlainFrame(engine.get());
        engine->SetState(1, 1);
        engine->SetState(1, 259);
        engine->SetState(1, c.first);
        FlatQuad(engine.get(), 10, 10, 30, 30, 0.3f, 0xFFFF0000u);
        engine->SetState(1, c.second);
        FlatQuad(engine.get(), 20, 20, 30, 30, 0.6f, 0xFF00FF00u);
        EXPECT_EQ(Distance(PixelAt(engine.get(), 30, 30), c.overlap), 0)
            << c.first << "/" << c.second;
        EXPECT_EQ(Distance(PixelAt(engine.get(), 45, 45), c.greenOnly), 0)
            << c.first << "/" << c.second;
    }
}

TEST_F(EngineTest, BlendModes) {
    // Destination (40, 200, 100); source (200, 100, 20) with alpha 0x40 (a = 0.25).
    const double a = 64.0 / 255.0;
    struct Case {
        int value;
        double r, g, b;
    };
    auto mix = [&](double s, double d, double fs, double fd) {
        return std::min(255.0, s * fs + d * fd);
    };
    const Case cases[] = {
        {0, 200, 100, 20},
        {1, mix(200, 40, a, 1 - a), mix(100, 200, a, 1 - a), mix(20, 100, a, 1 - a)},
        {18, mix(200, 40, a, 1), mix(100, 200, a, 1), mix(20, 100, a, 1)},
        {49, 200 * 40 / 255.0, 100 * 200 / 255.0, 20 * 100 / 255.0},
        {58, mix(200, 40, 1 - a, a), mix(100, 200, 1 - a, a), mix(20, 100, 1 - a, a)},
    };
    for (const Case &c : cases) {
        enginetest::StartPlainFrame(engine.get());
        FlatQuad(engine.get(), 0, 0, 50, 50, 0.5f, 0xFF28C864u);
        engine->SetState(6, c.value);
        FlatQuad(engine.get(), 0, 0, 50, 50, 0.5f, 0x40C86414u);
        engine->SetState(6, 0);
        const Rgb got = PixelAt(engine.get(), 25, 25);
        EXPECT_LE(
            Distance(got, Rgb{static_cast<int>(c.r), static_cast<int>(c.g), static_cast<int>(c.b)}),
            2)
            << "blend " << c.value << ": " << got.r << "," << got.g << "," << got.b;
    }
}

TEST_F(EngineTest, TextureStages) {
    const int t0 = SolidTexture(200, 100, 40);
    const int t1 = SolidTexture(40, 40, 160);
    // What the 16-bit texels hold, as fractions, and the diffuse 128 / 255.
    const double t0r = 25 / 31.0, t0g = 25 / 63.0, t0b = 5 / 31.0;
    const double t1r = 5 / 31.0, t1g = 10 / 63.0, t1b = 20 / 31.0;
    const double d = 128 / 255.0;
    auto rgb = [](double r, double g, double b) {
        auto c = [](double v) { return static_cast<int>(std::lround(std::min(1.0, v) * 255)); };
        return Rgb{c(r), c(g), c(b)};
    };
    struct Case {
        int stage0, stage1;
        Rgb expect;
    };
    const Case cases[] = {
        {1, 0, rgb(t0r * d, t0g * d, t0b * d)},                     // texture x diffuse
        {46, 0, rgb(t0r + d, t0g + d, t0b + d)},                    // texture + diffuse
        {0, 0, rgb(d, d, d)},                                       // no texture
        {1, 46, rgb(t0r * d + t1r, t0g * d + t1g, t0b * d + t1b)},  // then + second
        {1, 6, rgb(t0r * d * t1r, t0g * d * t1g, t0b * d * t1b)},   // then x second
    };
    for (const Case &c : cases) {
        enginetest::StartPlainFrame(engine.get());
        engine->SetState(5, 1);
        engine->SetState(5, c.stage0);
        engine->BindTexture(c.stage0 == 0 ? -1 : t0);
        if (c.stage1) {
            engine->BindTexture1(t1);
            engine->SetState(14, 1);
            engine->SetState(14, c.stage1);
        } else {
            engine->SetState(14, 0);
        }
        engine->DrawQuad2D(0, 0, 40, 40, 0, 0, 1, 1, 0.503f, 0.503f, 0.503f);
        const Rgb got = PixelAt(engine.get(), 20, 20);
        EXPECT_LE(Distance(got, c.expect), 2)
            << c.stage0 << "/" << c.stage1 << ": " << got.r << "," << got.g << "," << got.b;
    }
}

TEST_F(EngineTest, LightingOnAndOff) {
    auto frame = [&](int lighting, bool lightOn) {
        engine->BeginFrame();
        engine->ClearFrame();
        engine->SetState(1, 0);
        engine->SetState(4, 5);
        engine->SetState(5, 0);
        engine->SetState(6, 0);
        LookAlongZ();
        engine->SetAmbient(0.0f, 0.0f, 0.25f);
        engine->SetDirectionalLight(3, 0, 0, 1, 1.0f, 0.0f, 0.0f);
        if (lightOn) {
            engine->EnableLight(3);
        } else {
            engine->DisableLight(3);
        }
        engine->SetState(10, lighting);
        FacingSquare();
        return PixelAt(engine.get(), kW / 2, kH / 2);
    };
    EXPECT_EQ(Distance(frame(0, true), kWhite), 0);  // unlit: white vertices
    EXPECT_LE(Distance(frame(1, true), Rgb{255, 0, 64}), 2);
    EXPECT_LE(Distance(frame(1, false), Rgb{0, 0, 64}), 2);
}

TEST_F(EngineTest, SlotColourSetsBecomeTheLitMaterial) {
    engine->BeginFrame();
    engine->ClearFrame();
    engine->SetState(1, 0);
    engine->SetState(5, 0);
    LookAlongZ();
    engine->SetAmbient(0, 0, 0);
    engine->SetDirectionalLight(0, 0, 0, 1, 1, 1, 1);
    engine->EnableLight(0);
    engine->SetState(10, 1);
    lib3d::SlotMaterial m;
    m.diffuse[0] = 1.0f;
    m.diffuse[1] = 0.5f;
    m.diffuse[2] = 0.0f;
    engine->ApplyMaterial(m);
    FacingSquare();
    EXPECT_LE(Distance(PixelAt(engine.get(), kW / 2, kH / 2), Rgb{255, 128, 0}), 1);
    // The viewport matrix follows the whole window.
    EXPECT_FLOAT_EQ(engine->viewportMatrix[0], kW / 2.0f);
    EXPECT_FLOAT_EQ(engine->viewportMatrix[5], kH / 2.0f);
    EXPECT_FLOAT_EQ(engine->viewportMatrix[12], kW / 2.0f);
    EXPECT_FLOAT_EQ(engine->viewportMatrix[10], 1.0f);
}

TEST_F(EngineTest, BackFacingSquareIsCulledCounterClockwise) {
    engine->BeginFrame();
    engine->ClearFrame();
    engine->SetState(10, 0);
    engine->SetState(5, 0);
    engine->SetState(4, 5);
    LookAlongZ();
    FacingSquare();
    EXPECT_EQ(Distance(PixelAt(engine.get(), kW / 2, kH / 2), kWhite), 0);
    engine->SetState(4, 4);
    engine->ClearFrame();
    FacingSquare();
    EXPECT_EQ(Distance(PixelAt(engine.get(), kW / 2, kH / 2), kBlack), 0);
}

TEST_F(EngineTest, ProjectedPointUnprojectsOntoTheSameRay) {
    enginetest::StartPlainFrame(engine.get());
    engine->SetProjection();
    const float eye[3] = {1.0f, -2.0f, -5.0f};
    const float direction[3] = {-1.0f, 2.0f, 5.0f};
    float view[16];
    Matrix::LookAt(view, eye, direction, 25.0f);
    engine->SetView(view);
    const float target[3] = {0.4f, -0.3f, 0.7f};
    // A tiny square around the target, facing the eye roughly; no culling.
    const float s = 0.02f;
    const float tri[6][3] = {
        {target[0] - s, target[1] - s, target[2]}, {target[0] + s, target[1] - s, target[2]},
        {target[0] + s, target[1] + s, target[2]}, {target[0] - s, target[1] - s, target[2]},
        {target[0] + s, target[1] + s, target[2]}, {target[0] - s, target[1] + s, target[2]}};
    float identity[16];
    Matrix::Identity(identity);
    engine->SetWorld(identity);
    engine->DrawTriangles(device::FvfXyz, tri, 2);
    const std::vector<Rgb> px = ReadPixels(engine.get());
    double sx = 0, sy = 0, n = 0;
    for (int y = 0; y < kH; y++) {
        for (int x = 0; x < kW; x++) {
            if (px[y * kW + x].r > 128) {
                sx += x;
                sy += y;
                n++;
            }
        }
    }
    ASSERT_GT(n, 0);
    float on[3];
    // Pixel (i, j) covers [i, i + 1) x [j, j + 1): its centre is half a pixel in.
    engine->Unproject(static_cast<float>(sx / n + 0.5), static_cast<float>(sy / n + 0.5), on);
    // Distance from the target to the line eye -> on.
    double d[3], t[3];
    for (int i = 0; i < 3; i++) {
        d[i] = on[i] - eye[i];
        t[i] = target[i] - eye[i];
    }
    const double dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    const double k = (d[0] * t[0] + d[1] * t[1] + d[2] * t[2]) / dd;
    double miss = 0;
    for (int i = 0; i < 3; i++) miss += (t[i] - k * d[i]) * (t[i] - k * d[i]);
    // The eye is about 6 units away; a pixel there spans about 0.04.
    EXPECT_LT(std::sqrt(miss), 0.03);
    // The un-projected point lies one unit along the viewing axis.
    const double len = std::sqrt(dd);
    EXPECT_GT(len, 1.0);
    EXPECT_LT(len, 1.2);
}

TEST_F(EngineTest, ProjectionFollowsTheFocalLength) {
    engine->width = 800;
    engine->height = 600;
    engine->focal = 800;
    engine->nearPlane = 0.1f;
    engine->farPlane = 400.0f;
    engine->SetProjection();
    float p[16];
    engine->GetDevice()->GetTransform(device::TransformProjection, p);
    // Vertical field of view 2 atan(0.375): cot = 1 / 0.375.
    EXPECT_NEAR(p[5], 1.0f / 0.375f, 1e-4f);
    EXPECT_NEAR(p[0], p[5] * 600.0f / 800.0f, 1e-4f);
    EXPECT_NEAR(p[10], 400.0f / 399.9f, 1e-5f);
    EXPECT_FLOAT_EQ(p[11], 1.0f);
    EXPECT_NEAR(p[14], -0.1f * 400.0f / 399.9f, 1e-6f);
    EXPECT_FLOAT_EQ(engine->projectionTransposed[11], p[14]);
    // View and world are reset to identity.
    float v[16];
    engine->GetDevice()->GetTransform(device::TransformView, v);
    EXPECT_FLOAT_EQ(v[0], 1.0f);
    EXPECT_FLOAT_EQ(v[1], 0.0f);
}

TEST_F(EngineTest, ViewReachesTheDeviceWithItsFirstColumnNegated) {
    float m[16];
    for (int i = 0; i < 16; i++) m[i] = static_cast<float>(i + 1);
    engine->SetView(m);
    float d[16];
    engine->GetDevice()->GetTransform(device::TransformView, d);
    for (int i = 0; i < 16; i++) {
        EXPECT_FLOAT_EQ(d[i], (i % 4 == 0) ? -m[i] : m[i]) << i;
        EXPECT_FLOAT_EQ(engine->view[i], m[i]);
    }
}

// A camera above the table on the player's side (+z) looking at the centre:
// what is higher in the world is higher on the screen, and +x is on the right.
TEST_F(EngineTest, LookAtViewShowsTheWorldUpright) {
    enginetest::StartPlainFrame(engine.get());
    engine->SetProjection();
    const float eye[3] = {0.0f, 10.0f, 20.0f};
    const float direction[3] = {-eye[0], -eye[1], -eye[2]};
    float view[16], identity[16];
    Matrix::LookAt(view, eye, direction, 0.0f);
    engine->SetView(view);
    Matrix::Identity(identity);
    engine->SetWorld(identity);
    auto centreOf = [&](float x, float y, float z, double *cx, double *cy) {
        const float s = 0.3f;
        const float tri[6][3] = {{x - s, y - s, z}, {x + s, y - s, z}, {x + s, y + s, z},
                                 {x - s, y - s, z}, {x + s, y + s, z}, {x - s, y + s, z}};
        engine->ClearFrame();
        engine->SetState(4, 0);
        engine->DrawTriangles(device::FvfXyz, tri, 2);
        const std::vector<Rgb> px = ReadPixels(engine.get());
        double sx = 0, sy = 0, n = 0;
        for (int py = 0; py < kH; py++) {
            for (int pxx = 0; pxx < kW; pxx++) {
                if (px[py * kW + pxx].r > 128) {
                    sx += pxx;
                    sy += py;
                    n++;
                }
            }
        }
        ASSERT_GT(n, 0);
        *cx = sx / n;
        *cy = sy / n;
    };
    double rightX, rightY, upX, upY;
    centreOf(5.0f, 0.0f, 0.0f, &rightX, &rightY);
    centreOf(0.0f, 5.0f, 0.0f, &upX, &upY);
    EXPECT_GT(rightX, kW / 2 + 10);
    EXPECT_NEAR(rightY, kH / 2, 12);  // the point is below the eye, so a little low
    EXPECT_LT(upY, kH / 2 - 10);
    EXPECT_NEAR(upX, kW / 2, 1);
    // Picking sees the same picture: the right edge un-projects to +x, the top edge upwards.
    float p[3];
    engine->Unproject(kW - 1.0f, kH / 2.0f, p);
    EXPECT_GT(p[0], 0.0f);
    engine->Unproject(kW / 2.0f, 0.0f, p);
    EXPECT_GT(p[1], eye[1] - 0.5f * 10.0f / 22.36f);
}

TEST_F(EngineTest, TextureSlotsAreReusedLowestFirst) {
    const int a = SolidTexture(1, 2, 3), b = SolidTexture(1, 2, 3), c = SolidTexture(1, 2, 3);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(c, 2);
    engine->ReleaseTexture(1);
    engine->ReleaseTexture(0);
    EXPECT_EQ(SolidTexture(1, 2, 3), 0);
    EXPECT_EQ(SolidTexture(1, 2, 3), 1);
    engine->ReleaseTexture(0);
    engine->ReleaseTexture(0);  // a free slot: nothing happens
    EXPECT_EQ(engine->TextureMaterial(0), nullptr);
    // Fill every slot; then there is none left.
    int last = 0;
    while (last >= 0 && last < lib3d::Engine::kTextureSlots) last = SolidTexture(1, 2, 3);
    EXPECT_EQ(last, -1);
    EXPECT_EQ(SolidTexture(1, 2, 3), -1);
}

TEST_F(EngineTest, SlotFieldsFollowTheCreationFlags) {
    std::vector<uint8_t> pixels(300 * 300 * 4, 200);
    engine->SetState(7, 15);
    engine->SetState(7, 8);
    const int mip = engine->CreateTexture(256, pixels.data(), 300, false);
    engine->SetState(7, 16);
    engine->SetState(7, 9);
    const int plain = engine->CreateTexture(256, pixels.data(), 300, true);
    const lib3d::TextureSlot *s = engine->Slot(mip);
    ASSERT_TRUE(s && s->texture);
    EXPECT_EQ(s->texture->Levels(), 9);
    EXPECT_EQ(s->mipmapped, 1);
    EXPECT_EQ(s->clamp, 1);
    EXPECT_EQ(s->formatIndex, 0);
    EXPECT_EQ(s->texture->GetFormat(), device::FormatR5G6B5);
    const lib3d::TextureSlot *t = engine->Slot(plain);
    ASSERT_TRUE(t && t->texture);
    EXPECT_EQ(t->texture->Levels(), 1);
    EXPECT_EQ(t->clamp, 0);
    EXPECT_EQ(t->formatIndex, 2);
    EXPECT_EQ(t->texture->GetFormat(), device::FormatA4R4G4B4);
    // The slot's colour set appears on first request with its defaults.
    lib3d::SlotMaterial *m = engine->TextureMaterial(mip);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m, engine->TextureMaterial(mip));
    EXPECT_FLOAT_EQ(m->diffuse[3], 1.0f);
    EXPECT_FLOAT_EQ(m->power, 20.0f);
    // Size is bounded by the device's largest texture.
    engine->maxTextureWidth = 64;
    const int small = engine->CreateTexture(256, pixels.data(), 300, false);
    EXPECT_EQ(engine->Slot(small)->size, 64);
}

TEST_F(EngineTest, MipLevelsHoldTheHalvedPicture) {
    // Left half white, right half black: level 1's pixel on the boundary
    // mixes them as the halving weights say.
    std::vector<uint8_t> p(4 * 4 * 4, 0);
    for (int y = 0; y < 4; y++) {
        for (int x = 0; x < 2; x++) std::fill_n(&p[(y * 4 + x) * 4], 4, 255);
    }
    engine->SetState(7, 15);
    const int slot = engine->CreateTexture(4, p.data(), 4, false);
    engine->SetState(7, 16);
    device::Texture *t = engine->Slot(slot)->texture.get();
    ASSERT_EQ(t->Levels(), 3);
    int pitch = 0;
    const uint16_t *level1 = t->LockRect(1, &pitch, true);
    // (1, 0) of level 1 centres on source (2, 0): black, left neighbour white.
    const int v = (4 * 0 + 255 + 0 + 0 + 0) / 8;  // 31
    EXPECT_EQ(level1[1] >> 11, v >> 3);
    EXPECT_EQ(level1[0], 0xFFFF);  // (0, 0): centre white, right (1, 0) white
}

TEST_F(EngineTest, FormatFallbackOrder) {
    device::Device *d = engine->GetDevice();
    d->RefuseTextureFormat(device::FormatR5G6B5, true);
    int slot = SolidTexture(10, 20, 30);
    EXPECT_EQ(engine->Slot(slot)->formatIndex, 1);
    d->RefuseTextureFormat(device::FormatX1R5G5B5, true);
    slot = SolidTexture(10, 20, 30);
    EXPECT_EQ(engine->Slot(slot)->formatIndex, 2);
    d->RefuseTextureFormat(device::FormatA4R4G4B4, true);
    slot = SolidTexture(10, 20, 30);
    ASSERT_GE(slot, 0);
    EXPECT_TRUE(engine->Slot(slot)->inUse);
    EXPECT_EQ(engine->Slot(slot)->texture, nullptr);
    // Binding a slot without a texture binds nothing.
    engine->BindTexture(slot);
    EXPECT_EQ(d->GetTexture(0), nullptr);
}

TEST_F(EngineTest, OwnerTagsReleaseTheirGroup) {
    engine->SetOwnerTag(7);
    const int a = SolidTexture(1, 1, 1);
    engine->SetOwnerTag(9);
    const int b = SolidTexture(1, 1, 1);
    engine->SetOwnerTag(7);
    engine->ReleaseTextures();
    EXPECT_FALSE(engine->Slot(a)->inUse);
    EXPECT_TRUE(engine->Slot(b)->inUse);
    engine->SetOwnerTag(0);
    engine->ReleaseTextures();
    EXPECT_FALSE(engine->Slot(b)->inUse);
}

TEST_F(EngineTest, ChangedPixelsAppearAfterEndFrame) {
    const int slot = SolidTexture(255, 0, 0);
    auto draw = [&] {
        enginetest::StartPlainFrame(engine.get());
        engine->SetState(5, 1);
        engine->BindTexture(slot);
        engine->DrawQuad2D(0, 0, 16, 16, 0, 0, 1, 1, 1, 1, 1);
        return PixelAt(engine.get(), 8, 8);
    };
    EXPECT_EQ(Distance(draw(), kRed), 0);
    engine->EndFrame();
    EXPECT_EQ(Distance(draw(), kRed), 0);  // sends what creation left pending
    int pitch = 0;
    uint16_t *words = engine->LockTexture(slot, &pitch);
    ASSERT_NE(words, nullptr);
    for (int y = 0; y < 8; y++) {
        for (int x = 0; x < 8; x++) words[y * pitch / 2 + x] = 0x07E0;  // green
    }
    engine->UnlockTexture(slot, device::Rect{0, 0, 8, 8});
    EXPECT_EQ(Distance(draw(), kRed), 0);  // not uploaded before the frame ends
    engine->EndFrame();
    EXPECT_EQ(Distance(draw(), kGreen), 0);
}

TEST_F(EngineTest, LostDeviceSkipsFramesThenResetRestoresTexturesAndLights) {
    const int slot = SolidTexture(200, 160, 80);
    auto frame = [&]() -> bool {
        if (!engine->BeginFrame()) return false;
        engine->ClearFrame();
        engine->SetState(1, 0);
        engine->SetState(4, 0);
        engine->SetState(6, 0);
        LookAlongZ();
        engine->SetState(10, 1);
        engine->SetState(5, 1);
        engine->BindTexture(slot);
        struct V {
            float x, y, z, nx, ny, nz, u, v;
        };
        const V v[3] = {
            {-2, -2, 5, 0, 0, -1, 0, 0}, {2, -2, 5, 0, 0, -1, 1, 0}, {0, 2, 5, 0, 0, -1, 0.5f, 1}};
        engine->DrawTriangles(device::FvfXyz | device::FvfNormal | device::FvfTex1, v, 1);
        return true;
    };
    engine->SetAmbient(0, 0, 0);
    engine->SetDirectionalLight(5, 0, 0, 1, 0.5f, 1.0f, 1.0f);
    engine->EnableLight(5);
    ASSERT_TRUE(frame());
    const Rgb before = PixelAt(engine.get(), kW / 2, kH / 2);
    // Light (0.5, 1, 1) on the texel (25/31, 40/63, 10/31).
    EXPECT_LE(Distance(before, Rgb{103, 162, 82}), 2);
    engine->EndFrame();
    engine->PresentFrame();

    engine->GetDevice()->ForceLoss(3);
    EXPECT_FALSE(frame());
    EXPECT_FALSE(frame());
    EXPECT_FALSE(frame());
    EXPECT_EQ(engine->GetDevice()->ResetCount(), 0);
    EXPECT_FALSE(frame());  // the reset happens here; this frame is skipped too
    EXPECT_EQ(engine->GetDevice()->ResetCount(), 1);
    ASSERT_TRUE(frame());
    EXPECT_LE(Distance(PixelAt(engine.get(), kW / 2, kH / 2), before), 1);
}

TEST_F(EngineTest, BackBufferIsReadableAfterPresent) {
    enginetest::StartPlainFrame(engine.get());
    engine->DrawQuad2D(0, 0, 20, 20, 0, 0, 1, 1, 0, 1, 0);
    engine->EndFrame();
    engine->PresentFrame();
    EXPECT_EQ(Distance(PixelAt(engine.get(), 5, 5), kGreen), 0);
    EXPECT_EQ(Distance(PixelAt(engine.get(), 50, 50), kBlack), 0);
}

TEST_F(EngineTest, StencilTestHidesWhereTheCountDiffers) {
    enginetest::StartPlainFrame(engine.get());
    engine->SetState(9, 21);   // colour with stencil test
    engine->SetState(12, 26);  // equal to 1: the cleared buffer holds 0
    engine->DrawQuad2D(0, 0, 20, 20, 0, 0, 1, 1, 1, 1, 1);
    EXPECT_EQ(Distance(PixelAt(engine.get(), 5, 5), kBlack), 0);
    engine->SetState(12, 25);  // equal to 0
    engine->DrawQuad2D(0, 0, 20, 20, 0, 0, 1, 1, 1, 1, 1);
    EXPECT_EQ(Distance(PixelAt(engine.get(), 5, 5), kWhite), 0);
    engine->SetState(9, 20);
}

TEST_F(EngineTest, AlphaTest) {
    enginetest::StartPlainFrame(engine.get());
    engine->SetState(21, 0x80);
    engine->SetState(21, 260);  // GreaterEqual
    engine->SetState(21, 264);
    FlatQuad(engine.get(), 0, 0, 10, 10, 0.5f, 0x40FFFFFFu);
    FlatQuad(engine.get(), 10, 0, 10, 10, 0.5f, 0xC0FFFFFFu);
    EXPECT_EQ(Distance(PixelAt(engine.get(), 5, 5), kBlack), 0);
    EXPECT_EQ(Distance(PixelAt(engine.get(), 15, 5), kWhite), 0);
    engine->SetState(21, 265);
    FlatQuad(engine.get(), 0, 0, 10, 10, 0.5f, 0x40FFFFFFu);
    EXPECT_EQ(Distance(PixelAt(engine.get(), 5, 5), kWhite), 0);
}

TEST_F(EngineTest, PointerIsASixteenPixelBlendedQuad) {
    std::vector<uint8_t> p(16 * 16 * 4, 255);
    for (int i = 3; i < 16 * 16 * 4; i += 8) p[i] = 0;  // every other pixel transparent
    engine->pointerTexture = engine->CreateTexture(16, p.data(), 16, true);
    enginetest::StartPlainFrame(engine.get());
    engine->DrawPointer(30, 40);
    const std::vector<Rgb> px = ReadPixels(engine.get());
    int lit = 0;
    for (int y = 0; y < kH; y++) {
        for (int x = 0; x < kW; x++) {
            if (px[y * kW + x].r == 0) continue;
            lit++;
            EXPECT_TRUE(x >= 30 && x < 46 && y >= 40 && y < 56) << x << "," << y;
        }
    }
    EXPECT_EQ(lit, 16 * 16 / 2);
}

TEST_F(EngineTest, ReferencePictureReadsBackAtFiveSixFivePrecision) {
    // The same picture the 16-bit display test reads: both must give the
    // reference colours once cut to 5-6-5.
    enginetest::DrawReferencePicture(engine.get());
    const std::vector<Rgb> px = ReadPixels(engine.get());
    int wrong = 0;
    for (int y = 0; y < kH; y += 7) {
        for (int x = 0; x < kW; x++) {
            Rgb p = px[y * kW + x];
            p = Rgb{p.r & 0xF8, p.g & 0xFC, p.b & 0xF8};
            wrong += Distance(p, enginetest::ReferenceColour(x, y, kW)) != 0;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(EngineTest, PictureFilesBecomeSquareSlots) {
    // A picture wider than tall is taken as a square as wide as it is; the
    // rows it does not have come out black rather than read past its end.
    SDL_Surface *s = SDL_CreateRGBSurface(SDL_SWSURFACE, 8, 4, 24, 0xFF, 0xFF00, 0xFF0000, 0);
    ASSERT_NE(s, nullptr);
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 255, 0, 0));
    ASSERT_EQ(SDL_SaveBMP(s, "wide.bmp"), 0);
    SDL_FreeSurface(s);
    engine->SetState(7, 8);
    const int slot = engine->LoadTexture("wide.bmp");
    ASSERT_GE(slot, 0);
    const lib3d::TextureSlot *t = engine->Slot(slot);
    EXPECT_EQ(t->size, 8);
    EXPECT_EQ(t->formatIndex, 0);  // no alpha
    EXPECT_EQ(t->clamp, 0);        // picture textures wrap
    int pitch = 0;
    const uint16_t *words = t->texture->LockRect(0, &pitch, true);
    EXPECT_EQ(words[0], 0xF800);
    EXPECT_EQ(words[3 * 8 + 7], 0xF800);
    EXPECT_EQ(words[4 * 8], 0);
    EXPECT_EQ(words[7 * 8 + 7], 0);

    testing::internal::CaptureStderr();
    EXPECT_EQ(engine->LoadTexture("no/such/picture.png"), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Texture not found : no/such/picture.png\n");
}

// The screen rectangle given for a box holds every pixel the box's faces
// cover, and little more; a box reaching behind the eye has none.
TEST_F(EngineTest, ScreenBoundsHoldEveryPixelOfTheBox) {
    const float eye[3] = {3.0f, 4.0f, -6.0f}, direction[3] = {-0.4f, -0.5f, 1.0f};
    float view[16];
    Matrix::LookAt(view, eye, direction, 10.0f);
    const float lo[3] = {-0.5f, 0.0f, -0.25f}, hi[3] = {1.5f, 0.4f, 0.25f};
    const float places[][4] = {
        {0, 0, 0, 0}, {1.5f, -1, 2, 35}, {-2, 0.5f, 1, 80}, {2.5f, 1, 4, 150}};
    for (const auto &place : places) {
        enginetest::StartPlainFrame(engine.get());
        engine->SetProjection();
        engine->SetView(view);
        float world[16];
        Matrix::Identity(world);
        Matrix::Rotate(world, 0.0f, place[3], 0.0f);
        Matrix::Translate(world, place[0], place[1], place[2]);
        engine->SetWorld(world);
        // The box's twelve triangles, white.
        float v[36][3];
        int n = 0;
        auto corner = [&](int c, float out[3]) {
            out[0] = c & 1 ? hi[0] : lo[0];
            out[1] = c & 2 ? hi[1] : lo[1];
            out[2] = c & 4 ? hi[2] : lo[2];
        };
        const int faces[6][4] = {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                 {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}};
        for (const auto &f : faces) {
            const int order[6] = {f[0], f[1], f[2], f[0], f[2], f[3]};
            for (int k : order) corner(k, v[n++]);
        }
        engine->DrawTriangles(device::FvfXyz, v, 12);
        device::Rect r;
        ASSERT_TRUE(engine->ScreenBounds(world, lo, hi, &r));
        const std::vector<Rgb> px = ReadPixels(engine.get());
        int minX = kW, minY = kH, maxX = -1, maxY = -1;
        for (int y = 0; y < kH; y++)
            for (int x = 0; x < kW; x++) {
                if (px[y * kW + x].r < 128) continue;
                EXPECT_TRUE(x >= r.left && x < r.right && y >= r.top && y < r.bottom)
                    << "pixel " << x << ", " << y << " outside";
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
        ASSERT_GE(maxX, 0) << "the box is on screen";
        // Tight but for the widening pixel and the corners' rounding.
        EXPECT_LE(minX - r.left, 3);
        EXPECT_LE(r.right - 1 - maxX, 3);
        EXPECT_LE(minY - r.top, 3);
        EXPECT_LE(r.bottom - 1 - maxY, 3);
    }
    // Around the eye: no rectangle.
    float around[16];
    Matrix::Identity(around);
    Matrix::Translate(around, eye[0], eye[1], eye[2]);
    device::Rect r;
    EXPECT_FALSE(engine->ScreenBounds(around, lo, hi, &r));
}
