#include "app/BoardView.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "game/Camera.h"
#include "game/PlayLayout.h"
#include "lib3d/Engine.h"
#include "lib3d/Hull.h"
#include "lib3d/Material.h"
#include "lib3d/Matrix.h"
#include "lib3d/Mesh.h"
#include "lib3d/Scene.h"
#include "lib3d/ScreenRects.h"

using lib3d::Matrix;

namespace {

const char *kFolder3d = "data/gfx/3d/";
// Half the board's side: board cells to world units.
using game::kBoardHalf;
// Height of a tile, by which a tile turned face down is lifted back onto the table.
const float kTileHeight = 0.42f;
// Shadows sit a hair above the table so they never fight with it for depth.
const float kShadowLift = 0.01f;
// The glaze's rectangles: two are merged when that adds at most this many
// pixels, about what the rasteriser turns away in the time one more draw of
// the top costs to send; and there are never more than kMostGlazeDraws.
const long kGlazeMergeSlack = 128 * 96;
const size_t kMostGlazeDraws = 8;
// The room behind the table top is left out only a little inside its rim.
const float kTopMargin = 0.05f;
// Shadow outlines kept from pass to pass: a board's worth and the moving tiles.
const size_t kMostShadowOutlines = 40;

const float kMarkerQuad[4] = {-0.5f, -0.5f, 0.5f, 0.5f};
const float kSelectionQuad[4] = {-1.2f, -0.8f, 2.2f, 0.8f};

struct FlatVertex {
    float x, y, z;
    uint32_t colour;
    float u, v;
};
const uint32_t kFlatFormat = device::FvfXyz | device::FvfDiffuse | device::FvfTex1;

int LoadPicture(lib3d::Engine *engine, const char *path) {
    int slot = engine->LoadTexture(path);
    if (slot < 0) fprintf(stderr, "Impossible de lire %s\n", path);
    return slot;
}

lib3d::Material *FirstMaterial(lib3d::Scene *scene) {
    if (!scene || scene->MeshCount() == 0) return nullptr;
    lib3d::Mesh *mesh = scene->Mesh(0);
    return mesh ? mesh->material : nullptr;
}

}  // namespace

BoardView::BoardView(lib3d::Engine *engine) : engine_(engine) {
    Matrix::Identity(shadowMatrix);
    for (auto &row : faces)
        for (int &slot : row) slot = -1;
}

BoardView::~BoardView() {
    Release();
}

bool BoardView::Load() {
    markerTexture = LoadPicture(engine_, "data/gfx/2d/select1.png");
    if (markerTexture < 0) return false;
    selectionTexture = LoadPicture(engine_, "data/gfx/2d/select2.png");
    if (selectionTexture < 0) return false;
    for (int a = 0; a <= 6; ++a) {
        for (int b = a; b <= 6; ++b) {
            char path[64];
            snprintf(path, sizeof path, "%s%d-%d.png", kFolder3d, a, b);
            faces[a][b] = LoadPicture(engine_, path);
            if (faces[a][b] < 0) return false;
        }
    }
    tileScene = std::make_unique<lib3d::Scene>(engine_);
    if (!tileScene->Load(kFolder3d, "domino.3ds", 1) || tileScene->MeshCount() == 0) return false;
    tileScene->BuildBuffers();
    const lib3d::Geometry &g = tileScene->Mesh(0)->geometry;
    for (int i = 0; i < g.VertexCount(); ++i) {
        for (int c = 0; c < 3; ++c) {
            const float v = g.vertices[i].position[c];
            if (i == 0 || v < tileLow_[c]) tileLow_[c] = v;
            if (i == 0 || v > tileHigh_[c]) tileHigh_[c] = v;
        }
    }
    lib3d::Material *m = FirstMaterial(tileScene.get());
    tileOwnTexture_ = m ? m->texture : -1;
    loaded = true;
    return true;
}

