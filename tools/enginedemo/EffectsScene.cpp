#include "EffectsScene.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "app/LogoScripts.h"
#include "lib3d/Matrix.h"
#include "lib3d/MeshEffects.h"
#include "lib3d/Shader.h"
#include "lib3d/SphereGrid.h"

namespace demo {
namespace {

using lib3d::Matrix;

// World "up" is +y, as the engine's views show it: the floor is the plane
// y = 0 and everything stands above it.
const uint32_t kFormat = device::FvfXyz | device::FvfNormal | device::FvfDiffuse | device::FvfTex2;

struct Vertex {
    float x, y, z, nx, ny, nz;
    uint32_t colour;
    float u0, v0, u1, v1;
};

struct Mesh {
    std::unique_ptr<device::VertexBuffer> vertices;
    std::unique_ptr<device::IndexBuffer> indices;
    int triangles = 0;

    lib3d::DrawRange Range() const {
        lib3d::DrawRange r;
        r.vertices = vertices.get();
        r.indices = indices.get();
        r.triangles = triangles;
        return r;
    }
    void Draw(lib3d::Engine *engine) const {
        engine->DrawIndexed(*vertices, *indices, 0, triangles);
    }
};

struct Resources {
    Mesh floor, ball, shiny, panel;
    int checker = -1, marble = -1, sky = -1;
    std::unique_ptr<lib3d::Shader> shader;
};

Resources *g_res = nullptr;

Mesh Build(lib3d::Engine *engine, const std::vector<Vertex> &v,
           const std::vector<uint16_t> &index) {
    Mesh m;
    m.vertices = engine->CreateVertexBuffer(static_cast<int>(v.size()), kFormat, false);
    m.indices = engine->CreateIndexBuffer(static_cast<int>(index.size()), false);
    std::memcpy(m.vertices->Lock(), v.data(), v.size() * sizeof(Vertex));
    std::memcpy(m.indices->Lock(), index.data(), index.size() * sizeof(uint16_t));
    m.triangles = static_cast<int>(index.size() / 3);
    return m;
}

// A horizontal square at y = 0, normal up (+y), its colour's alpha lets the
// reflection show through.
Mesh Floor(lib3d::Engine *engine, float half, uint32_t argb) {
    const std::vector<Vertex> v = {
        {-half, 0, -half, 0, 1, 0, argb, 0, 0, 0, 0},
        {half, 0, -half, 0, 1, 0, argb, 4, 0, 1, 0},
        {half, 0, half, 0, 1, 0, argb, 4, 4, 1, 1},
        {-half, 0, half, 0, 1, 0, argb, 0, 4, 0, 1},
    };
    return Build(engine, v, {0, 1, 2, 0, 2, 3});
}

// A vertical panel facing the camera (-z), for the render-to-texture picture.
Mesh Panel(lib3d::Engine *engine, float w, float h) {
    const uint32_t white = 0xFFFFFFFFu;
    const std::vector<Vertex> v = {
        // World +x shows on the left, +y at the top: the picture's top-left
        // corner (0, 0) goes to (w, h).
        {-w, -h, 0, 0, 0, -1, white, 1, 1, 1, 1},
        {w, -h, 0, 0, 0, -1, white, 0, 1, 0, 1},
        {w, h, 0, 0, 0, -1, white, 0, 0, 0, 0},
        {-w, h, 0, 0, 0, -1, white, 1, 0, 1, 0},
    };
    return Build(engine, v, {0, 1, 2, 0, 2, 3});
}

// Shared vertices and outward normals: closed, so that its shadow volume is.
Mesh Ball(lib3d::Engine *engine, float radius) {
    const int rings = 16, segments = 24;
    std::vector<Vertex> v;
    for (int r = 0; r <= rings; r++) {
        const float a = 3.14159265f * r / rings;
        for (int s = 0; s <= segments; s++) {
            const float b = 2 * 3.14159265f * s / segments;
            const float nx = std::sin(a) * std::cos(b), ny = std::cos(a),
                        nz = std::sin(a) * std::sin(b);
            v.push_back({radius * nx, radius * ny, radius * nz, nx, ny, nz, 0xFFFFFFFFu,
                         2.0f * s / segments, 1.0f * r / rings, 0, 0});
        }
    }
    std::vector<float> xyz;
    for (const Vertex &p : v) xyz.insert(xyz.end(), {p.x, p.y, p.z});
    const std::vector<uint16_t> index = lib3d::SphereGridIndices(xyz, rings, segments);
    return Build(engine, v, index);
}

int Picture(lib3d::Engine *engine, int kind) {
    const int size = 128;
    std::vector<uint8_t> p(size * size * 4);
    for (int y = 0; y < size; y++) {
        for (int x = 0; x < size; x++) {
            uint8_t *c = &p[(y * size + x) * 4];
            int r, g, b;
            if (kind == 0) {  // warm checker
                const bool odd = ((x / 16) + (y / 16)) & 1;
                r = odd ? 220 : 90, g = odd ? 200 : 60, b = odd ? 160 : 40;
            } else if (kind == 1) {  // blue and white marbling
                const float t = std::sin(x * 0.15f + 3 * std::sin(y * 0.07f));
                r = static_cast<int>(120 + 100 * t), g = static_cast<int>(150 + 90 * t), b = 235;
            } else {  // a sky gradient with a sun, for the mapped cube
                const float dx = x - 40.0f, dy = y - 40.0f;
                const float sun = std::exp(-(dx * dx + dy * dy) / 300.0f);
                r = static_cast<int>(60 + 140 * y / size + 195 * sun);
                g = static_cast<int>(110 + 100 * y / size + 145 * sun);
                b = static_cast<int>(230 - 60 * y / size);
            }
            c[0] = static_cast<uint8_t>(r > 255 ? 255 : r);
            c[1] = static_cast<uint8_t>(g > 255 ? 255 : g);
            c[2] = static_cast<uint8_t>(b > 255 ? 255 : b);
            c[3] = 255;
        }
    }
    return engine->CreateTexture(size, p.data(), size, false);
}

void World(lib3d::Engine *engine, float x, float y, float z, float angle, bool mirrored) {
    float m[16];
    Matrix::Identity(m);
    Matrix::Rotate(m, angle * 0.5f, angle, 0.0f);
    Matrix::Translate(m, x, y, z);
    if (mirrored) Matrix::Scale(m, 1, -1, 1);  // reflected in the floor plane y = 0
    engine->SetWorld(m);
}

void Camera(lib3d::Engine *engine, const float eye[3], const float target[3]) {
    engine->SetProjection();
    const float direction[3] = {target[0] - eye[0], target[1] - eye[1], target[2] - eye[2]};
    float view[16];
    Matrix::LookAt(view, eye, direction, 0.0f);
    engine->SetView(view);
}

void Lights(lib3d::Engine *engine, const float light[3]) {
    engine->SetAmbient(0.3f, 0.3f, 0.35f);
    engine->SetPointLight(0, light[0], light[1], light[2], 1.0f, 0.95f, 0.85f, 0.02f, 1000.0f);
    engine->EnableLight(0);
}

void DrawBall(lib3d::Engine *engine, float angle, bool mirrored) {
    World(engine, -1.2f, 1.1f, 0.5f, angle, mirrored);
    engine->SetState(lib3d::Lighting::On);
    engine->SetState(lib3d::Stage0::TextureTimesColour);
    engine->BindTexture(g_res->marble);
    g_res->ball.Draw(engine);
}

// The shiny ball: sphere-mapped by its normal through the script effect.
void DrawScriptBall(lib3d::Engine *engine, float angle, bool mirrored) {
    World(engine, 1.4f, 0.9f, 0.2f, -angle * 0.8f, mirrored);
    lib3d::Shader &s = *g_res->shader;
    s.SetWorld("WORLD");
    s.SetViewProj("VIEWPROJ");
    s.SetTexture("tex", g_res->sky);
    s.Draw(*g_res->shiny.vertices, *g_res->shiny.indices, 0, g_res->shiny.triangles);
}

// The ball's volume counted in the stencil buffer, then the pixels inside it
// darkened.
void DrawShadow(lib3d::Engine *engine, float angle, const float light[3]) {
    World(engine, -1.2f, 1.1f, 0.5f, angle, false);
    lib3d::DrawShadowVolume(*engine, g_res->ball.Range(), light, 30.0f);
    engine->SetState(lib3d::Depth::Off);
    engine->SetState(lib3d::Stage0::NoTexture);
    engine->SetState(lib3d::Target::StencilTested);
    engine->SetState(lib3d::StencilTest::NotEqualZero);  // where the count is not zero
    engine->SetState(lib3d::Blending::Multiply);   // multiply what is there
    engine->DrawQuad2D(0, 0, static_cast<float>(engine->width), static_cast<float>(engine->height),
                       0, 0, 1, 1, 0.45f, 0.45f, 0.5f);
    engine->SetState(lib3d::Blending::Off);
    engine->SetState(lib3d::Target::ColourAndDepth);
    engine->SetState(lib3d::Depth::On);
}

}  // namespace

bool PrepareEffects(lib3d::Engine *engine) {
    g_res = new Resources();
    engine->SetState(lib3d::TextureCreation::Wrap);
    engine->SetState(lib3d::TextureCreation::MipmapOn);
    g_res->checker = Picture(engine, 0);
    engine->SetState(lib3d::TextureCreation::MipmapOff);
    g_res->marble = Picture(engine, 1);
    g_res->sky = Picture(engine, 2);
    if (g_res->checker < 0 || g_res->marble < 0 || g_res->sky < 0) return false;
    g_res->floor = Floor(engine, 4.0f, 0xB0FFFFFFu);
    g_res->ball = Ball(engine, 0.8f);
    g_res->shiny = Ball(engine, 0.7f);
    g_res->panel = Panel(engine, 1.2f, 0.9f);
    g_res->shader.reset(new lib3d::Shader(engine));
    if (g_res->shader->Load(kLogoEnvironmentScript)) return false;
    engine->SetState(lib3d::RenderTargets::On);  // one render target
    return engine->RenderTargetAt(0) != nullptr;
}

bool DrawEffectsFrame(lib3d::Engine *engine, int frame) {
    if (!engine->BeginFrame()) return false;
    const float angle = frame * 3.0f;
    const float light[3] = {-3.0f, 5.0f, -1.5f};

    // 1. Into the render target: the ball and the cube seen from above, on
    //    a dark blue ground, shown later on the panel.
    engine->SetState(lib3d::CategoryTarget, lib3d::RenderTargetTexture(0));
    engine->ClearFrame();
    engine->SetState(lib3d::Depth::Off);
    engine->SetState(lib3d::Stage0::NoTexture);
    engine->DrawQuad2D(0, 0, engine->width / 2.0f, engine->height / 2.0f, 0, 0, 1, 1, 0.1f, 0.15f,
                       0.35f);
    {
        const float eye[3] = {0.0f, 6.0f, -2.0f}, target[3] = {0.0f, 0.8f, 0.4f};
        Camera(engine, eye, target);
        Lights(engine, light);
        engine->SetState(lib3d::Depth::On);
        engine->SetState(lib3d::Culling::CounterClockwise);
        DrawBall(engine, angle, false);
        DrawScriptBall(engine, angle, false);
    }
    engine->SetState(lib3d::Target::BackBuffer);

    // 2. The room.
    engine->ClearFrame();
    const float eye[3] = {0.0f, 2.6f, -6.0f}, target[3] = {0.0f, 0.6f, 0.5f};
    Camera(engine, eye, target);
    Lights(engine, light);
    float identity[16];
    Matrix::Identity(identity);

    // Reflection: the objects mirrored below the floor, their winding
    // mirrored too, then the floor laid over them half transparent.
    engine->SetState(lib3d::Depth::On);
    engine->SetState(lib3d::Culling::Clockwise);
    DrawBall(engine, angle, true);
    DrawScriptBall(engine, angle, true);
    engine->SetState(lib3d::Culling::None);
    engine->SetWorld(identity);
    engine->SetState(lib3d::Lighting::On);
    engine->SetState(lib3d::Stage0::TextureTimesColour);
    engine->SetState(lib3d::Blending::Alpha);
    engine->BindTexture(g_res->checker);
    g_res->floor.Draw(engine);
    engine->SetState(lib3d::Blending::Off);
    engine->SetState(lib3d::Culling::CounterClockwise);

    // The panel with the render target's picture, standing at the back.
    float m[16];
    Matrix::Identity(m);
    Matrix::Translate(m, 0.0f, 1.5f, 3.2f);
    engine->SetWorld(m);
    engine->SetState(lib3d::Lighting::Off);
    engine->SetState(lib3d::Culling::None);
    engine->SetState(lib3d::Stage0::TextureTimesColour);
    engine->BindTexture(-1);
    g_res->panel.Draw(engine);
    engine->SetState(lib3d::Culling::CounterClockwise);

    // Shadow, counted against the floor and the panel before the objects are
    // drawn: a volume made from smooth normals would otherwise speckle them
    // near the edge of their lit side. Without a stencil buffer the stencil
    // test passes everywhere, so no shadow is drawn rather than a darkened
    // screen.
    if (engine->depthHasStencil) DrawShadow(engine, angle, light);

    // The objects themselves.
    DrawBall(engine, angle, false);
    DrawScriptBall(engine, angle, false);

    engine->EndFrame();
    engine->PresentFrame();
    return true;
}

void ReleaseEffects(lib3d::Engine *engine) {
    engine->SetState(lib3d::RenderTargets::Off);
    delete g_res;
    g_res = nullptr;
}

}  // namespace demo
