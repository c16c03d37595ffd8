// Scenes on a display: materials and their textures, buffers, the states a
// mesh's draw sets, and pictures of the generated table and tile.
#include "lib3d/Scene.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ThreeDsFiles.h"
#include "lib3d/EngineTestSupport.h"
#include "lib3d/Matrix.h"

using namespace lib3d;

namespace {

// A picture file written with libpng: `rows` of `width` pixels, RGB or RGBA.
bool WritePicture(const char *path, int width, int height, bool alpha,
                  uint32_t (*colour)(int x, int y)) {
    const int channels = alpha ? 4 : 3;
    std::vector<uint8_t> px((size_t)width * height * channels);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            uint32_t c = colour(x, y);  // 0xAARRGGBB
            uint8_t *p = &px[((size_t)y * width + x) * channels];
            p[0] = (uint8_t)(c >> 16);
            p[1] = (uint8_t)(c >> 8);
            p[2] = (uint8_t)c;
            if (alpha) p[3] = (uint8_t)(c >> 24);
        }
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path, 0, px.data(), width * channels, nullptr) != 0;
}

uint32_t Grey(int, int) {
    return 0xFF808080;
}
// Top half red, bottom half blue.
uint32_t Halves(int, int y) {
    return y < 4 ? 0xFFFF0000 : 0xFF0000FF;
}
uint32_t SeeThrough(int, int) {
    return 0x4000FF00;
}

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(enginetest::OpenEngine(&engine, 320, 240, 3));
        ASSERT_TRUE(WritePicture("grey.png", 16, 16, false, Grey));
    }
    void TearDown() override { engine.Close(); }

    // Writes a scene file and loads it; returns Load's result.
    int LoadScene(Scene &scene, const TestScene &def, const char *name = "t.3ds") {
        EXPECT_TRUE(WriteBytes(name, WriteTestScene(def)));
        return scene.Load("./", name, 7);
    }

    int UsedSlots() {
        int n = 0;
        for (int i = 0; i < Engine::kTextureSlots; i++)
            n += engine.Slot(i) != nullptr && engine.Slot(i)->inUse;
        return n;
    }

    Engine engine;
};

TestScene TwoMeshesOneMaterial() {
    TestScene s = SmallScene();
    s.materials[0].texture = "grey.png";
    TestMesh b = s.meshes[0];
    b.name = "tri2";
    s.meshes.push_back(b);
    return s;
}

TEST_F(SceneTest, MeshesShareMaterialAndTextureSlot) {
    Scene scene(&engine);
    ASSERT_EQ(LoadScene(scene, TwoMeshesOneMaterial()), 1);
    ASSERT_EQ(scene.MeshCount(), 2);
    EXPECT_EQ(scene.MaterialCount(), 1);
    EXPECT_EQ(scene.Mesh(0)->material, scene.Mesh(1)->material);
    EXPECT_EQ(UsedSlots(), 1);
    EXPECT_EQ(scene.FindMaterial("skin"), scene.Mesh(0)->material);
    EXPECT_EQ(scene.FindMaterial("Skin"), nullptr);  // exact case
    EXPECT_EQ(scene.Mesh(2), nullptr);
    EXPECT_EQ(scene.Mesh(-1), nullptr);
    EXPECT_EQ(scene.Material(1), nullptr);
    EXPECT_EQ(scene.path, "./t.3ds");
    ASSERT_EQ(scene.lights.size(), 1u);
    EXPECT_FLOAT_EQ(scene.lights[0].position[1], 3);  // converted
    ASSERT_EQ(scene.cameras.size(), 1u);
    scene.Clear();
    EXPECT_EQ(UsedSlots(), 0);
    EXPECT_EQ(scene.MeshCount(), 0);
    EXPECT_TRUE(scene.lights.empty());
}

TEST_F(SceneTest, MissingTextureKeepsWhatCameBefore) {
    TestScene s = TwoMeshesOneMaterial();
    s.materials.push_back({"lost", "nowhere.png"});
    s.meshes[1].material = "lost";  // "tri2" comes after "tri" in node order
    Scene scene(&engine);
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadScene(scene, s), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Texture not found : ./nowhere.png\n"), std::string::npos) << err;
    EXPECT_EQ(scene.MeshCount(), 1);
    EXPECT_EQ(scene.Mesh(0)->name, "tri");
    EXPECT_EQ(scene.MaterialCount(), 1);
}

TEST_F(SceneTest, UnreadableFileLeavesTheSceneAsItWas) {
    Scene scene(&engine);
    ASSERT_EQ(LoadScene(scene, TwoMeshesOneMaterial()), 1);
    std::vector<uint8_t> cut = WriteTestScene(SmallScene());
    cut.resize(cut.size() / 2);
    ASSERT_TRUE(WriteBytes("cut.3ds", cut));
    testing::internal::CaptureStderr();
    EXPECT_EQ(scene.Load("./", "cut.3ds", 7), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("cut.3ds"), std::string::npos);
    EXPECT_EQ(scene.MeshCount(), 2);
    EXPECT_EQ(scene.path, "./t.3ds");
    EXPECT_EQ(scene.Load("./", "absent.3ds", 7), 0);
}

