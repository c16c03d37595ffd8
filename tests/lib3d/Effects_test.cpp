// The engine's effects on a display: built-in effects give the colours their
// stage setups promise, shadow volumes count in the stencil buffer, render
// targets hold upright pictures, script effects load or fail with their
// message, and a forced reset brings all of it back. The same program runs a
// second time with the device reporting a single texture stage and no pixel
// shaders (MARBRIX_DEVICE_CAPS), where the fallback techniques must give the
// same pictures.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "app/LogoScripts.h"
#include "lib3d/BuiltinEffects.h"
#include "lib3d/EffectsTestSupport.h"
#include "lib3d/EngineTestSupport.h"
#include "lib3d/Matrix.h"
#include "lib3d/Shader.h"

using enginetest::Distance;
using enginetest::PixelAt;
using enginetest::Rgb;
using namespace effecttest;

namespace {

const int kW = 160, kH = 120;

bool LowCaps() {
    const char *caps = std::getenv("MARBRIX_DEVICE_CAPS");
    return caps && std::strstr(caps, "multitexture") == nullptr;
}

class Effects : public ::testing::Test {
protected:
    void SetUp() override {
        engine.reset(new lib3d::Engine());
        ASSERT_TRUE(enginetest::OpenEngine(engine.get(), kW, kH, 3));
        engine->focal = kW;
        engine->nearPlane = 0.1f;
        engine->farPlane = 400.0f;
    }
    void TearDown() override { engine.reset(); }

    void Frame() {
        ASSERT_TRUE(engine->BeginFrame());
        engine->ClearFrame();
        engine->SetState(1, 1);   // depth on
        engine->SetState(4, 0);   // no culling
        engine->SetState(10, 0);  // no lighting
        engine->SetState(6, 0);   // no blending
        LookAlongZ(engine.get());
    }
    Rgb Centre() { return PixelAt(engine.get(), kW / 2, kH / 2); }