bool BoardView::LoadBackground() {
    background = std::make_unique<lib3d::Scene>(engine_);
    if (!background->Load(kFolder3d, "background.3ds", 1 | 2)) return false;
    background->BuildBuffers();
    float m[16];
    Matrix::Identity(m);
    Matrix::Translate(m, 0.0f, -0.5f, 0.0f);
    background->SetMatrix(m);
    if (background->lights.empty()) {
        fprintf(stderr, "Light source not found in background.3ds !\n");
        return false;
    }
    ApplyLights();
    const lib3d::Light &last = background->lights.back();
    shadowLight[0] = last.position[0];
    shadowLight[1] = last.position[1];
    shadowLight[2] = last.position[2];
    shadowLight[3] = 1.0f;
    return true;
}

bool BoardView::LoadTable() {
    table = std::make_unique<lib3d::Scene>(engine_);
    if (!table->Load(kFolder3d, "table.3ds", 1)) return false;
    table->BuildBuffers();
    // The top (the first mesh) in world space; a top that is not flat and
    // level hides nothing and the room is drawn whole.
    std::vector<float> top;
    if (lib3d::Mesh *mesh = table->Mesh(0)) {
        const lib3d::Geometry &g = mesh->geometry;
        for (int i = 0; i < g.VertexCount(); ++i) {
            float p[3];
            Matrix::TransformPoint(table->matrix, g.vertices[i].position, p);
            top.insert(top.end(), p, p + 3);
        }
    }
    tableTop_.Set(top.data(), static_cast<int>(top.size() / 3), kTopMargin);
    roomCulled_ = false;
    return true;
}

void BoardView::Release() {
    // The tile material wears each face in turn; it gets its own texture
    // back so that the scene releases only what it loaded.
    if (lib3d::Material *m = FirstMaterial(tileScene.get())) m->texture = tileOwnTexture_;
    tileScene.reset();
    tileCorners_.clear();
    shadowOutlines_.clear();
    table.reset();
    background.reset();
    for (auto &row : faces) {
        for (int &slot : row) {
            if (slot >= 0) engine_->ReleaseTexture(slot);
            slot = -1;
        }
    }
    if (markerTexture >= 0) engine_->ReleaseTexture(markerTexture);
    if (selectionTexture >= 0) engine_->ReleaseTexture(selectionTexture);
    markerTexture = selectionTexture = -1;
    loaded = false;
}

void BoardView::ApplyLights() {
    engine_->SetAmbient(0.5f, 0.5f, 0.5f);
    if (!background) return;
    for (size_t i = 0; i < background->lights.size(); ++i) {
        const lib3d::Light &l = background->lights[i];
        engine_->SetPointLight(static_cast<int>(i), l.position[0], l.position[1], l.position[2],
                               l.colour[0], l.colour[1], l.colour[2], 0.0f, 1000.0f);
        engine_->EnableLight(static_cast<int>(i));
    }
}

void BoardView::DrawBackground(const float *eyeAfterTable) {
    if (!background) return;
    const bool cull = eyeAfterTable && tableTop_.Valid() && table && !drawWhole;
    const bool sameEye =
        roomCulled_ && cull && memcmp(roomEye_, eyeAfterTable, sizeof roomEye_) == 0;
    if (!sameEye) {
        std::vector<uint16_t> kept;
        for (int i = 0; i < background->MeshCount(); ++i) {
            lib3d::Mesh *mesh = background->Mesh(i);
            // A mesh drawn without the depth test would show through the top.
            const bool tested = mesh->material && mesh->material->depthMode != lib3d::kDepthNone;
            if (cull && tested &&
                tableTop_.VisibleTriangles(*mesh, background->matrix, eyeAfterTable, &kept)) {
                mesh->DrawOnlyTriangles(kept);
            } else {
                mesh->DrawAllTriangles();
            }
        }
        roomCulled_ = cull;
        if (cull) memcpy(roomEye_, eyeAfterTable, sizeof roomEye_);
    }
    background->Draw();
}

