// Reading .3ds files into plain records: axes, texture coordinates, winding,
// materials, lights, cameras and the selection mask.
#include "lib3d/ThreeDsImport.h"

#include <gtest/gtest.h>

#include "ThreeDsFiles.h"

using namespace lib3d;

namespace {

ThreeDsData Read(const TestScene &scene, int what = 7) {
    std::vector<uint8_t> bytes = WriteTestScene(scene);
    EXPECT_FALSE(bytes.empty());
    ThreeDsData data;
    char error[256] = "";
    EXPECT_TRUE(ThreeDsRead(bytes.data(), bytes.size(), what, data, error, sizeof error)) << error;
    return data;
}

void ExpectVec(const float *v, float x, float y, float z) {
    EXPECT_NEAR(v[0], x, 1e-5f);
    EXPECT_NEAR(v[1], y, 1e-5f);
    EXPECT_NEAR(v[2], z, 1e-5f);
}

TEST(ThreeDsImport, ConvertsAxesTexturesAndWinding) {
    ThreeDsData d = Read(SmallScene());
    ASSERT_EQ(d.meshes.size(), 1u);
    const Geometry &g = *d.meshes[0].geometry;
    ASSERT_EQ(g.VertexCount(), 3);
    ASSERT_EQ(g.TriangleCount(), 1);
    // The file's z-up point (x, y, z) lands at (x, z, -y).
    ExpectVec(g.vertices[0].position, 1, 3, -2);
    ExpectVec(g.vertices[1].position, 4, 3, -2);
    ExpectVec(g.vertices[2].position, 1, 3, -6);
    // v is negated, u kept.
    EXPECT_FLOAT_EQ(g.vertices[0].uv0[0], 0.25f);
    EXPECT_FLOAT_EQ(g.vertices[0].uv0[1], -0.75f);
    EXPECT_FLOAT_EQ(g.vertices[2].uv0[1], -0.5f);
    // Face (0, 1, 2) is drawn as (0, 2, 1).
    EXPECT_EQ(g.triangles[0].v[0], 0u);
    EXPECT_EQ(g.triangles[0].v[1], 2u);
    EXPECT_EQ(g.triangles[0].v[2], 1u);
    // The file's face is counter-clockwise seen from +z (up): its normal,
    // carried through the conversion, points up the engine's y.
    ExpectVec(g.triangles[0].normal, 0, 1, 0);
    ExpectVec(g.vertices[1].normal, 0, 1, 0);
    EXPECT_EQ(g.triangles[0].corner[1], &g.vertices[2]);
}

TEST(ThreeDsImport, LightsCamerasAndAmbient) {
    ThreeDsData d = Read(SmallScene());
    ASSERT_EQ(d.lights.size(), 1u);
    EXPECT_EQ(d.lights[0].name, "lamp");
    ExpectVec(d.lights[0].position, 1, 3, -2);
    ExpectVec(d.lights[0].colour, 1, 0.5f, 0.25f);
    ASSERT_EQ(d.cameras.size(), 1u);
    EXPECT_EQ(d.cameras[0].name, "cam");
    ExpectVec(d.cameras[0].position, 0, 5, 10);
    ExpectVec(d.cameras[0].target, 0, 1, 0);
    EXPECT_FLOAT_EQ(d.cameras[0].roll, 15);
    EXPECT_FLOAT_EQ(d.cameras[0].fov, 45);
}

TEST(ThreeDsImport, MaskSelectsKinds) {
    ThreeDsData meshes = Read(SmallScene(), kThreeDsMeshes);
    EXPECT_EQ(meshes.meshes.size(), 1u);
    EXPECT_TRUE(meshes.lights.empty());
    EXPECT_TRUE(meshes.cameras.empty());
    ThreeDsData lights = Read(SmallScene(), kThreeDsLights);
    EXPECT_TRUE(lights.meshes.empty());
    EXPECT_TRUE(lights.materials.empty());
    EXPECT_EQ(lights.lights.size(), 1u);
    EXPECT_TRUE(lights.cameras.empty());
    ThreeDsData cameras = Read(SmallScene(), kThreeDsCameras);
    EXPECT_EQ(cameras.cameras.size(), 1u);
    EXPECT_TRUE(cameras.meshes.empty() && cameras.lights.empty());
    ThreeDsData none = Read(SmallScene(), 0);
    EXPECT_TRUE(none.order.empty());
}

TEST(ThreeDsImport, MaterialsSharedByNameAndReadFromTheFile) {
    TestScene s = SmallScene();
    s.materials.push_back({"glow", "", 0.1f, 0.9f, 0.25f, true, true});
    TestMesh second = s.meshes[0];
    second.name = "tri2";
    TestMesh third = s.meshes[0];
    third.name = "tri3";
    third.material = "glow";
    TestMesh fourth = s.meshes[0];
    fourth.name = "tri4";
    fourth.material = "nowhere";  // named by the faces, absent from the file
    s.meshes.push_back(second);
    s.meshes.push_back(third);
    s.meshes.push_back(fourth);
    ThreeDsData d = Read(s);
    ASSERT_EQ(d.meshes.size(), 4u);
    ASSERT_EQ(d.materials.size(), 3u);
    EXPECT_EQ(d.meshes[0].material, d.meshes[1].material);
    const ThreeDsMaterial &skin = d.materials[d.meshes[0].material];
    EXPECT_EQ(skin.name, "skin");
    EXPECT_EQ(skin.texture, "skin.png");
    EXPECT_TRUE(skin.lit);
    EXPECT_FALSE(skin.twoSided);
    EXPECT_NEAR(skin.diffuse[0], 0.8f, 1.0f / 255);  // stored as bytes
    EXPECT_FLOAT_EQ(skin.diffuse[3], 1.0f);          // opaque
    const ThreeDsMaterial &glow = d.materials[d.meshes[2].material];
    EXPECT_EQ(glow.name, "glow");
    EXPECT_TRUE(glow.texture.empty());
    EXPECT_FALSE(glow.lit);
    EXPECT_TRUE(glow.twoSided);
    EXPECT_NEAR(glow.ambient[1], 0.1f, 1.0f / 255);
    EXPECT_FLOAT_EQ(glow.ambient[3], 0.75f);
    const ThreeDsMaterial &missing = d.materials[d.meshes[3].material];
    EXPECT_EQ(missing.name, "nowhere");
    EXPECT_TRUE(missing.texture.empty());
}

TEST(ThreeDsImport, NodeOrderAndFilesWithoutNodes) {
    TestScene s = SmallScene();
    TestMesh b = s.meshes[0];
    b.name = "b";
    s.meshes[0].name = "a";
    s.meshes.push_back(b);
    ThreeDsData d = Read(s);
    ASSERT_EQ(d.order.size(), 4u);
    // The writer keeps nodes in name order: a, b, cam, lamp.
    EXPECT_EQ(d.order[0].kind, ThreeDsItem::kMesh);
    EXPECT_EQ(d.meshes[d.order[1].index].name, "b");
    EXPECT_EQ(d.order[2].kind, ThreeDsItem::kCamera);
    EXPECT_EQ(d.order[3].kind, ThreeDsItem::kLight);

    s.nodes = false;
    ThreeDsData flat = Read(s);
    EXPECT_EQ(flat.meshes.size(), 2u);
    EXPECT_EQ(flat.lights.size(), 1u);
    EXPECT_EQ(flat.cameras.size(), 1u);
}

TEST(ThreeDsImport, EdgeCasesOfMeshes) {
    TestScene s = SmallScene();
    s.meshes[0].texels.resize(2);  // texture coordinates for the first point only
    TestMesh empty;
    empty.name = "empty";
    empty.points = {0, 0, 0};
    s.meshes.push_back(empty);
    ThreeDsData d = Read(s);
    ASSERT_EQ(d.meshes.size(), 2u);
    const Geometry &g = *d.meshes[1].geometry;
    EXPECT_FLOAT_EQ(g.vertices[0].uv0[1], -0.75f);
    EXPECT_FLOAT_EQ(g.vertices[2].uv0[0], 0.0f);
    EXPECT_EQ(d.meshes[0].name, "empty");
    EXPECT_EQ(d.meshes[0].material, -1);
    EXPECT_EQ(d.meshes[0].geometry->TriangleCount(), 0);
}

TEST(ThreeDsImport, FaceNamingAMissingPointIsRefused) {
    TestScene s = SmallScene();
    s.meshes[0].faces = {0, 1, 7};
    std::vector<uint8_t> bytes = WriteTestScene(s);
    ThreeDsData d;
    d.ambient[0] = 42;
    char error[256] = "";
    EXPECT_FALSE(ThreeDsRead(bytes.data(), bytes.size(), 7, d, error, sizeof error));
    EXPECT_NE(std::string(error).find("uses point 7"), std::string::npos) << error;
    EXPECT_EQ(d.ambient[0], 42);  // untouched
    EXPECT_TRUE(d.meshes.empty());
}

TEST(ThreeDsImport, MissingFileIsReported) {
    ThreeDsData d;
    char error[256] = "";
    EXPECT_FALSE(ThreeDsReadFile("no/such/file.3ds", 7, d, error, sizeof error));
    EXPECT_NE(std::string(error).find("no/such/file.3ds"), std::string::npos);
}

}  // namespace