    std::unique_ptr<lib3d::Engine> engine;
};

// Colour arithmetic of the stages on 0..255 values.
int Mul(int a, int b) {
    return a * b / 255;
}
int Add(int a, int b) {
    return a + b > 255 ? 255 : a + b;
}

TEST_F(Effects, TwoTextureBlendsCombineBothStages) {
    // Colours 5-6-5 holds exactly; the diffuse colour is a mid grey.
    const Rgb a{200, 100, 48}, b{128, 200, 96};
    const int grey = 0x80;
    const int slotA = SolidTexture(engine.get(), a.r, a.g, a.b);
    const int slotB = SolidTexture(engine.get(), b.r, b.g, b.b);
    for (int op0 = 0; op0 < 2; op0++) {
        for (int op1 = 0; op1 < 2; op1++) {
            Frame();
            TestMesh square = Square(engine.get(), 3.0f, 1.0f, 0xFF808080u);
            ASSERT_TRUE(
                lib3d::DrawTwoTextureBlend(*engine, square.Range(), op0, op1, slotA, slotB, 0, 1));
            engine->EndFrame();
            auto stage = [&](int t, int c, int op) { return op ? Add(t, c) : Mul(t, c); };
            const Rgb want{stage(b.r, stage(a.r, grey, op0), op1),
                           stage(b.g, stage(a.g, grey, op0), op1),
                           stage(b.b, stage(a.b, grey, op0), op1)};
            EXPECT_LE(Distance(Centre(), want), 12) << "ops " << op0 << op1;
            // Outside the square the frame stays clear.
            EXPECT_EQ(Distance(PixelAt(engine.get(), 2, 2), Rgb{0, 0, 0}), 0);
        }
    }
    fx::Effect *effect = engine->BuiltinEffect(lib3d::kEffectBlendAddAdd);
    ASSERT_TRUE(effect);
    EXPECT_STREQ(effect->TechniqueName(effect->Technique()), LowCaps() ? "T1" : "T0");
}

TEST_F(Effects, EnvironmentMapIsLitAndAddsTheTexture) {
    const int env = SolidTexture(engine.get(), 128, 128, 128);
    const int tex = SolidTexture(engine.get(), 0, 64, 0);
    lib3d::EnvironmentSetup setup;
    setup.environmentSlot = env;
    setup.textureSlot = tex;
    for (int lit = 0; lit < 2; lit++) {
        Frame();
        TestMesh square = Square(engine.get(), 3.0f, 1.0f, 0xFFFFFFFFu);
        // The square faces the camera (normal -z); a light shining along +z
        // lights it fully, one shining along -z leaves only the ambient part.
        setup.light[0] = 0;
        setup.light[1] = 0;
        setup.light[2] = lit ? 1.0f : -1.0f;
        ASSERT_TRUE(lib3d::DrawEnvironmentMap(*engine, square.Range(), false, setup));
        engine->EndFrame();
        const int e = lit ? 128 : 32;  // 128 x (1 or 0.25)
        EXPECT_LE(Distance(Centre(), Rgb{e, Add(e, 64), e}), 12) << "lit " << lit;
    }
    // Two lights: the ambient term comes from the parameter.
    Frame();
    TestMesh square = Square(engine.get(), 3.0f, 1.0f, 0xFFFFFFFFu);
    setup.light[2] = -1.0f;
    setup.light2[2] = -1.0f;
    setup.ambient[0] = setup.ambient[1] = setup.ambient[2] = 0.5f;
    ASSERT_TRUE(lib3d::DrawEnvironmentMap(*engine, square.Range(), true, setup));
    engine->EndFrame();
    EXPECT_LE(Distance(Centre(), Rgb{64, 128, 64}), 12);
}

TEST_F(Effects, LightMapMultipliesAndThreeLightsBrighten) {
    const int tex = SolidTexture(engine.get(), 200, 200, 200);
    const int map = SolidTexture(engine.get(), 128, 64, 32);
    lib3d::LightMapSetup setup;
    setup.textureSlot = tex;
    setup.lightMapSlot = map;
    Frame();
    TestMesh square = Square(engine.get(), 3.0f, 1.0f, 0xFFFFFFFFu);
    ASSERT_TRUE(lib3d::DrawLightMap(*engine, square.Range(), setup));
    engine->EndFrame();
    EXPECT_LE(Distance(Centre(), Rgb{Mul(200, 128), Mul(200, 64), Mul(200, 32)}), 12);

    // A strong white light right in front of the square: with pixel
    // shaders the light map is brightened to white; without them the
    // plain light map is drawn.
    setup.threeLights = true;
    setup.lights[0][2] = 2.9f;
    setup.colours[0][0] = setup.colours[0][1] = setup.colours[0][2] = 1.0f;
    setup.colours[0][3] = 10.0f;
    Frame();
    ASSERT_TRUE(lib3d::DrawLightMap(*engine, square.Range(), setup));
    engine->EndFrame();
    if (engine->canPixelShader14) {
        EXPECT_LE(Distance(Centre(), Rgb{200, 200, 200}), 12);
    } else {
        EXPECT_LE(Distance(Centre(), Rgb{Mul(200, 128), Mul(200, 64), Mul(200, 32)}), 12);
    }
}

// A wall at z = 6, a sphere in front of it at z = 4 and a light at x = 3:
// the sphere's shadow falls on the wall at x = -1.5, which the camera looking
// along +z shows on the right.
TEST_F(Effects, ShadowVolumeCountsInTheStencilBuffer) {
    Frame();
    TestMesh wall = Square(engine.get(), 6.0f, 4.0f, 0xFF606060u);
    TestMesh ball = Sphere(engine.get(), 0, 0, 4.0f, 0.5f, 0xFF00C000u);
    wall.Draw(engine.get());
    ball.Draw(engine.get());
    const float light[3] = {3, 0, 0};
    ASSERT_TRUE(lib3d::DrawShadowVolume(*engine, ball.Range(), light, 20.0f));
    // The volume itself writes no colour.
    const Rgb wallGrey{0x60, 0x60, 0x60};
    EXPECT_LE(Distance(PixelAt(engine.get(), kW * 3 / 4, kH / 2), wallGrey), 4);
    // Red wherever the count is not zero.
    engine->SetState(1, 0);
    engine->SetState(9, 21);
    engine->SetState(12, 29);
    engine->DrawQuad2D(0, 0, kW, kH, 0, 0, 1, 1, 1, 0, 0);
    engine->SetState(9, 20);
    engine->EndFrame();
    // Shadow centre: the ray from the light through the sphere's centre meets
    // the wall at x = -1.5, a quarter of the screen right of the middle.
    const Rgb red{255, 0, 0};
    EXPECT_EQ(Distance(PixelAt(engine.get(), kW * 3 / 4, kH / 2), red), 0);
    EXPECT_EQ(Distance(PixelAt(engine.get(), kW * 3 / 4 + 3, kH / 2 - 5), red), 0);
    // Lit wall: left of the sphere, above and below the shadow.
    EXPECT_LE(Distance(PixelAt(engine.get(), kW / 8, kH / 2), wallGrey), 4);
    EXPECT_LE(Distance(PixelAt(engine.get(), kW * 3 / 4, kH / 10), wallGrey), 4);
    EXPECT_LE(Distance(PixelAt(engine.get(), kW * 3 / 4, kH * 9 / 10), wallGrey), 4);
}

// Draws, into render target 0, a red block in its top-left quarter and two
// window-pixel triangles in the bottom half: the one wound clockwise on
// screen stays, the counter-clockwise one is culled.
void DrawTargetPicture(lib3d::Engine *engine) {
    engine->SetState(9, 38);
    ASSERT_EQ(engine->currentTarget, 0);
    engine->ClearFrame();
    engine->SetState(1, 0);
    engine->SetState(5, 0);
    engine->SetState(10, 0);
    const int w = kW / 2, h = kH / 2;  // target 0 is half the screen
    enginetest::FlatQuad(engine, 0, 0, w / 2.0f, h / 2.0f, 0.5f, 0xFFFF0000u);
    engine->SetState(4, 5);  // remove counter-clockwise
    struct V {
        float x, y, z, rhw;
        uint32_t c;
    };
    const float y0 = h * 0.55f, y1 = h * 0.95f;
    const V kept[3] = {{w * 0.55f, y0, 0.5f, 1, 0xFF00FF00u},
                       {w * 0.95f, y0, 0.5f, 1, 0xFF00FF00u},
                       {w * 0.55f, y1, 0.5f, 1, 0xFF00FF00u}};
    const V culled[3] = {{w * 0.05f, y0, 0.5f, 1, 0xFF0000FFu},
                         {w * 0.05f, y1, 0.5f, 1, 0xFF0000FFu},
                         {w * 0.45f, y0, 0.5f, 1, 0xFF0000FFu}};
    engine->DrawTriangles(device::FvfXyzRhw | device::FvfDiffuse, kept, 1);
    engine->DrawTriangles(device::FvfXyzRhw | device::FvfDiffuse, culled, 1);
    engine->SetState(4, 0);
    engine->SetState(9, 13);
}

void CheckTargetPicture(lib3d::Engine *engine) {
    engine->ClearFrame();
    engine->SetState(1, 0);
    engine->SetState(4, 0);
    engine->SetState(5, 1);
    engine->BindTexture(-1);
    engine->DrawQuad2D(0, 0, kW, kH, 0, 0, 1, 1, 1, 1, 1);
    engine->SetState(5, 0);
    engine->EndFrame();
    const Rgb red{255, 0, 0}, green{0, 255, 0}, black{0, 0, 0};
    EXPECT_LE(Distance(PixelAt(engine, kW / 8, kH / 8), red), 8);
    EXPECT_LE(Distance(PixelAt(engine, kW * 5 / 8, kH / 8), black), 8);
    EXPECT_LE(Distance(PixelAt(engine, kW * 5 / 8, kH * 5 / 8), green), 8);
    EXPECT_LE(Distance(PixelAt(engine, kW / 8, kH * 5 / 8), black), 8);
}

TEST_F(Effects, RenderTargetHoldsAnUprightPictureWithCulling) {
    ASSERT_TRUE(engine->BeginFrame());
    engine->SetState(8, 1);
    ASSERT_TRUE(engine->RenderTargetAt(0));
    EXPECT_EQ(engine->RenderTargetAt(0)->Width(), kW / 2);
    EXPECT_EQ(engine->RenderTargetAt(0)->Height(), kH / 2);
    DrawTargetPicture(engine.get());
    EXPECT_EQ(engine->currentTarget, 13);
    CheckTargetPicture(engine.get());
}

TEST_F(Effects, TargetsHaveTheirViewportAndMatrix) {
    ASSERT_TRUE(engine->BeginFrame());
    engine->SetState(8, 39);  // two targets: 0 half size, 1 full size
    ASSERT_TRUE(engine->RenderTargetAt(1));
    EXPECT_EQ(engine->RenderTargetAt(1)->Width(), kW);
    engine->SetState(9, 14);  // also target 0
    EXPECT_EQ(engine->GetDevice()->GetViewport().width, kW / 2);
    EXPECT_FLOAT_EQ(engine->viewportMatrix[0], kW / 4.0f);
    EXPECT_FLOAT_EQ(engine->viewportMatrix[13], kH / 4.0f);
    engine->SetState(9, 45);  // target 7 does not exist: nothing changes
    EXPECT_EQ(engine->currentTarget, 0);
    engine->EndFrame();  // ends on the back buffer
    EXPECT_EQ(engine->currentTarget, 13);
    EXPECT_EQ(engine->GetDevice()->GetViewport().width, kW);
    EXPECT_FLOAT_EQ(engine->viewportMatrix[0], kW / 2.0f);
    engine->SetState(8, 0);
    EXPECT_FALSE(engine->RenderTargetAt(0));
}

TEST_F(Effects, ForcedResetRestoresEffectsAndRenderTargets) {
    const int a = SolidTexture(engine.get(), 200, 100, 48);
    const int b = SolidTexture(engine.get(), 128, 200, 96);
    ASSERT_TRUE(engine->BeginFrame());
    engine->SetState(8, 1);
    engine->EndFrame();
    ASSERT_TRUE(engine->BuiltinEffect(lib3d::kEffectBlendModulateModulate));
    lib3d::Shader script(engine.get());
    ASSERT_EQ(script.Load(kLogoEnvironmentScript), nullptr);

    engine->GetDevice()->ForceLoss(1);
    EXPECT_FALSE(engine->BeginFrame());  // lost
    EXPECT_FALSE(engine->BeginFrame());  // reset
    EXPECT_EQ(engine->GetDevice()->ResetCount(), 1);

    // The same effect object draws again, in the new context.
    fx::Effect *effect = engine->BuiltinEffect(lib3d::kEffectBlendModulateModulate);
    ASSERT_TRUE(effect);
    Frame();
    TestMesh square = Square(engine.get(), 3.0f, 1.0f, 0xFFFFFFFFu);
    ASSERT_TRUE(lib3d::DrawTwoTextureBlend(*engine, square.Range(), 0, 0, a, b, 0, 1));
    engine->EndFrame();
    EXPECT_LE(Distance(Centre(), Rgb{Mul(200, 128), Mul(100, 200), Mul(48, 96)}), 12);

    // The script effect too: a white texture mapped by the normal.
    const int white = SolidTexture(engine.get(), 255, 255, 255);
    Frame();
    script.SetWorld("WORLD");
    script.SetViewProj("VIEWPROJ");
    script.SetTexture("tex", white);
    ASSERT_TRUE(script.Draw(*square.vertices, *square.indices, 0, square.triangles));
    engine->EndFrame();
    EXPECT_LE(Distance(Centre(), Rgb{255, 255, 255}), 8);

    // Render targets were made again.
    ASSERT_TRUE(engine->RenderTargetAt(0));
    ASSERT_TRUE(engine->BeginFrame());
    DrawTargetPicture(engine.get());
    CheckTargetPicture(engine.get());
}

// Two phase markers: the compiler copies them, the assembler refuses them.
const char kBrokenPixelScript[] = R"([VERTEXFORMAT]
XYZ TEX0
[DEFINES]
MATRIX VP;
TEXTURE t;
[TECHNIQUE] any
[PASS0]
[POSITION]
oPos=iPos*4VP;
[MAPPING0]
oTexture0=iTexture0;
[SHADER]
a=sample(Tex0);
phase;
b=sample(Tex0);
phase;
Out=mul(a,b);
[END]
)";