void BoardView::DrawTable(bool reflecting) {
    lib3d::Material *m = FirstMaterial(table.get());
    if (!m || !reflecting) {
        if (table) table->Draw();
        return;
    }
    // The top stays out of the depth buffer so the mirrored tiles can show
    // under it; the parts below it go first so they cannot show through.
    engine_->SetWorld(table->matrix);
    for (int i = 1; i < table->MeshCount(); ++i) table->Mesh(i)->Draw();
    m->depthMode = lib3d::kDepthTestOnly;
    table->Mesh(0)->Draw();
    m->depthMode = lib3d::kDepthTestWrite;
}

void BoardView::DrawTableGlaze() {
    lib3d::Material *m = FirstMaterial(table.get());
    if (!m) return;
    m->diffuse[3] = m->ambient[3] = 0.75f;
    engine_->SetState(lib3d::Blending::Alpha);
    table->Draw();
    m->diffuse[3] = m->ambient[3] = 1.0f;
    engine_->SetState(lib3d::Blending::Off);
}

bool BoardView::MarksReflections() const {
    return engine_->depthHasStencil && engine_->GetDevice() && FirstMaterial(table.get());
}

void BoardView::BeginMarkedReflections() {
    engine_->SetState(lib3d::Target::StencilTestedDepth);  // colour and depth, with the stencil
    engine_->SetState(lib3d::StencilTest::SetOne);         // every pixel drawn becomes 1
    reflectionRects_.clear();
    reflectionUnbounded_ = false;
    markingReflections_ = true;
}

void BoardView::EndMarkedReflections() {
    engine_->SetState(lib3d::Target::ColourAndDepth);
    markingReflections_ = false;
    lib3d::MergeRects(&reflectionRects_, kGlazeMergeSlack, kMostGlazeDraws);
}

void BoardView::NoteReflection(const float world[16]) {
    if (!markingReflections_ || reflectionUnbounded_) return;
    device::Rect r;
    if (!drawWhole && engine_->ScreenBounds(world, tileLow_, tileHigh_, &r)) {
        reflectionRects_.push_back(r);
    } else {
        reflectionUnbounded_ = true;
        reflectionRects_.clear();
    }
}

void BoardView::DrawTableTopUnmarked() {
    if (!MarksReflections()) return;
    engine_->SetWorld(table->matrix);
    engine_->SetState(lib3d::Target::StencilTestedDepth);
    engine_->SetState(lib3d::StencilTest::EqualZero);  // where the stencil is 0
    table->Mesh(0)->Draw();
    engine_->SetState(lib3d::Target::ColourAndDepth);
}

void BoardView::DrawMarkedGlaze() {
    if (!MarksReflections()) return;
    lib3d::Material *m = FirstMaterial(table.get());
    engine_->SetWorld(table->matrix);
    engine_->SetState(lib3d::Target::StencilTestedDepth);
    engine_->SetState(lib3d::StencilTest::EqualOne);  // where the stencil is 1 ...
    // ... which goes back to 0 under the top, blended or not: the bottom of
    // a mirrored tile lies in the table's plane and wins some depth tests.
    engine_->GetDevice()->SetRenderState(device::RsStencilPass, device::StencilZero);
    engine_->GetDevice()->SetRenderState(device::RsStencilZFail, device::StencilZero);
    m->diffuse[3] = m->ambient[3] = 0.75f;
    engine_->SetState(lib3d::Blending::Alpha);
    if (reflectionUnbounded_ || drawWhole) {
        table->Mesh(0)->Draw();
    } else {
        // Overlapping rectangles are harmless: the first draw over a mark
        // clears it, so no pixel is glazed twice.
        for (const device::Rect &r : reflectionRects_) {
            engine_->SetClipRect(&r);
            table->Mesh(0)->Draw();
        }
        engine_->SetClipRect(nullptr);
    }
    m->diffuse[3] = m->ambient[3] = 1.0f;
    engine_->SetState(lib3d::Blending::Off);
    engine_->SetState(lib3d::Target::ColourAndDepth);  // also puts the depth-fail operation back
}

