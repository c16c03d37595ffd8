#include "DemoScene.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "lib3d/Matrix.h"

namespace demo {
namespace {

using lib3d::Matrix;

struct CubeVertex {
    float x, y, z;
    float nx, ny, nz;
    float u0, v0, u1, v1;
};
const uint32_t kCubeFormat = device::FvfXyz | device::FvfNormal | device::FvfTex2;

struct FloorVertex {
    float x, y, z;
    float nx, ny, nz;
    uint32_t colour;
    float u, v;
};
const uint32_t kFloorFormat =
    device::FvfXyz | device::FvfNormal | device::FvfDiffuse | device::FvfTex1;

struct Resources {
    int checker = -1, stripes = -1, glass = -1, pointer = -1;
    std::unique_ptr<device::VertexBuffer> cube, floor;
    std::unique_ptr<device::IndexBuffer> cubeIndices, floorIndices;
};

Resources g_resources;

std::vector<uint8_t> Picture(int side, uint32_t (*colour)(int x, int y, int side)) {
    std::vector<uint8_t> pixels(static_cast<size_t>(side) * side * 4);
    for (int y = 0; y < side; y++) {
        for (int x = 0; x < side; x++) {
            const uint32_t c = colour(x, y, side);
            uint8_t *p = &pixels[(static_cast<size_t>(y) * side + x) * 4];
            p[0] = static_cast<uint8_t>(c >> 24);
            p[1] = static_cast<uint8_t>(c >> 16);
            p[2] = static_cast<uint8_t>(c >> 8);
            p[3] = static_cast<uint8_t>(c);
        }
    }
    return pixels;
}

uint32_t Checker(int x, int y, int) {
    return ((x / 8 + y / 8) & 1) ? 0xF0F0E8FFu : 0xC03020FFu;
}

uint32_t Stripes(int x, int, int) {
    return (x / 4) & 1 ? 0x2040A0FFu : 0x000000FFu;
}

uint32_t Glass(int x, int y, int side) {
    // A blue disc fading to transparent towards its rim.
    const float cx = x - side / 2.0f + 0.5f, cy = y - side / 2.0f + 0.5f;
    const float r = std::sqrt(cx * cx + cy * cy) / (side / 2.0f);
    const int alpha = r >= 1.0f ? 0 : static_cast<int>(255 * (1.0f - r * r));
    return 0x60B0FF00u | static_cast<uint32_t>(alpha);
}

uint32_t Arrow(int x, int y, int) {
    // A white arrow with a black rim, pointing up and left.
    if (x > y || y > 13 || x + y > 20) return 0;
    const bool rim = x == 0 || x == y || y == 13 || x + y == 20;
    return rim ? 0x000000FFu : 0xFFFFFFFFu;
}

void BuildCube(Resources *r, lib3d::Engine *engine) {
    r->cube = engine->CreateVertexBuffer(24, kCubeFormat, false);
    r->cubeIndices = engine->CreateIndexBuffer(36, false);
    CubeVertex *v = reinterpret_cast<CubeVertex *>(r->cube->Lock());
    uint16_t *index = r->cubeIndices->Lock();
    // Each face: normal n and axes a, b with a x b = n. Seen from outside, the
    // triangles run clockwise, the front-face winding of the engine.
    const float faces[6][9] = {
        {1, 0, 0, 0, 1, 0, 0, 0, 1},  {-1, 0, 0, 0, 0, 1, 0, 1, 0}, {0, 1, 0, 0, 0, 1, 1, 0, 0},
        {0, -1, 0, 1, 0, 0, 0, 0, 1}, {0, 0, 1, 1, 0, 0, 0, 1, 0},  {0, 0, -1, 0, 1, 0, 1, 0, 0},
    };
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int f = 0; f < 6; f++) {
        const float *n = faces[f], *a = faces[f] + 3, *b = faces[f] + 6;
        for (int c = 0; c < 4; c++) {
            CubeVertex &out = v[f * 4 + c];
            const float s = corners[c][0], t = corners[c][1];
            out.x = 0.5f * (n[0] + s * a[0] + t * b[0]);
            out.y = 0.5f * (n[1] + s * a[1] + t * b[1]);
            out.z = 0.5f * (n[2] + s * a[2] + t * b[2]);
            out.nx = n[0];
            out.ny = n[1];
            out.nz = n[2];
            out.u0 = (s + 1) * 0.5f;
            out.v0 = (t + 1) * 0.5f;
            out.u1 = (s + 1) * 1.5f;
            out.v1 = (t + 1) * 0.25f;
        }
        const uint16_t base = static_cast<uint16_t>(f * 4);
        const uint16_t order[6] = {0, 2, 1, 0, 3, 2};
        for (int i = 0; i < 6; i++) index[f * 6 + i] = static_cast<uint16_t>(base + order[i]);
    }
}

void BuildFloor(Resources *r, lib3d::Engine *engine) {
    r->floor = engine->CreateVertexBuffer(4, kFloorFormat, false);
    r->floorIndices = engine->CreateIndexBuffer(6, false);
    FloorVertex *v = reinterpret_cast<FloorVertex *>(r->floor->Lock());
    const float corners[4][2] = {{5, -3}, {-5, -3}, {-5, 5}, {5, 5}};
    const uint32_t colours[4] = {0xFF80FF80u, 0xFFFFFF80u, 0xFF80C0FFu, 0xFFFFFFFFu};
    for (int i = 0; i < 4; i++) {
        // The world's up is +y: the floor lies below the cubes at y = -1,
        // facing up.
        v[i] = FloorVertex{
            corners[i][0],       -1.0f, corners[i][1], 0, 1, 0, colours[i], corners[i][0] * 0.5f,
            corners[i][1] * 0.5f};
    }
    const uint16_t order[6] = {0, 2, 1, 0, 3, 2};  // clockwise seen from above
    std::memcpy(r->floorIndices->Lock(), order, sizeof(order));
}

void DrawCube(lib3d::Engine *engine, float x, float y, float z, float angle) {
    float m[16];
    Matrix::Identity(m);
    Matrix::Rotate(m, angle * 0.7f, angle, angle * 0.3f);
    Matrix::Translate(m, x, y, z);
    engine->SetWorld(m);
    engine->DrawIndexed(*g_resources.cube, *g_resources.cubeIndices, 0, 12);
}

}  // namespace