// More temporaries than pixel code has: the compiler gives no text at all.
const char kNoTextScript[] = R"([VERTEXFORMAT]
XYZ TEX0
[DEFINES]
MATRIX VP;
[TECHNIQUE] any
[PASS0]
[POSITION]
oPos=iPos*4VP;
[MAPPING0]
oTexture0=iTexture0;
[SHADER]
a=sample(Tex0);
b=mul(a,a);
c=mul(b,a);
d=mul(c,b);
e=mul(d,c);
f=mul(e,d);
g=mul(f,e);
Out=mul(g,f);
[END]
)";

std::string ReadLog() {
    std::ifstream in("lib3d_log.txt");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(Effects, ScriptEffectsLoadOnceOrFailWithTheirMessage) {
    lib3d::Shader good(engine.get());
    EXPECT_EQ(good.Load(kLogoLightShaftScript), nullptr);
    EXPECT_TRUE(good.flags & lib3d::Shader::kLoadedFlag);
    EXPECT_EQ(good.techniqueName, "T0");
    EXPECT_EQ(good.passCount, 2);
    fx::Effect *first = good.effect.get();
    EXPECT_EQ(good.Load(kLogoEnvironmentScript), nullptr);
    EXPECT_EQ(good.effect.get(), first);  // not compiled again

    // The effect is refused: the mesh keeps its fixed-function drawing, and
    // the text is logged.
    lib3d::Shader bad(engine.get());
    const char *message = bad.Load(kBrokenPixelScript);
    if (engine->canPixelShader14) {
        ASSERT_NE(message, nullptr);
        EXPECT_STREQ(message, "ERROR Create Effect");
        EXPECT_FALSE(bad.Loaded());
        EXPECT_FALSE(bad.Draw(*Square(engine.get(), 3, 1, 0).vertices,
                              *Square(engine.get(), 3, 1, 0).indices, 0, 2));
        const std::string log = ReadLog();
        EXPECT_NE(log.find("READ SHADER OK\nERROR Create Effect\n"), std::string::npos);
        EXPECT_NE(log.find("PixelShader ="), std::string::npos);
    }
    lib3d::Shader empty(engine.get());
    if (engine->canPixelShader14) {
        EXPECT_STREQ(empty.Load(kNoTextScript), "ERROR effect=NULL");
    }
    EXPECT_FALSE(empty.Loaded());
    // Setters on a shader without effect do nothing.
    bad.SetVector("Light", 1, 2, 3);
    bad.SetTexture("t", 0);
}

const char kStageScript[] = R"([VERTEXFORMAT]
XYZ TEX0 TEX1
[DEFINES]
MATRIX VP;
TEXTURE a;
TEXTURE b;
[TECHNIQUE] two stages, but not asked for
[PASS0]
[POSITION]
oPos=iPos*4VP;
[RENDER_STATE]
Texture[0] a
Texture[1] b
ColorOp[0] Modulate
ColorOp[1] Add
[END]
)";