void BoardView::DrawTableBase() {
    if (!table) return;
    engine_->SetWorld(table->matrix);
    for (int i = 1; i < table->MeshCount(); ++i) table->Mesh(i)->Draw();
}

void BoardView::TileTransform(const game::Tile &tile, bool faceDown, float height, bool mirrored,
                              float out[16]) const {
    Matrix::Identity(out);
    if (mirrored) height = 0.0f;
    if (faceDown) {
        Matrix::Rotate(out, 180.0f, 0.0f, 0.0f);
        Matrix::Translate(out, 0.0f, kTileHeight, 0.0f);
    }
    Matrix::Rotate(out, 0.0f, tile.angle, 0.0f);
    Matrix::Translate(out, tile.x - kBoardHalf, height, tile.z - kBoardHalf);
    // The reflection: the tile as it stands, mirrored in the table's plane.
    if (mirrored) Matrix::Scale(out, 1.0f, -1.0f, 1.0f);
}

void BoardView::BeginPass(int pass) {
    if (pass != PassShadow) return;
    shadowFan_.clear();
    ++shadowPass_;
    // Shadows: untextured, black at half strength, each pixel darkened once
    // however many tiles overlap there (the stencil remembers it).
    const float plane[4] = {0.0f, 1.0f, 0.0f, 0.0f};
    game::PlanarShadowMatrix(shadowLight, plane, shadowMatrix);
    engine_->SetState(lib3d::Stage0::NoTexture);
    engine_->SetState(lib3d::Lighting::On);
    device::Material black;
    black.diffuse = {0.0f, 0.0f, 0.0f, 0.5f};
    black.ambient = {0.0f, 0.0f, 0.0f, 0.5f};
    black.specular = {0.0f, 0.0f, 0.0f, 0.0f};
    black.emissive = {0.0f, 0.0f, 0.0f, 0.0f};
    if (device::Device *d = engine_->GetDevice()) d->SetMaterial(black);
    engine_->SetState(lib3d::Blending::Alpha);
    // Flattened, the faces turned to the light cover the whole shadow, and
    // seen from above the table they keep their winding; the faces turned
    // away would cover it a second time, which the stencil then rejects
    // pixel by pixel. Without a stencil the two layers darken twice, which
    // is how such a display has always shown them.
    engine_->SetState(engine_->depthHasStencil ? lib3d::Culling::CounterClockwise
                                               : lib3d::Culling::None);
    engine_->SetState(lib3d::Depth::On);
    engine_->SetState(lib3d::Depth::WriteOff);
    engine_->SetState(lib3d::Target::StencilTested);
    engine_->SetState(lib3d::StencilTest::NotEqualOne);
}

void BoardView::EndPass(int pass) {
    if (pass != PassShadow) return;
    DrawShadowOutlines();
    engine_->SetState(lib3d::Target::ColourAndDepth);
    engine_->SetState(lib3d::Blending::Off);
    engine_->SetState(lib3d::Depth::On);
    engine_->SetState(lib3d::Culling::CounterClockwise);
}

