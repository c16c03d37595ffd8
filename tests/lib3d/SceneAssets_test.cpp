// The generated scenes and images: every file the game names exists, reads,
// and has the shape the board and the start-up rely on.
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "lib3d/ThreeDsImport.h"

using namespace lib3d;

namespace {

struct Box {
    float lo[3] = {FLT_MAX, FLT_MAX, FLT_MAX};
    float hi[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
    void Add(const float *p) {
        for (int k = 0; k < 3; k++) {
            lo[k] = std::min(lo[k], p[k]);
            hi[k] = std::max(hi[k], p[k]);
        }
    }
};

Box Bounds(const Geometry &g) {
    Box b;
    for (const GeometryVertex &v : g.vertices) b.Add(v.position);
    return b;
}

ThreeDsData Load(const char *name) {
    std::string path = std::string("data/gfx/3d/") + name;
    ThreeDsData d;
    char error[256] = "";
    EXPECT_TRUE(ThreeDsReadFile(path.c_str(), 7, d, error, sizeof error)) << path << ": " << error;
    return d;
}

// Every texture a scene names lies beside it and loads.
void ExpectTexturesExist(const ThreeDsData &d) {
    for (const ThreeDsMaterial &m : d.materials) {
        if (m.texture.empty()) continue;
        std::string path = "data/gfx/3d/" + m.texture;
        SDL_Surface *s = IMG_Load(path.c_str());
        EXPECT_NE(s, nullptr) << path;
        if (s) SDL_FreeSurface(s);
    }
}

TEST(SceneAssets, DominoTile) {
    ThreeDsData d = Load("domino.3ds");
    ASSERT_GE(d.meshes.size(), 1u);
    ASSERT_EQ(d.materials.size(), 1u);
    EXPECT_FALSE(d.materials[0].texture.empty());
    Box b = Bounds(*d.meshes[0].geometry);
    EXPECT_NEAR(b.lo[0], -0.5f, 1e-3f);
    EXPECT_NEAR(b.hi[0], 1.5f, 1e-3f);
    EXPECT_NEAR(b.lo[1], 0.0f, 1e-3f);
    EXPECT_NEAR(b.hi[1], 0.42f, 1e-3f);
    EXPECT_NEAR(b.lo[2], -0.5f, 1e-3f);
    EXPECT_NEAR(b.hi[2], 0.5f, 1e-3f);
    // The top carries the face: its texture coordinates stay in the upper
    // half of the image (v in 0..0.5 after the negation, modulo 1).
    const Geometry &g = *d.meshes[0].geometry;
    int top = 0;
    for (const GeometryTriangle &t : g.triangles) {
        if (t.normal[1] < 0.999f) continue;
        bool atTop = true;
        for (const GeometryVertex *v : t.corner) atTop = atTop && v->position[1] > 0.41f;
        if (!atTop) continue;
        top++;
        for (const GeometryVertex *v : t.corner) {
            float v01 = v->uv0[1] - std::floor(v->uv0[1]);
            EXPECT_LE(v01, 0.5f);
        }
    }
    EXPECT_GT(top, 0);
    // Every face points away from the tile's centre: the solid is closed
    // the right way round, so culling keeps its outside.
    for (const GeometryTriangle &t : g.triangles) {
        float c[3] = {0, 0, 0};
        for (const GeometryVertex *v : t.corner)
            for (int k = 0; k < 3; k++) c[k] += v->position[k] / 3;
        float out = (c[0] - 0.5f) * t.normal[0] + (c[1] - 0.21f) * t.normal[1] + c[2] * t.normal[2];
        EXPECT_GT(out, 0) << "inward face";
    }
    ExpectTexturesExist(d);
}

TEST(SceneAssets, TableTopIsTheFirstMeshAtTableHeight) {
    ThreeDsData d = Load("table.3ds");
    ASSERT_GE(d.meshes.size(), 2u);
    ASSERT_EQ(d.order[0].kind, ThreeDsItem::kMesh);
    const Geometry &top = *d.meshes[d.order[0].index].geometry;
    Box b = Bounds(top);
    EXPECT_NEAR(b.lo[1], 0.0f, 1e-4f);
    EXPECT_NEAR(b.hi[1], 0.0f, 1e-4f);
    // Comfortably larger than the 32 x 32 board centred on the origin.
    EXPECT_LT(b.lo[0], -18);
    EXPECT_GT(b.hi[0], 18);
    EXPECT_LT(b.lo[2], -18);
    EXPECT_GT(b.hi[2], 18);
    for (const GeometryTriangle &t : top.triangles) EXPECT_GT(t.normal[1], 0.999f);
    // Nothing of the table rises above its top.
    for (const ThreeDsMesh &m : d.meshes) EXPECT_LE(Bounds(*m.geometry).hi[1], 1e-4f) << m.name;
    ExpectTexturesExist(d);
}

TEST(SceneAssets, RoomHasLightsWithTheShadowLightAboveTheTable) {
    ThreeDsData d = Load("background.3ds");
    ASSERT_GE(d.lights.size(), 1u);
    ASSERT_LE(d.lights.size(), 3u);
    const ThreeDsLight &shadow = d.lights.back();
    EXPECT_GT(shadow.position[1], 10);
    EXPECT_LT(std::abs(shadow.position[0]), 16);
    EXPECT_LT(std::abs(shadow.position[2]), 16);
    // A little off the centre, so shadows fall to one side.
    EXPECT_GT(std::abs(shadow.position[0]) + std::abs(shadow.position[2]), 1);
    EXPECT_GE(d.meshes.size(), 4u);
    ExpectTexturesExist(d);
}

TEST(SceneAssets, EveryNamedImageLoads) {
    std::vector<std::string> paths = {"data/gfx/2d/pointeur.png", "data/gfx/2d/select1.png",
                                      "data/gfx/2d/select2.png",  "data/gfx/logo/env.png",
                                      "data/gfx/logo/env1.png",   "data/gfx/logo/env2.png",
                                      "data/gfx/logo/light.png"};
    for (const std::string &p : paths) {
        SDL_Surface *s = IMG_Load(p.c_str());
        ASSERT_NE(s, nullptr) << p;
        EXPECT_EQ(s->w, s->h) << p;  // textures are square
        SDL_FreeSurface(s);
    }
    // The overlay images carry alpha.
    for (const char *p :
         {"data/gfx/2d/pointeur.png", "data/gfx/2d/select1.png", "data/gfx/2d/select2.png"}) {
        SDL_Surface *s = IMG_Load(p);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->format->BitsPerPixel, 32) << p;
        SDL_FreeSurface(s);
    }
}

TEST(SceneAssets, TwentyEightDistinctFaces) {
    std::set<std::vector<uint8_t>> faces;
    for (int a = 0; a <= 6; a++)
        for (int b = a; b <= 6; b++) {
            char path[64];
            snprintf(path, sizeof path, "data/gfx/3d/%d-%d.png", a, b);
            SDL_Surface *s = IMG_Load(path);
            ASSERT_NE(s, nullptr) << path;
            EXPECT_EQ(s->w, s->h);
            SDL_LockSurface(s);
            // The face is the top half of the image.
            const uint8_t *p = static_cast<const uint8_t *>(s->pixels);
            faces.insert(std::vector<uint8_t>(p, p + (size_t)s->pitch * s->h / 2));
            SDL_UnlockSurface(s);
            SDL_FreeSurface(s);
        }
    EXPECT_EQ(faces.size(), 28u);
}

}  // namespace