TEST_F(Effects, TechniquesFollowTheCapabilities) {
    // The pixel-shader technique of an effect is passed over when the device
    // reports no pixel shader 1.4.
    const char text[] =
        "TEXTURE t;\n"
        "TECHNIQUE Shaded { PASS P0 { VertexShader = decl { float v0[3]; } asm { vs.1.1\n"
        "mov oPos, v0 }; PixelShader = asm { ps.1.4\n texld r0, t0 }; } }\n"
        "TECHNIQUE Plain { PASS P0 { ColorOp[0] = Modulate; } }\n";
    std::string error;
    auto effect = fx::Effect::Create(engine->GetDevice(), text, &error);
    ASSERT_TRUE(effect) << error;
    EXPECT_EQ(effect->FindNextValidTechnique(-1), LowCaps() ? 1 : 0);
    EXPECT_EQ(effect->FindNextValidTechnique(1), -1);

    // A script that uses two stages without saying so cannot run on a
    // single-texture device.
    lib3d::Shader stages(engine.get());
    const char *message = stages.Load(kStageScript);
    if (LowCaps()) {
        EXPECT_STREQ(message, "ERROR find technique");
    } else {
        EXPECT_EQ(message, nullptr);
    }
}

TEST_F(Effects, BuiltinEffectsAreMadeOnceAndKeptUntilClose) {
    for (int i = 0; i < lib3d::kBuiltinEffectCount; i++) {
        fx::Effect *e = engine->BuiltinEffect(i);
        if (i == lib3d::kEffectThreeLights && !engine->canPixelShader14) {
            EXPECT_EQ(e, nullptr);
            continue;
        }
        ASSERT_TRUE(e) << lib3d::BuiltinEffectName(i);
        EXPECT_EQ(engine->BuiltinEffect(i), e);
    }
    EXPECT_EQ(engine->BuiltinEffect(lib3d::kBuiltinEffectCount), nullptr);
}

}  // namespace