void BoardView::DrawTile(const game::Tile &tile, bool faceDown, float height, int depthMode,
                         int pass, int normalColour) {
    if (!tileScene || tileScene->MeshCount() == 0) return;
    lib3d::Mesh *mesh = tileScene->Mesh(0);
    lib3d::Material *m = mesh->material;
    if (!m) return;
    int a = tile.a, b = tile.b;
    if (a < 0 || b > 6 || a > b) return;  // not a tile of the set
    m->texture = faces[a][b];
    m->depthMode = depthMode;

    float world[16];
    TileTransform(tile, faceDown, height, pass == PassReflection, world);

    if (pass == PassShadow) {
        float flat[16];
        Matrix::Multiply(world, shadowMatrix, flat);
        Matrix::Translate(flat, 0.0f, kShadowLift, 0.0f);
        if (!engine_->depthHasStencil || drawWhole || !AddShadowOutline(*mesh, flat)) {
            engine_->SetWorld(flat);
            mesh->DrawDirect();
        }
        m->depthMode = lib3d::kDepthTestWrite;
        return;
    }
    engine_->SetWorld(world);
    float diffuse[4], ambient[4];
    memcpy(diffuse, m->diffuse, sizeof diffuse);
    memcpy(ambient, m->ambient, sizeof ambient);
    if (pass == PassReflection) {
        // Mirroring turns the triangles' winding around. Drawing the mirrored
        // tile once more with the usual culling would only add its back
        // faces, which always lie behind its front ones.
        m->cullMode = 4;
        NoteReflection(world);
        mesh->Draw();
        m->cullMode = 5;
        m->depthMode = lib3d::kDepthTestWrite;
        return;
    }
    if (!normalColour) {
        const float red[4] = {1.0f, 0.25f, 0.25f, 1.0f};
        memcpy(m->diffuse, red, sizeof red);
        memcpy(m->ambient, red, sizeof red);
    }
    mesh->Draw();
    memcpy(m->diffuse, diffuse, sizeof diffuse);
    memcpy(m->ambient, ambient, sizeof ambient);
    m->depthMode = lib3d::kDepthTestWrite;
}

// A tile is convex, so its flattened faces cover exactly the convex hull of
// its flattened corners: one polygon of a few dozen points instead of every
// face, lit and then mostly culled or turned away by the stencil. Each pixel
// is still darkened once; the outline's edges are the faces' outer edges.
// The outlines lie in the table's plane, in world space, so the whole pass
// goes to the device in one draw (EndPass).
bool BoardView::AddShadowOutline(const lib3d::Mesh &mesh, const float flat[16]) {
    // A tile lying on the table casts the same outline frame after frame.
    for (ShadowOutline &o : shadowOutlines_) {
        if (memcmp(o.flat, flat, sizeof o.flat) != 0) continue;
        o.pass = shadowPass_;
        shadowFan_.insert(shadowFan_.end(), o.fan.begin(), o.fan.end());
        return !o.fan.empty();
    }
    ShadowOutline o;
    memcpy(o.flat, flat, sizeof o.flat);
    o.pass = shadowPass_;
    OutlineOf(mesh, flat, &o.fan);
    shadowFan_.insert(shadowFan_.end(), o.fan.begin(), o.fan.end());
    const bool cast = !o.fan.empty();
    // Outlines asked for neither in this pass nor in the one before (a frame
    // has a pass for the board and one for the moving tiles) belong to tiles
    // that moved on.
    if (shadowOutlines_.size() >= kMostShadowOutlines) {
        shadowOutlines_.erase(
            std::remove_if(shadowOutlines_.begin(), shadowOutlines_.end(),
                           [&](const ShadowOutline &old) { return shadowPass_ - old.pass > 1; }),
            shadowOutlines_.end());
    }
    if (shadowOutlines_.size() < kMostShadowOutlines) shadowOutlines_.push_back(std::move(o));
    return cast;
}

void BoardView::OutlineOf(const lib3d::Mesh &mesh, const float flat[16], std::vector<float> *fan) {
    fan->clear();
    if (tileCorners_.empty()) {
        // The tile's distinct points: faces that keep their own texture
        // coordinates repeat some.
        const lib3d::Geometry &g = mesh.geometry;
        for (int i = 0; i < g.VertexCount(); ++i) {
            const float *p = g.vertices[i].position;
            bool seen = false;
            for (size_t k = 0; k < tileCorners_.size() && !seen; k += 3)
                seen = memcmp(&tileCorners_[k], p, 3 * sizeof(float)) == 0;
            if (!seen) tileCorners_.insert(tileCorners_.end(), p, p + 3);
        }
    }
    std::vector<lib3d::Point2> points;
    points.reserve(tileCorners_.size() / 3);
    float height = 0.0f;
    for (size_t i = 0; i < tileCorners_.size(); i += 3) {
        float h[4];
        Matrix::TransformHomogeneous(flat, &tileCorners_[i], h);
        if (!(h[3] > 1e-6f)) return;  // a corner at or above the light: no plain shadow
        points.push_back({h[0] / h[3], h[2] / h[3]});
        height = h[1] / h[3];
    }
    const std::vector<lib3d::Point2> hull = lib3d::ConvexHull(points);
    for (size_t i = 1; i + 1 < hull.size(); ++i) {
        for (const lib3d::Point2 &q : {hull[0], hull[i], hull[i + 1]}) {
            fan->push_back(q.x);
            fan->push_back(height);
            fan->push_back(q.y);
        }
    }
}