TEST_F(SceneTest, TexturesFromPictures) {
    // 24-bit: no alpha; 32-bit: with alpha; both wrap even when new textures
    // were set to clamp.
    ASSERT_TRUE(WritePicture("alpha.png", 8, 8, true, SeeThrough));
    engine.SetState(7, 8);
    int opaque = LoadMaterialTexture(engine, "grey.png");
    int alpha = LoadMaterialTexture(engine, "alpha.png");
    ASSERT_GE(opaque, 0);
    ASSERT_GE(alpha, 0);
    EXPECT_EQ(engine.Slot(opaque)->size, 16);
    EXPECT_NE(engine.Slot(opaque)->formatIndex, 2);
    EXPECT_EQ(engine.Slot(alpha)->formatIndex, 2);
    EXPECT_EQ(engine.Slot(opaque)->clamp, 0);
    EXPECT_EQ(engine.Slot(alpha)->clamp, 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadMaterialTexture(engine, "none.png"), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Texture not found : none.png\n");
}

TEST_F(SceneTest, PictureTallerOrShorterThanWideFillsTheTexture) {
    // 8 x 8 would be square; this one is 8 wide and 8 high only after
    // stretching a 16 x 8 picture: its lower half must reach the last rows.
    ASSERT_TRUE(WritePicture("wide.png", 16, 8, false, Halves));
    int slot = LoadMaterialTexture(engine, "wide.png");
    ASSERT_GE(slot, 0);
    ASSERT_EQ(engine.Slot(slot)->size, 16);
    int pitch = 0;
    uint16_t *px = engine.LockTexture(slot, &pitch);
    ASSERT_NE(px, nullptr);
    const uint16_t top = px[0];
    const uint16_t bottom = *(const uint16_t *)((const uint8_t *)px + (size_t)pitch * 15);
    engine.UnlockTexture(slot, device::Rect{0, 0, 0, 0});
    // R5G6B5: red has only the high bits, blue only the low ones.
    EXPECT_EQ(top & 0x1F, 0);
    EXPECT_NE(top & 0xF800, 0);
    EXPECT_EQ(bottom & 0xF800, 0) << std::hex << bottom;
    EXPECT_NE(bottom & 0x1F, 0) << std::hex << bottom;
}

TEST_F(SceneTest, BuffersFollowTheMaterial) {
    TestScene s = TwoMeshesOneMaterial();
    s.materials.push_back({"glow", "", 0.2f, 0.9f, 0, true, false});
    s.meshes[1].material = "glow";
    Scene scene(&engine);
    ASSERT_EQ(LoadScene(scene, s), 1);
    scene.BuildBuffers();
    // Textured and lit: position, normal, texture coordinates.
    EXPECT_EQ(scene.Mesh(0)->layout, 0x8Du);
    ASSERT_NE(scene.Mesh(0)->vertexBuffer, nullptr);
    EXPECT_EQ(scene.Mesh(0)->vertexBuffer->Stride(), 32);
    // Untextured, self-illuminated: position alone, in the position-and-colour format.
    EXPECT_EQ(scene.Mesh(1)->layout, 0x1u);
    EXPECT_EQ(scene.Mesh(1)->vertexBuffer->Stride(), 16);
    ASSERT_NE(scene.Mesh(1)->indexBuffer, nullptr);
    EXPECT_EQ(scene.Mesh(1)->indexBuffer->Count(), 3);
    // The triangle's swapped corners reach the index buffer.
    EXPECT_EQ(scene.Mesh(1)->indexBuffer->Data()[1], 2);
}

TEST(MeshFormats, StridesOfEveryLayout) {
    struct Case {
        uint32_t layout;
        int stride;
    } cases[] = {
        {0x1, 16},
        {0x1 | 0x80, 24},
        {0x1 | 0x4, 24},
        {0x1 | 0x8 | 0x80, 32},
        {0x1 | 0x8, 32},
        {0x1 | 0x8 | 0x2 | 0x80, 44},
        {0x1 | 0x80 | 0x40, 44},
        {0x1 | 0x8000, 36},
        {0x1 | 0x8000 | 0x80, 44},
        {0x1 | 0x8000 | 0x80 | 0x40, 52},
        {0x1 | 0x2, 16},
    };
    for (const Case &c : cases)
        EXPECT_EQ(device::LayoutOf(Mesh::FormatFor(c.layout)).stride, c.stride)
            << std::hex << c.layout;
}

TEST(MeshBuffers, CornerCoordinatesGetAVertexPerCorner) {
    Mesh mesh(nullptr);
    Engine engine;  // buffers are plain memory; no display needed
    mesh.engine = &engine;
    Geometry &g = mesh.geometry;
    g.Allocate(4, 2);
    for (int i = 0; i < 4; i++) {
        g.SetVertex(i, (float)(i & 1), 0, (float)(i >> 1));
        g.SetTexCoord(i, 0.1f * i, 0.2f * i);
    }
    g.SetTriangle(0, 0, 1, 2);
    g.SetTriangle(1, 1, 3, 2);
    g.Finish();
    g.triangles[1].uv[0][0] = 0.75f;  // a corner with its own coordinates
    ASSERT_EQ(mesh.BuildBuffers(0x1 | 0x4 | 0x8), 1);
    EXPECT_EQ(mesh.vertexBuffer->Count(), 6);
    const device::VertexLayout &l = mesh.vertexBuffer->Layout();
    const float *uv = (const float *)(mesh.vertexBuffer->Data() + 3 * l.stride + l.tex[0]);
    EXPECT_FLOAT_EQ(uv[0], 0.75f);
    EXPECT_EQ(mesh.indexBuffer->Data()[4], 4);
    // With vertex coordinates the vertices are shared.
    ASSERT_EQ(mesh.BuildBuffers(0x1 | 0x4 | 0x80 | 0x8), 1);
    EXPECT_EQ(mesh.vertexBuffer->Count(), 4);
    EXPECT_EQ(mesh.indexBuffer->Data()[4], 3);
    // Too many corners for 16-bit indices: refused, nothing kept.
    g.Allocate(3, 30000);
    for (int t = 0; t < 30000; t++) g.SetTriangle(t, 0, 1, 2);
    EXPECT_EQ(mesh.BuildBuffers(0x1 | 0x4), 0);
    EXPECT_EQ(mesh.vertexBuffer, nullptr);
}

TEST_F(SceneTest, DrawSetsTheMaterialStates) {
    TestScene s = TwoMeshesOneMaterial();
    Scene scene(&engine);
    ASSERT_EQ(LoadScene(scene, s), 1);
    scene.BuildBuffers();
    struct Material *m = scene.Material(0);
    m->diffuse[0] = 0.25f;
    m->twoSided = true;
    engine.BeginFrame();
    engine.SetState(10, 0);
    engine.SetState(4, 5);
    scene.Draw();
    EXPECT_TRUE(engine.lightingOn);
    SlotMaterial *slot = engine.TextureMaterial(m->texture);
    ASSERT_NE(slot, nullptr);
    EXPECT_FLOAT_EQ(slot->diffuse[0], 0.25f);
    m->lit = false;
    m->twoSided = false;
    m->cullMode = 4;
    scene.Draw();
    EXPECT_FALSE(engine.lightingOn);
    EXPECT_EQ(engine.winding, 0);  // clockwise culling remembered
    engine.EndFrame();
}

// Pictures of the generated scenes: the table seen from above is wood, and a
// tile on it shows an ivory face with dark pips.
TEST_F(SceneTest, TableAndTileLookRight) {
    Scene table(&engine), tile(&engine);
    ASSERT_EQ(table.Load("data/gfx/3d/", "table.3ds", 7), 1);
    ASSERT_EQ(tile.Load("data/gfx/3d/", "domino.3ds", 7), 1);
    table.BuildBuffers();
    tile.BuildBuffers();
    // The tile wears the six-six face for the picture.
    struct Material *face = tile.Mesh(0)->material;
    const int own = face->texture;
    face->texture = LoadMaterialTexture(engine, "data/gfx/3d/6-6.png");
    ASSERT_GE(face->texture, 0);
    engine.focal = (float)engine.width;
    engine.nearPlane = 0.1f;
    engine.farPlane = 400;
    ASSERT_TRUE(engine.BeginFrame());
    engine.ClearFrame();
    engine.SetAmbient(0.5f, 0.5f, 0.5f);
    engine.SetPointLight(0, 3, 40, -2, 1, 0.9f, 0.7f, 0, 1000);
    engine.EnableLight(0);
    engine.SetProjection();
    float view[16];
    const float eye[3] = {0.5f, 6, 0.01f}, dir[3] = {0, -1, -0.0016f};
    Matrix::LookAt(view, eye, dir, 0);
    engine.SetView(view);
    table.Draw();
    tile.Draw();
    engine.EndFrame();
    std::vector<enginetest::Rgb> px = enginetest::ReadPixels(&engine);
    engine.PresentFrame();
    engine.ReleaseTexture(face->texture);
    face->texture = own;
    ASSERT_EQ(px.size(), (size_t)engine.width * engine.height);
    // A corner of the picture is bare table: brown, red above green above blue.
    const enginetest::Rgb wood = px[(size_t)10 * engine.width + 10];
    EXPECT_GT(wood.r, wood.g);
    EXPECT_GT(wood.g, wood.b);
    // The middle is the tile: mostly ivory, with some dark pips.
    int ivory = 0, dark = 0;
    for (int y = engine.height / 2 - 20; y < engine.height / 2 + 20; y++)
        for (int x = engine.width / 2 - 40; x < engine.width / 2 + 40; x++) {
            const enginetest::Rgb &c = px[(size_t)y * engine.width + x];
            ivory += c.r > 150 && c.g > 140 && c.b > 100 && c.r - c.b < 90;
            dark += c.r < 60 && c.g < 60 && c.b < 60;
        }
    EXPECT_GT(ivory, 1000);
    EXPECT_GT(dark, 20);
    EXPECT_LT(dark, ivory);
}

}  // namespace