// Every vertex component reaches a script's program: the normal, the
// diffuse colour and both texture coordinate sets become colours.
const char kInputsScript[] = R"([VERTEXFORMAT]
XYZ NORMAL DIFFUSE TEX0 TEX1
[DEFINES]
MATRIX WORLD;
MATRIX VIEWPROJ;
VECTOR pick;
CONST zero;
[TECHNIQUE] any
[PASS0]
[POSITION]
oPos=(iPos*4WORLD)*4VIEWPROJ;
[DIFFUSE]
oDiffuse=(zero-iNorm)*pick.x+iDiffuse*pick.y+iTexture1*pick.z;
[RENDER_STATE]
ColorOp[0] SelectArg2
ColorArg2[0] Diffuse
AlphaOp[0] SelectArg2
AlphaArg2[0] Diffuse
[END]
)";

TEST_F(Effects, ScriptProgramsReadEveryVertexComponent) {
    lib3d::Shader script(engine.get());
    ASSERT_EQ(script.Load(kInputsScript), nullptr);
    const float picks[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int i = 0; i < 3; i++) {
        Frame();
        TestMesh square = Square(engine.get(), 3.0f, 1.0f, 0xFF20C060u);
        script.SetWorld("WORLD");
        script.SetViewProj("VIEWPROJ");
        script.SetVector("pick", picks[i][0], picks[i][1], picks[i][2]);
        ASSERT_TRUE(script.Draw(*square.vertices, *square.indices, 0, square.triangles));
        engine->EndFrame();
        if (i == 0) {
            EXPECT_LE(Distance(Centre(), Rgb{0, 0, 255}), 4);  // -normal
        } else if (i == 1) {
            EXPECT_LE(Distance(Centre(), Rgb{0x20, 0xC0, 0x60}), 4);  // diffuse
        } else {  // second set: u follows x across the square
            const Rgb left = PixelAt(engine.get(), kW / 2 - 20, kH / 2);
            const Rgb right = PixelAt(engine.get(), kW / 2 + 20, kH / 2);
            EXPECT_GT(std::abs(right.r - left.r), 40);
        }
    }
}

