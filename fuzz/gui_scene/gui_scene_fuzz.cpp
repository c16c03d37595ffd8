// A menu built, linked, bound and animated by any sequence of operations,
// then driven by any input: every frame ends (binding cycles included),
// every name and text stays within its buffer, and the tree walks end.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gui/GuiManager.h"
#include "gui/GuiMesh.h"

namespace {

using namespace gui;

struct Reader {
    const uint8_t *data;
    size_t size, at = 0;
    int Byte() { return at < size ? data[at++] : 0; }
    float Number() { return (float)(Byte() - 128) * 4.0f; }
};

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

// Draws nothing; 800 x 600.
struct Null : GuiRenderer {
    int CreateTexture(int, const uint8_t *, int, bool) override { return 1; }
    void ReleaseTexture(int) override {}
    void SetState(int, int) override {}
    void BindTexture(int) override {}
    void DrawQuad2D(float, float, float, float, float, float, float, float, float, float,
                    float) override {}
};

GuiObject *Make(int kind, GuiMesh *mesh) {
    GuiWidget *w = nullptr;
    switch (kind % 8) {
        case 0: {
            auto *c = new GuiCamera();
            c->projectionMode = (uint32_t)(kind / 8 % 2);
            c->nearPlane = (float)(kind % 3);
            c->channels[TRANSLATION_Z] = 200;
            return c;
        }
        case 1:
            return new GuiLight();
        case 2:
            return new GuiNull();
        case 3:
            w = new GuiButton();
            break;
        case 4:
            w = new GuiSwitch();
            break;
        case 5:
            w = new GuiOption();
            break;
        case 6:
            w = new GuiText();
            break;
        default:
            w = new GuiGraphic();
            break;
    }
    w->mesh = mesh;
    return w;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static GuiMesh panel;
    if (panel.vertices.empty()) GuiMesh::makePanel(&panel, 100, 50);
    Reader in{data, size};
    Null null;
    GuiManager m;
    m.setEngine(&null);
    for (int step = 0; step < 256 && in.at < size; ++step) {
        const int op = in.Byte() % 10;
        const uint32_t a = (uint32_t)in.Byte() % 24, b = (uint32_t)in.Byte() % 24;
        switch (op) {
            case 0: {
                GuiObject *o = Make(in.Byte(), &panel);
                char name[80];
                const int n = in.Byte() % 70;
                for (int i = 0; i < n; i++) name[i] = (char)('A' + i % 3);
                name[n] = 0;
                o->setName(name);
                for (int c = 0; c < 3; c++) o->channels[c] = in.Number();
                char father[2] = {(char)('A' + in.Byte() % 3), 0};
                m.addObject(o, in.Byte() % 2 ? father : "");
                break;
            }
            case 1:
                m.link(a, b);
                break;
            case 2: {
                GuiEvent key{a, (uint32_t)in.Byte() % 10, (uint32_t)in.Byte() % 3};
                m.addBinding(key, (uint32_t)in.Byte() % 12, b, (uint32_t)in.Byte() % 5);
                break;
            }
            case 3: {
                GuiAnimation anim;
                anim.duration = (float)(in.Byte() % 8) * 0.25f;
                anim.loopMode = (uint32_t)in.Byte() % 3;
                GuiTrack t;
                t.objectId = a;
                const int channel = in.Byte() % kChannelCount;
                const int keys = in.Byte() % 5;
                for (int k = 0; k < keys; k++)
                    t.keys[channel].push_back(
                        {(float)(in.Byte() % 8) * 0.25f, (uint32_t)in.Byte() % 4, in.Number()});
                anim.tracks.push_back(t);
                m.addAnimation(anim);
                break;
            }
            case 4:
                m.mouseMove(in.Byte() * 4, in.Byte() * 3);
                break;
            case 5:
                m.mouseDown(in.Byte() * 4, in.Byte() * 3, a % 4);
                break;
            case 6:
                m.mouseUp(in.Byte() * 4, in.Byte() * 3, a % 4);
                break;
            case 7:
                m.keyDown((uint32_t)in.Byte() | ((uint32_t)in.Byte() << 8));
                break;
            case 8:
                m.raiseEvent(a, b % 10, 0);
                break;
            default:
                m.update((float)(a % 5) * 0.02f);
                m.render();
                break;
        }
    }
    m.update(0.02f);
    m.render();
    for (auto &o : m.objects) {
        Check(GuiTextLength(o->text) <= kTextSize);
        Check(GuiNameLength(o->name) <= kNameSize);
    }
    Check(m.pendingEvents.size() < 1u << 20);
    return 0;
}
