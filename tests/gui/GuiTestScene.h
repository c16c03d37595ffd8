#pragma once
// A GUI scene for tests: a renderer that records what the manager asks of
// the engine, and helpers that build an orthographic picking camera (one
// world unit per window pixel, the window centre at the origin) and panel
// widgets to click on.

#include <string>
#include <vector>

#include "gui/GuiManager.h"
#include "gui/GuiMesh.h"

namespace guitest {

struct DrawnMesh {
    const gui::GuiMesh *mesh;
    float x, y, z;  // world translation
    int texture;
    float colour[4];
};

struct DrawnQuad {
    float corners[4][3];
    float uv[4][2];
    float colour[4];
    int texture;
};

struct SceneRecorder : gui::GuiRenderer {
    std::vector<std::string> calls;
    std::vector<DrawnMesh> meshes;
    std::vector<DrawnQuad> quads;
    bool lighting = true;
    float ambient[3] = {0, 0, 0};
    std::vector<int> lightSlots;  // SetPointLight calls, in order
    std::vector<int> disabled;
    float projection[16] = {}, view[16] = {};
    int projections = 0, views = 0;
    int nextTexture = 1;

    int CreateTexture(int, const uint8_t *, int, bool) override { return nextTexture++; }
    void ReleaseTexture(int) override {}
    void SetState(int category, int value) override {
        calls.push_back(std::to_string(category) + "<-" + std::to_string(value));
    }
    void BindTexture(int) override {}
    void DrawQuad2D(float, float, float, float, float, float, float, float, float, float,
                    float) override {}
    void SetProjectionMatrix(const float m[16]) override {
        for (int i = 0; i < 16; i++) projection[i] = m[i];
        projections++;
    }
    void SetViewMatrix(const float m[16]) override {
        for (int i = 0; i < 16; i++) view[i] = m[i];
        views++;
    }
    void SetLighting(bool on) override { lighting = on; }
    void SetAmbient(float r, float g, float b) override {
        ambient[0] = r;
        ambient[1] = g;
        ambient[2] = b;
    }
    void SetPointLight(int slot, const float[3], const float[3], float, float) override {
        lightSlots.push_back(slot);
    }
    void DisableLight(int slot) override { disabled.push_back(slot); }
    void DrawMesh(const gui::GuiMesh &mesh, const float world[16], const float colour[4],
                  int texture) override {
        DrawnMesh d{&mesh, world[12], world[13], world[14], texture, {}};
        for (int i = 0; i < 4; i++) d.colour[i] = colour[i];
        meshes.push_back(d);
    }
    void DrawQuad3D(const float[16], const float corners[4][3], const float uv[4][2],
                    const float colour[4], int texture) override {
        DrawnQuad q;
        for (int k = 0; k < 4; k++) {
            for (int i = 0; i < 3; i++) q.corners[k][i] = corners[k][i];
            q.uv[k][0] = uv[k][0];
            q.uv[k][1] = uv[k][1];
        }
        for (int i = 0; i < 4; i++) q.colour[i] = colour[i];
        q.texture = texture;
        quads.push_back(q);
    }
    void Reset() {
        meshes.clear();
        quads.clear();
        lightSlots.clear();
        disabled.clear();
        calls.clear();
    }
};

// A 100 x 50 panel shared by the test widgets.
inline gui::GuiMesh *Panel() {
    static gui::GuiMesh mesh;
    if (mesh.vertices.empty()) gui::GuiMesh::makePanel(&mesh, 100, 50);
    return &mesh;
}

// Window pixel of a world point in the test camera (800 x 600 window).
inline int PixelX(float x) { return (int)(x + 400); }
inline int PixelY(float y) { return (int)(300 - y); }

inline gui::GuiCamera *AddCamera(gui::GuiManager &m, const char *name = "CAM") {
    auto *c = new gui::GuiCamera();
    c->setName(name);
    c->projectionMode = 1;
    c->nearPlane = 0;
    c->farPlane = 1000;
    c->channels[gui::TRANSLATION_Z] = 200;
    m.addObject(c, "");
    return c;
}

template <typename W>
W *AddWidget(gui::GuiManager &m, const char *name, float x, float y, const char *father = "") {
    auto *w = new W();
    w->setName(name);
    w->mesh = Panel();
    w->channels[gui::TRANSLATION_X] = x;
    w->channels[gui::TRANSLATION_Y] = y;
    m.addObject(w, father);
    return w;
}

struct Ev {
    uint32_t id, kind, param;
    bool operator==(const Ev &o) const { return id == o.id && kind == o.kind && param == o.param; }
};

// The pending events, oldest first; the queue is emptied.
inline std::vector<Ev> Drain(gui::GuiManager &m) {
    std::vector<Ev> out;
    for (const gui::GuiEvent &e : m.pendingEvents) out.push_back({e.id, e.kind, e.param});
    m.pendingEvents.clear();
    return out;
}

inline std::vector<uint16_t> Wide(const char *ascii) {
    std::vector<uint16_t> out;
    for (const char *p = ascii; *p; ++p) out.push_back((uint8_t)*p);
    out.push_back(0);
    return out;
}

inline std::string Narrow(const uint16_t *text, int n = gui::kTextSize) {
    std::string s;
    for (int i = 0; i < n && text[i]; i++) s += (char)text[i];
    return s;
}

}  // namespace guitest
