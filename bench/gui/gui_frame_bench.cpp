// The GUI's own cost per frame: a menu of 60 widgets (boxes with a texture
// per state, most with a caption) behind a camera and two lights, with the
// pointer moving over it so that every frame hit-tests, updates and draws.
// Each iteration draws one GUI frame and then the same engine calls replayed
// without the GUI (recorded from a GUI frame), timed apart in thread CPU
// time; the difference is what the GUI adds to the engine's own drawing.
// A second benchmark runs the GUI with a renderer that draws nothing. Needs
// a display (xvfb-run).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <time.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "gui/EngineRenderer.h"
#include "gui/GuiFont.h"
#include "gui/GuiManager.h"
#include "gui/GuiMesh.h"
#include "lib3d/Engine.h"

namespace {

using namespace gui;

constexpr int kWidgets = 60;

double ThreadSeconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

// Forwards to the engine and keeps the mesh and quad calls of one frame.
struct Recording : EngineRenderer {
    using EngineRenderer::EngineRenderer;
    struct Mesh {
        const GuiMesh *mesh;
        float world[16], colour[4];
        int texture;
    };
    struct Quad {
        float world[16], corners[4][3], uv[4][2], colour[4];
        int texture;
    };
    bool recording = false;
    std::vector<Mesh> meshes;
    std::vector<Quad> quads;
    void DrawMesh(const GuiMesh &m, const float w[16], const float c[4], int t) override {
        if (recording) {
            Mesh r{&m, {}, {}, t};
            std::memcpy(r.world, w, sizeof(r.world));
            std::memcpy(r.colour, c, sizeof(r.colour));
            meshes.push_back(r);
        }
        EngineRenderer::DrawMesh(m, w, c, t);
    }
    void DrawQuad3D(const float w[16], const float corners[4][3], const float uv[4][2],
                    const float c[4], int t) override {
        if (recording) {
            Quad q;
            std::memcpy(q.world, w, sizeof(q.world));
            std::memcpy(q.corners, corners, sizeof(q.corners));
            std::memcpy(q.uv, uv, sizeof(q.uv));
            std::memcpy(q.colour, c, sizeof(q.colour));
            q.texture = t;
            quads.push_back(q);
        }
        EngineRenderer::DrawQuad3D(w, corners, uv, c, t);
    }
};

struct Scene {
    lib3d::Engine engine;
    std::unique_ptr<Recording> renderer;
    std::unique_ptr<GuiManager> gui;
    GuiMesh box;
    float projection[16], view[16];
    bool ok = false;
};

Scene *g_scene = nullptr;

std::vector<uint16_t> Wide(const char *s) {
    std::vector<uint16_t> out;
    for (; *s; ++s) out.push_back((uint8_t)*s);
    out.push_back(0);
    return out;
}

Scene *Get() {
    if (g_scene) return g_scene;
    g_scene = new Scene();
    Scene &s = *g_scene;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return g_scene;
    s.engine.fullscreen = false;
    if (!s.engine.Open(800, 600, 0)) return g_scene;
    s.renderer.reset(new Recording(&s.engine));
    s.gui.reset(new GuiManager());
    GuiManager &g = *s.gui;
    g.setEngine(s.renderer.get());
    GuiMesh::makeBox(&s.box, 70, 30, 6);
    std::vector<uint8_t> px(32 * 32 * 4);
    int textures[4];
    for (int t = 0; t < 4; t++) {
        for (size_t i = 0; i < px.size(); i += 4) {
            px[i] = (uint8_t)(60 * t + 40);
            px[i + 1] = 90;
            px[i + 2] = (uint8_t)(200 - 40 * t);
            px[i + 3] = 255;
        }
        textures[t] = s.engine.CreateTexture(32, px.data(), 32, true);
    }
    const float numbers[12] = {1, 1, 1, 1, 1, 1, 0, 0, 0, 1, 1, 1};
    g.loadFont("data/gfx/font/vagron.ttf", 14, numbers, 0);
    auto *camera = new GuiCamera();
    camera->fov = 60;
    camera->nearPlane = 1;
    camera->channels[TRANSLATION_Z] = 600;
    g.addObject(camera, "");
    for (int l = 0; l < 2; l++) {
        auto *light = new GuiLight();
        light->channels[TRANSLATION_X] = l ? 300.0f : -300.0f;
        light->channels[TRANSLATION_Z] = 400;
        g.addObject(light, "");
    }
    auto *menu = new GuiNull();
    menu->setName("MENU");
    g.addObject(menu, "");
    for (int i = 0; i < kWidgets; i++) {
        GuiWidget *w;
        switch (i % 5) {
        case 0: w = new GuiButton(); break;
        case 1: w = new GuiSwitch(); break;
        case 2: w = new GuiOption(); break;
        case 3: w = new GuiText(); break;
        default: w = new GuiGraphic(); break;
        }
        w->mesh = &s.box;
        w->channels[TRANSLATION_X] = -360.0f + 80.0f * (i % 10);
        w->channels[TRANSLATION_Y] = 200.0f - 70.0f * (i / 10);
        w->channels[ROTATION_Y] = 5.0f * (i % 7);
        for (int t = 0; t < 4; t++) w->setStateTexture(textures[t], (uint32_t)t);
        char label[16];
        std::snprintf(label, sizeof(label), "W%02d", i);
        if (i % 5 != 3) GuiCopyText(w->text, Wide(label).data());
        g.addObject(w, "MENU");
        if (i % 5 == 3) {
            w->setText(Wide(label).data(), w->value);
            int32_t h = w->value;
            g.renderText(Wide(label).data(), h, 0, 10);
            w->value = h;
        }
    }
    s.ok = g.objects.size() == (size_t)kWidgets + 4;
    return g_scene;
}

void GuiFrame(Scene &s, int frame) {
    // The pointer sweeps the menu: every widget hit-tests every frame.
    s.gui->mouseMove((frame * 37) % 800, (frame * 23) % 600);
    s.gui->update(0.02f);
    s.engine.BeginFrame();
    s.engine.ClearFrame();
    s.gui->render();
    s.engine.EndFrame();
    glFinish();
}

void ReplayFrame(Scene &s) {
    Recording &r = *s.renderer;
    s.engine.BeginFrame();
    s.engine.ClearFrame();
    r.EngineRenderer::SetViewMatrix(s.view);
    for (const Recording::Mesh &m : r.meshes) r.EngineRenderer::DrawMesh(*m.mesh, m.world, m.colour, m.texture);
    for (const Recording::Quad &q : r.quads)
        r.EngineRenderer::DrawQuad3D(q.world, q.corners, q.uv, q.colour, q.texture);
    s.engine.EndFrame();
    glFinish();
}

void BM_GuiFrame(benchmark::State &state) {
    Scene &s = *Get();
    if (!s.ok) {
        state.SkipWithError("no display or scene");
        return;
    }
    GuiFrame(s, 0);  // prepares the fonts
    s.renderer->meshes.clear();
    s.renderer->quads.clear();
    s.renderer->recording = true;
    GuiFrame(s, 1);
    s.renderer->recording = false;
    std::memcpy(s.view, s.engine.view, sizeof(s.view));
    double gui = 0, replay = 0;
    int frame = 2;
    for (auto _ : state) {
        const double t0 = ThreadSeconds();
        GuiFrame(s, frame++);
        const double t1 = ThreadSeconds();
        ReplayFrame(s);
        const double t2 = ThreadSeconds();
        gui += t1 - t0;
        replay += t2 - t1;
    }
    const double n = double(state.iterations());
    state.counters["gui_frame_ms"] = 1000 * gui / n;
    state.counters["replay_frame_ms"] = 1000 * replay / n;
    state.counters["gui_extra_ms"] = 1000 * (gui - replay) / n;
    state.counters["gui_over_replay"] = gui / replay;
    state.counters["meshes"] = (double)s.renderer->meshes.size();
    state.counters["caption_quads"] = (double)s.renderer->quads.size();
}
BENCHMARK(BM_GuiFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The GUI alone: input, events, animation, transforms, draw order, with a
// renderer that draws nothing.
void BM_GuiLogicOnly(benchmark::State &state) {
    Scene &s = *Get();
    if (!s.ok) {
        state.SkipWithError("no display or scene");
        return;
    }
    GuiRenderer *real = s.gui->engine();
    struct Null : GuiRenderer {
        int CreateTexture(int, const uint8_t *, int, bool) override { return -1; }
        void ReleaseTexture(int) override {}
        void SetState(int, int) override {}
        void BindTexture(int) override {}
        void DrawQuad2D(float, float, float, float, float, float, float, float, float, float,
                        float) override {}
    } null;
    s.gui->setEngine(&null);
    for (auto &f : s.gui->fonts) f->engine = &null;
    int frame = 0;
    for (auto _ : state) {
        s.gui->mouseMove((frame * 37) % 800, (frame * 23) % 600);
        s.gui->update(0.02f);
        s.gui->render();
        frame++;
    }
    s.gui->setEngine(real);
    for (auto &f : s.gui->fonts) f->engine = real;
}
BENCHMARK(BM_GuiLogicOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
