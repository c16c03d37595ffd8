// One frame of 300 meshes of 500 triangles, each with its own texture, a
// culling change and, for every other mesh, a script effect (a vertex
// program), drawn through the engine; against the same triangles, textures,
// state changes and program drawn by a minimal OpenGL loop. Run once at
// 800 x 600 and once with a 16 x 16 viewport, where the per-draw cost of the
// layers shows. Needs a display (xvfb-run).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "app/LogoScripts.h"
#include "device/Gl.h"
#include "device/ShaderProgram.h"
#include "fx/EffectText.h"
#include "fx/Glsl.h"
#include "lib3d/Engine.h"
#include "lib3d/Matrix.h"
#include "lib3d/Shader.h"
#include "shaderc/ShaderCompiler.h"

namespace {

const int kMeshes = 300, kColumns = 25, kRows = 10;  // 25 x 10 quads = 500 triangles
const int kTextures = 8;
const uint32_t kFormat = device::FvfXyz | device::FvfNormal | device::FvfTex1;

struct Vertex {
    float x, y, z, nx, ny, nz, u, v;
};

struct Scene {
    lib3d::Engine engine;
    std::vector<std::unique_ptr<device::VertexBuffer>> vertices;
    std::vector<std::unique_ptr<device::IndexBuffer>> indices;
    std::vector<std::vector<Vertex>> rawVertices;
    std::vector<uint16_t> rawIndices;
    int slots[kTextures];
    GLuint rawTextures[kTextures];
    std::unique_ptr<lib3d::Shader> shader;
    std::unique_ptr<device::ShaderProgram> rawProgram;
    float world[kMeshes][16];
    bool ok = false;
};

Scene *g_scene = nullptr;

// A wavy grid, so that every mesh has normals that vary.
void MakeMesh(int m, std::vector<Vertex> &v) {
    v.clear();
    for (int r = 0; r <= kRows; r++) {
        for (int c = 0; c <= kColumns; c++) {
            const float x = c / float(kColumns), y = r / float(kRows);
            const float z = 0.05f * std::sin(6 * x + m) * std::cos(4 * y);
            v.push_back({x - 0.5f, y - 0.5f, z, 0.3f * std::cos(6 * x + m), 0.2f, -1, x, y});
        }
    }
}

Scene *Setup() {
    if (g_scene) return g_scene;
    g_scene = new Scene();
    Scene &s = *g_scene;
    // A display server started just before may still be settling.
    for (int attempt = 0; attempt < 30 && SDL_Init(SDL_INIT_VIDEO) != 0; attempt++) SDL_Delay(100);
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        return g_scene;
    }
    s.engine.fullscreen = false;
    if (!s.engine.Open(800, 600, 3)) {
        std::fprintf(stderr, "the engine cannot open 800 x 600\n");
        return g_scene;
    }
    s.engine.focal = 800;
    s.engine.nearPlane = 0.1f;
    s.engine.farPlane = 400;
    for (int r = 0; r < kRows; r++) {
        for (int c = 0; c < kColumns; c++) {
            const uint16_t a = uint16_t(r * (kColumns + 1) + c), b = uint16_t(a + kColumns + 1);
            const uint16_t q[6] = {a, b, uint16_t(a + 1), uint16_t(a + 1), b, uint16_t(b + 1)};
            s.rawIndices.insert(s.rawIndices.end(), q, q + 6);
        }
    }
    s.rawVertices.resize(kMeshes);
    for (int m = 0; m < kMeshes; m++) {
        MakeMesh(m, s.rawVertices[m]);
        const std::vector<Vertex> &v = s.rawVertices[m];
        s.vertices.push_back(s.engine.CreateVertexBuffer(int(v.size()), kFormat, false));
        std::memcpy(s.vertices.back()->Lock(), v.data(), v.size() * sizeof(Vertex));
        s.indices.push_back(s.engine.CreateIndexBuffer(int(s.rawIndices.size()), false));
        std::memcpy(s.indices.back()->Lock(), s.rawIndices.data(), s.rawIndices.size() * 2);
        // 20 x 15 grid filling the view at depth 12.
        lib3d::Matrix::Identity(s.world[m]);
        s.world[m][12] = -9.5f + (m % 20);
        s.world[m][13] = -7.0f + (m / 20);
        s.world[m][14] = 12.0f;
    }
    std::vector<uint8_t> pixels(64 * 64 * 4);
    for (int t = 0; t < kTextures; t++) {
        for (int i = 0; i < 64 * 64; i++) {
            pixels[i * 4 + 0] = uint8_t(t * 30 + (i % 64) * 2);
            pixels[i * 4 + 1] = uint8_t(255 - t * 20);
            pixels[i * 4 + 2] = uint8_t((i / 64) * 4);
            pixels[i * 4 + 3] = 255;
        }
        s.slots[t] = s.engine.CreateTexture(64, pixels.data(), 64, false);
    }
    int pitch = 0;
    glGenTextures(kTextures, s.rawTextures);
    for (int t = 0; t < kTextures; t++) {
        glBindTexture(GL_TEXTURE_2D, s.rawTextures[t]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 64, 64, 0, GL_RGB, GL_UNSIGNED_SHORT_5_6_5,
                     s.engine.Slot(s.slots[t])->texture->LockRect(0, &pitch, true));
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    s.shader.reset(new lib3d::Shader(&s.engine));
    if (const char *failure = s.shader->Load(kLogoEnvironmentScript)) {
        std::fprintf(stderr, "%s\n", failure);
        return g_scene;
    }
    // The raw loop runs the very program the effect runs.
    const fx::PassText &pass = s.shader->effect->Text().techniques[0].passes[0];
    std::string log;
    s.rawProgram = device::ShaderProgram::Create(fx::GlslVertexShader(pass.vertexShader), "", &log);
    s.ok = s.rawProgram != nullptr;
    if (!s.ok) std::fprintf(stderr, "%s\n", log.c_str());
    return g_scene;
}

void Viewport(Scene &s, int size) {
    device::Viewport v{0, 0, size ? size : 800, size ? size : 600, 0, 1};
    s.engine.GetDevice()->SetViewport(v);
}

void EngineFrame(Scene &s, int viewportSize) {
    lib3d::Engine &e = s.engine;
    e.BeginFrame();
    Viewport(s, viewportSize);
    e.ClearFrame();
    e.SetProjection();
    e.SetState(1, 1);
    e.SetState(10, 0);
    e.SetState(5, 1);
    for (int m = 0; m < kMeshes; m++) {
        e.SetWorld(s.world[m]);
        e.BindTexture(s.slots[m % kTextures]);
        e.SetState(4, (m & 2) ? 0 : 5);
        if (m & 1) {
            s.shader->SetWorld("WORLD");
            s.shader->SetViewProj("VIEWPROJ");
            s.shader->SetTexture("tex", s.slots[m % kTextures]);
            s.shader->Draw(*s.vertices[m], *s.indices[m], 0, 500);
        } else {
            e.DrawIndexed(*s.vertices[m], *s.indices[m], 0, 500);
        }
    }
    e.EndFrame();
    glFinish();
}

// What the engine's calls come down to, written directly.
void RawFrame(Scene &s, int viewportSize) {
    const int w = viewportSize ? viewportSize : 800, h = viewportSize ? viewportSize : 600;
    glViewport(0, 600 - h, w, h);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 600 - h, w, h);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    // The engine's projection, made ready for OpenGL.
    float p[16] = {};
    const float ys = 2.0f * 800 / 600, xs = ys / (800.0f / 600), f = 400 / (400 - 0.1f);
    p[0] = xs;
    p[5] = ys;
    p[10] = 2 * f - 1;
    p[11] = 1;
    p[14] = -2 * 0.1f * f;
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(p);
    glMatrixMode(GL_MODELVIEW);
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4f(1, 1, 1, 1);
    glCullFace(GL_FRONT);
    float viewProj[16];
    const float kEngineProj[16] = {xs, 0, 0, 0, 0, ys, 0, 0, 0, 0, f, 1, 0, 0, -0.1f * f, 0};
    std::memcpy(viewProj, kEngineProj, sizeof(viewProj));
    for (int m = 0; m < kMeshes; m++) {
        const Vertex *v = s.rawVertices[m].data();
        glBindTexture(GL_TEXTURE_2D, s.rawTextures[m % kTextures]);
        if (m & 2)
            glDisable(GL_CULL_FACE);
        else
            glEnable(GL_CULL_FACE);
        if (m & 1) {
            float regs[32];
            for (int r = 0; r < 4; r++)
                for (int c = 0; c < 4; c++) {
                    regs[r * 4 + c] = s.world[m][c * 4 + r];
                    regs[16 + r * 4 + c] = viewProj[c * 4 + r];
                }
            s.rawProgram->SetVertexConstants(0, regs, 8);
            s.rawProgram->Use();
            glEnableVertexAttribArray(0);
            glEnableVertexAttribArray(3);
            glEnableVertexAttribArray(7);
            glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), &v->x);
            glVertexAttribPointer(3, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), &v->nx);
            glVertexAttribPointer(7, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), &v->u);
            glDrawElements(GL_TRIANGLES, 1500, GL_UNSIGNED_SHORT, s.rawIndices.data());
            glDisableVertexAttribArray(0);
            glDisableVertexAttribArray(3);
            glDisableVertexAttribArray(7);
        } else {
            device::ShaderProgram::UseNone();
            glLoadMatrixf(s.world[m]);
            glEnableClientState(GL_VERTEX_ARRAY);
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glVertexPointer(3, GL_FLOAT, sizeof(Vertex), &v->x);
            glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &v->u);
            glDrawElements(GL_TRIANGLES, 1500, GL_UNSIGNED_SHORT, s.rawIndices.data());
            glDisableClientState(GL_VERTEX_ARRAY);
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        }
    }
    device::ShaderProgram::UseNone();
    glFinish();
}