// The sphere-mapping script on a ball: the picture follows the normal, so
// the ball's two sides show the texture's two sides (which one is on the
// left is the view's business).
TEST_F(Effects, SphereMappingScriptFollowsTheNormal) {
    std::vector<uint8_t> p(64 * 64 * 4);
    for (int i = 0; i < 64 * 64; i++) {
        p[i * 4 + 0] = static_cast<uint8_t>((i % 64) * 4);  // red grows to the right
        p[i * 4 + 1] = 0;
        p[i * 4 + 2] = 0;
        p[i * 4 + 3] = 255;
    }
    const int ramp = engine->CreateTexture(64, p.data(), 64, false);
    lib3d::Shader script(engine.get());
    ASSERT_EQ(script.Load(kLogoEnvironmentScript), nullptr);
    Frame();
    TestMesh ball = Sphere(engine.get(), 0, 0, 4.0f, 1.0f, 0xFFFFFFFFu);
    float world[16];
    lib3d::Matrix::Identity(world);
    lib3d::Matrix::Rotate(world, 0, 0, 0);
    engine->SetWorld(world);
    script.SetWorld("WORLD");
    script.SetViewProj("VIEWPROJ");
    script.SetTexture("tex", ramp);
    ASSERT_TRUE(script.Draw(*ball.vertices, *ball.indices, 0, ball.triangles));
    engine->EndFrame();
    const Rgb left = PixelAt(engine.get(), kW / 2 - 15, kH / 2);
    const Rgb right = PixelAt(engine.get(), kW / 2 + 15, kH / 2);
    EXPECT_GT(std::abs(right.r - left.r), 60) << left.r << " " << right.r;
}

