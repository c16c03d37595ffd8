// A mesh's draw takes the path its flags and material choose: its script
// effect, the two-texture blend, the environment map, the light map, or the
// fixed-function path, which also catches a script that failed to load.
#include <gtest/gtest.h>

#include <cstring>

#include "app/LogoScripts.h"
#include "lib3d/EffectsTestSupport.h"
#include "lib3d/EngineTestSupport.h"
#include "lib3d/Material.h"
#include "lib3d/Mesh.h"
#include "lib3d/Shader.h"

using enginetest::Distance;
using enginetest::PixelAt;
using enginetest::Rgb;
using namespace effecttest;

namespace {

const int kW = 160, kH = 120;

class MeshPaths : public ::testing::Test {
protected:
    void SetUp() override {
        engine.reset(new lib3d::Engine());
        ASSERT_TRUE(enginetest::OpenEngine(engine.get(), kW, kH, 3));
        engine->focal = kW;
        engine->nearPlane = 0.1f;
        engine->farPlane = 400.0f;
        // A square facing the camera at depth 3, both texture sets 0..1.
        mesh.reset(new lib3d::Mesh(engine.get()));
        lib3d::Geometry &g = mesh->geometry;
        ASSERT_TRUE(g.Allocate(4, 2));
        const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (int i = 0; i < 4; i++) {
            g.SetVertex(i, corners[i][0], corners[i][1], 3.0f);
            g.SetTexCoord(i, (corners[i][0] + 1) / 2, (corners[i][1] + 1) / 2);
            const float half[4] = {1, 1, 1, 0.5f};  // white, half transparent
            std::memcpy(g.vertices[i].colour, half, sizeof(half));
        }
        g.SetTriangle(0, 0, 1, 2);
        g.SetTriangle(1, 0, 2, 3);
        g.Finish();
        ASSERT_TRUE(mesh->BuildBuffers(0x1 | 0x2 | 0x8 | 0x80 | 0x40));
        material.twoSided = true;
        material.lit = false;
        mesh->material = &material;
    }
    void TearDown() override {
        mesh.reset();
        engine.reset();
    }
    void Frame() {
        ASSERT_TRUE(engine->BeginFrame());
        engine->ClearFrame();
        LookAlongZ(engine.get());
    }
    Rgb Centre() {
        engine->EndFrame();
        return PixelAt(engine.get(), kW / 2, kH / 2);
    }

    std::unique_ptr<lib3d::Engine> engine;
    std::unique_ptr<lib3d::Mesh> mesh;
    lib3d::Material material;
};

TEST_F(MeshPaths, FixedFunctionDrawsTheMaterialTexture) {
    material.texture = SolidTexture(engine.get(), 200, 40, 40);
    Frame();
    mesh->Draw();
    EXPECT_LE(Distance(Centre(), Rgb{200, 40, 40}), 8);
}

TEST_F(MeshPaths, ScriptEffectReplacesTheFixedFunctionPath) {
    material.texture = SolidTexture(engine.get(), 200, 40, 40);
    const int white = SolidTexture(engine.get(), 255, 255, 255);
    ASSERT_EQ(mesh->LoadShader(kLogoEnvironmentScript), nullptr);
    EXPECT_TRUE(mesh->flags & lib3d::kMeshScriptEffect);
    Frame();
    mesh->Draw();  // binds the material's texture, the effect takes its own
    mesh->shader->SetWorld("WORLD");
    mesh->shader->SetViewProj("VIEWPROJ");
    mesh->shader->SetTexture("tex", white);
    mesh->Draw();
    EXPECT_LE(Distance(Centre(), Rgb{255, 255, 255}), 8);
}

TEST_F(MeshPaths, FailedScriptLeavesTheFixedFunctionPath) {
    // Two phase markers in pixel code: the effect cannot be created.
    const char script[] = R"([VERTEXFORMAT]
XYZ TEX0
[DEFINES]
MATRIX VP;
TEXTURE t;
[TECHNIQUE] any
[PASS0]
[POSITION]
oPos=iPos*4VP;
[SHADER]
a=sample(Tex0);
phase;
b=sample(Tex0);
phase;
Out=mul(a,b);
[END]
)";
    if (!engine->canPixelShader14) GTEST_SKIP() << "no pixel shaders: the script compiles plain";
    material.texture = SolidTexture(engine.get(), 40, 200, 40);
    EXPECT_STREQ(mesh->LoadShader(script), "ERROR Create Effect");
    EXPECT_FALSE(mesh->flags & lib3d::kMeshScriptEffect);
    Frame();
    mesh->Draw();
    EXPECT_LE(Distance(Centre(), Rgb{40, 200, 40}), 8);
}

TEST_F(MeshPaths, BlendKindUsesTheStageOperationsAndTextures) {
    const int a = SolidTexture(engine.get(), 200, 100, 48);
    const int b = SolidTexture(engine.get(), 128, 200, 96);
    material.blendKind = 4;
    Frame();
    engine->SetState(5, 1);
    engine->BindTexture(a);
    engine->SetState(5, 6);  // stage 0: texture times the (white) diffuse colour
    engine->BindTexture1(b);
    engine->SetState(14, 1);
    engine->SetState(14, 46);  // stage 1 adds the second texture
    mesh->DrawDirect();
    Rgb c = Centre();
    EXPECT_LE(Distance(c, Rgb{255, 255, 48 + 96}), 12) << c.r << " " << c.g << " " << c.b;
    // Both stages multiplying.
    Frame();
    engine->SetState(14, 6);
    mesh->DrawDirect();
    c = Centre();
    EXPECT_LE(Distance(c, Rgb{200 * 128 / 255, 100 * 200 / 255, 48 * 96 / 255}), 12)
        << c.r << " " << c.g << " " << c.b;
}

TEST_F(MeshPaths, EnvironmentAndLightMapMaterials) {
    material.texture = SolidTexture(engine.get(), 0, 64, 0);
    material.environment = SolidTexture(engine.get(), 128, 128, 128);
    Frame();
    // No light set: the environment shows at the ambient level, plus the texture.
    mesh->Draw();
    EXPECT_LE(Distance(Centre(), Rgb{32, 96, 32}), 12);

    material.environment = -1;
    material.texture = SolidTexture(engine.get(), 200, 200, 200);
    material.lightMap = SolidTexture(engine.get(), 128, 64, 32);
    Frame();
    mesh->Draw();
    EXPECT_LE(Distance(Centre(), Rgb{200 * 128 / 255, 200 * 64 / 255, 200 * 32 / 255}), 12);
}

TEST_F(MeshPaths, TransparencySettingSkipsBlendedMaterials) {
    material.texture = SolidTexture(engine.get(), 200, 40, 40);
    material.blendKind = 1;
    Frame();
    engine->SetState(18, 53);  // opaque groups only
    mesh->Draw();
    EXPECT_LE(Distance(Centre(), Rgb{0, 0, 0}), 0);
    Frame();
    engine->SetState(18, 54);  // blended groups only
    mesh->Draw();
    const Rgb c = Centre();
    EXPECT_NEAR(c.r, 100, 8);  // drawn, half over black by the vertex alpha
    EXPECT_EQ(engine->GetDevice()->GetRenderState(device::RsAlphaBlendEnable), 0u);
}

}  // namespace