// Each iteration draws one raw frame and one engine frame, timed apart, so
// that both meet the same load of a shared machine; the counters give both
// rates and the engine's time over the raw loop's.
void BM_Frame(benchmark::State &state) {
    Scene &s = *Setup();
    if (!s.ok) {
        state.SkipWithError("no display or effect");
        return;
    }
    const int size = int(state.range(0));
    double rawSeconds = 0, engineSeconds = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        RawFrame(s, size);
        auto t1 = std::chrono::steady_clock::now();
        // The raw loop has used the context behind the device's back.
        s.engine.GetDevice()->ForgetGlState();
        EngineFrame(s, size);
        auto t2 = std::chrono::steady_clock::now();
        rawSeconds += std::chrono::duration<double>(t1 - t0).count();
        engineSeconds += std::chrono::duration<double>(t2 - t1).count();
    }
    const double n = double(state.iterations());
    state.counters["raw_fps"] = n / rawSeconds;
    state.counters["engine_fps"] = n / engineSeconds;
    state.counters["engine_over_raw"] = engineSeconds / rawSeconds;
}

// 0: the whole 800 x 600 window; 16: a 16 x 16 viewport.
BENCHMARK(BM_Frame)->Arg(0)->Arg(16)->Unit(benchmark::kMillisecond)->MinTime(4.0)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