// Category 18 picks which material groups a draw covers; blending is on only
// for the blended kinds while they are drawn, and the caller's blend states
// come back.
TEST_F(Effects, TransparencyPassesChooseTheGroups) {
    const lib3d::MaterialGroup groups[3] = {{0, 2, 1}, {6, 2, 0}, {12, 2, 2}};
    struct Seen {
        int first;
        uint32_t blend, src, dest;
    };
    device::Device *d = engine->GetDevice();
    engine->SetState(6, 49);  // the caller's own blend: DestColor, Zero
    auto run = [&](int passes) {
        engine->SetState(18, passes);
        std::vector<Seen> seen;
        lib3d::DrawMaterialGroups(*engine, groups, 3, [&](const lib3d::MaterialGroup &g) {
            seen.push_back({g.firstIndex, d->GetRenderState(device::RsAlphaBlendEnable),
                            d->GetRenderState(device::RsSrcBlend),
                            d->GetRenderState(device::RsDestBlend)});
        });
        EXPECT_EQ(d->GetRenderState(device::RsAlphaBlendEnable), 1u);
        EXPECT_EQ(d->GetRenderState(device::RsSrcBlend),
                  static_cast<uint32_t>(device::BlendDestColour));
        return seen;
    };
    std::vector<Seen> both = run(52);
    ASSERT_EQ(both.size(), 3u);
    EXPECT_EQ(both[0].first, 6);  // opaque first, with the caller's blend
    EXPECT_EQ(both[0].src, static_cast<uint32_t>(device::BlendDestColour));
    EXPECT_EQ(both[1].first, 0);
    EXPECT_EQ(both[1].blend, 1u);
    EXPECT_EQ(both[1].dest, static_cast<uint32_t>(device::BlendInvSrcAlpha));
    EXPECT_EQ(both[2].first, 12);
    EXPECT_EQ(both[2].dest, static_cast<uint32_t>(device::BlendOne));
    std::vector<Seen> opaque = run(53);
    ASSERT_EQ(opaque.size(), 1u);
    EXPECT_EQ(opaque[0].first, 6);
    std::vector<Seen> blended = run(54);
    ASSERT_EQ(blended.size(), 2u);
    EXPECT_EQ(blended[0].first, 0);
    EXPECT_EQ(blended[1].first, 12);
}