bool Prepare(lib3d::Engine *engine) {
    Resources &r = g_resources;
    engine->SetState(lib3d::TextureCreation::MipmapOn);  // mip-mapped
    engine->SetState(lib3d::TextureCreation::DitherOn);  // dithered
    r.checker = engine->CreateTexture(64, Picture(64, Checker).data(), 64, false);
    engine->SetState(lib3d::TextureCreation::DitherOff);
    r.stripes = engine->CreateTexture(32, Picture(32, Stripes).data(), 32, false);
    engine->SetState(lib3d::TextureCreation::MipmapOff);
    engine->SetState(lib3d::TextureCreation::Clamp);  // clamped
    r.glass = engine->CreateTexture(64, Picture(64, Glass).data(), 64, true);
    r.pointer = engine->CreateTexture(16, Picture(16, Arrow).data(), 16, true);
    engine->SetState(lib3d::TextureCreation::Wrap);
    engine->pointerTexture = r.pointer;
    if (r.checker < 0 || r.stripes < 0 || r.glass < 0 || r.pointer < 0) return false;
    BuildCube(&r, engine);
    BuildFloor(&r, engine);
    return true;
}

bool DrawFrame(lib3d::Engine *engine, int frame) {
    if (!engine->BeginFrame()) return false;
    engine->ClearFrame();
    engine->SetProjection();
    const float eye[3] = {0.0f, 3.2f, -6.5f};
    const float direction[3] = {0.0f, -3.2f, 6.5f};
    float view[16];
    Matrix::LookAt(view, eye, direction, 0.0f);
    engine->SetView(view);
    engine->SetAmbient(0.25f, 0.25f, 0.3f);
    engine->SetPointLight(0, 2.5f, 3.5f, -3.0f, 1.0f, 0.95f, 0.85f, 0.05f, 1000.0f);
    engine->EnableLight(0);
    engine->SetDirectionalLight(1, -0.4f, -1.0f, 0.6f, 0.35f, 0.35f, 0.45f);
    engine->EnableLight(1);

    const float angle = frame * 3.0f;
    // Lit floor, vertex colours modulating a wrapped, mip-mapped checker.
    float identity[16];
    Matrix::Identity(identity);
    engine->SetWorld(identity);
    engine->SetState(lib3d::Depth::On);
    engine->SetState(lib3d::Culling::CounterClockwise);
    engine->SetState(lib3d::Lighting::On);
    engine->SetState(lib3d::Stage0::TextureTimesColour);
    engine->BindTexture(g_resources.checker);
    engine->DrawIndexed(*g_resources.floor, *g_resources.floorIndices, 0, 2);

    // Left: lit, textured, back faces culled.
    DrawCube(engine, 2.0f, 0.0f, 0.0f, angle);

    // Centre: two stages (checker, then stripes added), with specular.
    engine->SetState(lib3d::Specular::On);
    engine->SetState(lib3d::Lighting::On);
    engine->BindTexture1(g_resources.stripes);
    engine->SetState(lib3d::Stage1::TextureAndCurrent);
    engine->SetState(lib3d::Stage1::ColourAdd);
    DrawCube(engine, 0.0f, 0.0f, 0.0f, -angle);
    engine->SetState(lib3d::Stage1::Off);
    engine->SetState(lib3d::Specular::Off);
    engine->SetState(lib3d::Lighting::On);

    // Right: unlit, additive blending, no depth writes.
    engine->SetState(lib3d::Lighting::Off);
    engine->SetState(lib3d::Blending::Additive);
    engine->SetState(lib3d::Depth::WriteOff);
    DrawCube(engine, -2.0f, 0.0f, 0.0f, angle * 1.5f);
    engine->SetState(lib3d::Depth::On);

    // Front: a translucent disc texture, alpha blended, both sides drawn.
    engine->SetState(lib3d::Blending::Alpha);
    engine->SetState(lib3d::Culling::None);
    engine->BindTexture(g_resources.glass);
    DrawCube(engine, 0.0f, 0.3f, -2.2f, angle * 0.5f);
    engine->SetState(lib3d::Blending::Off);
    engine->SetState(lib3d::Culling::CounterClockwise);

    // Screen quads: a texture swatch, colour bars and a darkening band.
    engine->SetState(lib3d::Depth::Off);
    engine->SetState(lib3d::Lighting::Off);
    engine->SetState(lib3d::Stage0::TextureTimesColour);
    engine->BindTexture(g_resources.checker);
    engine->DrawQuad2D(10, 10, 96, 96, 0, 0, 2, 2, 1, 1, 1);
    engine->SetState(lib3d::Stage0::NoTexture);
    const float bars[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 1}};
    for (int i = 0; i < 4; i++) {
        engine->DrawQuad2D(116.0f + i * 24, 10, 20, 96, 0, 0, 1, 1, bars[i][0], bars[i][1],
                           bars[i][2]);
    }
    engine->SetState(lib3d::Blending::Multiply);
    engine->DrawQuad2D(0, engine->height - 60.0f, static_cast<float>(engine->width), 30, 0, 0, 1, 1,
                       0.5f, 0.5f, 0.7f);
    engine->SetState(lib3d::Blending::Off);
    engine->SetState(lib3d::Stage0::TextureTimesColour);
    engine->DrawPointer(engine->width / 2 + 40, engine->height / 2 + 40);
    engine->SetState(lib3d::Depth::On);
    engine->EndFrame();
    engine->PresentFrame();
    return true;
}

void Release(lib3d::Engine *engine) {
    Resources &r = g_resources;
    r.cube.reset();
    r.floor.reset();
    r.cubeIndices.reset();
    r.floorIndices.reset();
    engine->ReleaseTexture(r.checker);
    engine->ReleaseTexture(r.stripes);
    engine->ReleaseTexture(r.glass);
    engine->ReleaseTexture(r.pointer);
    r = Resources();
}

}  // namespace demo