void BoardView::DrawShadowOutlines() {
    if (shadowFan_.empty()) return;
    float identity[16];
    Matrix::Identity(identity);
    engine_->SetWorld(identity);
    engine_->SetState(lib3d::Culling::None);
    engine_->DrawTriangles(device::FvfXyz, shadowFan_.data(),
                           static_cast<int>(shadowFan_.size() / 9));
    shadowFan_.clear();
}

void BoardView::DrawPlacedTiles(const game::Board &board, int pass) {
    BeginPass(pass);
    for (const game::Tile *t : board.placed) DrawTile(*t, false, 0.0f, 1, pass, 1);
    EndPass(pass);
}

void BoardView::DrawFlatQuad(const float c[4], int texture, const float world[16]) {
    const float x0 = c[0], z0 = c[1], x1 = c[2], z1 = c[3];
    const FlatVertex corner[4] = {
        {x0, 0, z0, 0xFFFFFFFFu, 0, 0},
        {x1, 0, z0, 0xFFFFFFFFu, 1, 0},
        {x0, 0, z1, 0xFFFFFFFFu, 0, 1},
        {x1, 0, z1, 0xFFFFFFFFu, 1, 1},
    };
    const FlatVertex triangles[6] = {corner[0], corner[1], corner[2],
                                     corner[1], corner[3], corner[2]};
    engine_->BindTexture(texture);
    engine_->SetWorld(world);
    engine_->DrawTriangles(kFlatFormat, triangles, 2);
}

void BoardView::DrawSpotMarkers(const game::Board &board, float scale) {
    if (markerTexture < 0) return;
    engine_->SetState(lib3d::Depth::Off);
    engine_->SetState(lib3d::Stage0::TextureTimesColour);
    engine_->SetState(lib3d::Blending::Additive);
    engine_->SetState(lib3d::Culling::None);
    engine_->SetState(lib3d::Lighting::Off);
    for (const game::Spot &s : board.spots) {
        float world[16];
        Matrix::Identity(world);
        Matrix::Scale(world, scale, 1.0f, scale);
        Matrix::Translate(world, s.x - kBoardHalf, 0.2f, s.z - kBoardHalf);
        DrawFlatQuad(kMarkerQuad, markerTexture, world);
    }
    engine_->SetState(lib3d::Lighting::On);
    engine_->SetState(lib3d::Blending::Off);
    engine_->SetState(lib3d::Depth::On);
}

void BoardView::DrawSelection(const game::Tile &tile) {
    if (selectionTexture < 0) return;
    engine_->SetState(lib3d::Stage0::TextureTimesColour);
    engine_->SetState(lib3d::Blending::Additive);
    engine_->SetState(lib3d::Depth::Off);
    engine_->SetState(lib3d::Lighting::Off);
    engine_->SetState(lib3d::Culling::None);  // seen from above or below alike
    float world[16];
    Matrix::Identity(world);
    Matrix::Rotate(world, 0.0f, tile.angle, 0.0f);
    Matrix::Translate(world, tile.x - kBoardHalf, 0.25f, tile.z - kBoardHalf);
    DrawFlatQuad(kSelectionQuad, selectionTexture, world);
    engine_->SetState(lib3d::Lighting::On);
    engine_->SetState(lib3d::Blending::Off);
    engine_->SetState(lib3d::Depth::On);
}
