#include "DemoMenu.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "gui/GuiFont.h"
#include "gui/GuiMesh.h"
#include "lib3d/Matrix.h"

namespace demo {

using namespace gui;

namespace {

constexpr int kSide = 64;

// A framed, shaded tile: `fill` at the top fading to 60 % at the bottom,
// a light frame, and corners cut so the frame reads as a button.
int MakeTile(GuiRenderer *r, const float fill[3], const float frame[3]) {
    std::vector<uint8_t> px(kSide * kSide * 4);
    for (int y = 0; y < kSide; y++) {
        for (int x = 0; x < kSide; x++) {
            uint8_t *p = &px[(y * kSide + x) * 4];
            const bool edge = x < 3 || y < 3 || x >= kSide - 3 || y >= kSide - 3;
            const bool corner = (x < 4 || x >= kSide - 4) && (y < 4 || y >= kSide - 4);
            const float shade = 1.0f - 0.4f * y / (kSide - 1);
            for (int c = 0; c < 3; c++) {
                const float v = edge ? frame[c] : fill[c] * shade;
                p[c] = (uint8_t)(v * 255.0f + 0.5f);
            }
            p[3] = corner ? 0 : 255;
        }
    }
    r->SetState(lib3d::TextureCreation::Clamp);
    const int t = r->CreateTexture(kSide, px.data(), kSide, true);
    r->SetState(lib3d::TextureCreation::Wrap);
    return t;
}

// Diagonal stripes for the logo plate, and a dark vignette for the backdrop.
int MakeStripes(GuiRenderer *r) {
    std::vector<uint8_t> px(kSide * kSide * 4);
    for (int y = 0; y < kSide; y++) {
        for (int x = 0; x < kSide; x++) {
            uint8_t *p = &px[(y * kSide + x) * 4];
            const bool stripe = ((x + y) / 8) % 2 == 0;
            p[0] = stripe ? 150 : 90;
            p[1] = stripe ? 30 : 20;
            p[2] = stripe ? 40 : 30;
            p[3] = 255;
        }
    }
    return r->CreateTexture(kSide, px.data(), kSide, true);
}

int MakeBackdrop(GuiRenderer *r) {
    std::vector<uint8_t> px(kSide * kSide * 4);
    for (int y = 0; y < kSide; y++) {
        for (int x = 0; x < kSide; x++) {
            uint8_t *p = &px[(y * kSide + x) * 4];
            const float dx = (x - 31.5f) / 32, dy = (y - 31.5f) / 32;
            const float v = 1.0f - 0.6f * (dx * dx + dy * dy);
            p[0] = (uint8_t)(30 * v);
            p[1] = (uint8_t)(70 * v);
            p[2] = (uint8_t)(60 * v);
            p[3] = 255;
        }
    }
    return r->CreateTexture(kSide, px.data(), kSide, true);
}

std::vector<uint16_t> Wide(const char *s) {
    std::vector<uint16_t> out;
    for (; *s; ++s) out.push_back((uint8_t)*s);
    out.push_back(0);
    return out;
}

GuiMesh g_box, g_wide, g_plate, g_backdrop;

template <typename W>
W *Add(GuiManager *gui, const char *name, GuiMesh *mesh, float x, float y, const char *caption,
       const char *father, uint32_t font = 0) {
    W *w = new W();
    w->font = font;
    w->setName(name);
    w->mesh = mesh;
    w->channels[TRANSLATION_X] = x;
    w->channels[TRANSLATION_Y] = y;
    if (caption) GuiCopyText(w->text, Wide(caption).data());
    gui->addObject(w, father);
    return w;
}

void Textures(GuiWidget *w, const int *ids, int count) {
    for (int s = 0; s < count; s++) w->setStateTexture(ids[s], (uint32_t)s);
}

GuiTrack Track(uint32_t id) {
    GuiTrack t;
    t.objectId = id;
    return t;
}

}  // namespace

void ScreenOf(GuiManager *gui, const float world[3], int *x, int *y) {
    GuiCamera *c = gui->pickingCamera();
    *x = *y = 0;
    if (!c) return;
    float p[16], v[16], m[16];
    c->projectionMatrix(p);
    c->viewMatrix(v);
    lib3d::Matrix::Multiply(v, p, m);
    float out[4];
    for (int i = 0; i < 4; i++)
        out[i] = world[0] * m[i] + world[1] * m[4 + i] + world[2] * m[8 + i] + m[12 + i];
    int w = 800, h = 600;
    gui->engine()->ScreenSize(&w, &h);
    *x = (int)((out[0] / out[3] + 1) * 0.5f * w);
    *y = (int)((1 - out[1] / out[3]) * 0.5f * h);
}

bool BuildMenu(GuiManager *gui, const char *fontPath) {
    GuiRenderer *r = gui->engine();
    GuiMesh::makeBox(&g_box, 180, 44, 10);
    GuiMesh::makeBox(&g_wide, 400, 44, 10);
    GuiMesh::makePanel(&g_plate, 300, 70);
    GuiMesh::makePanel(&g_backdrop, 760, 560);

    const float normal[3] = {0.25f, 0.35f, 0.6f}, over[3] = {0.35f, 0.55f, 0.95f};
    const float press[3] = {0.95f, 0.55f, 0.15f}, latched[3] = {0.2f, 0.7f, 0.3f};
    const float focus[3] = {0.85f, 0.75f, 0.2f}, frame[3] = {0.9f, 0.9f, 0.95f};
    const int states[5] = {MakeTile(r, normal, frame), MakeTile(r, over, frame),
                           MakeTile(r, press, frame), MakeTile(r, latched, frame),
                           MakeTile(r, focus, frame)};
    const int stripes = MakeStripes(r), backdrop = MakeBackdrop(r);
    for (int t : states)
        if (t < 0) return false;
    if (stripes < 0 || backdrop < 0) return false;

    // Font 0: white on the widgets with a dark shadow; font 1: gold, bigger, for the logo.
    const float plain[12] = {1, 1, 1, 1, 1, 1, 0.05f, 0.05f, 0.1f, 2, 2, 1};
    const float gold[12] = {1, 1, 1, 1, 0.85f, 0.3f, 0.1f, 0, 0, 3, 3, 1};
    gui->loadFont(fontPath, 26, plain, 0);
    gui->loadFont(fontPath, 40, gold, 1);
    if (!gui->font(0)->isOpen()) {
        std::fprintf(stderr, "guidemo: cannot open the font %s\n", fontPath);
        return false;
    }

    // The first object is the picking camera.
    auto *camera = new GuiCamera();
    camera->setName("CAMERA");
    camera->fov = 60;
    camera->nearPlane = 1;
    camera->farPlane = 2000;
    camera->channels[TRANSLATION_Z] = 520;
    gui->addObject(camera, "");
    auto *light = new GuiLight();
    light->setName("LIGHT");
    light->channels[TRANSLATION_X] = -200;
    light->channels[TRANSLATION_Y] = 250;
    light->channels[TRANSLATION_Z] = 500;
    light->range = 5000;
    gui->addObject(light, "");

    auto *back = Add<GuiGraphic>(gui, "BACKDROP", &g_backdrop, 0, 0, nullptr, "");
    back->channels[TRANSLATION_Z] = -60;
    back->setStateTexture(backdrop, 0);
    auto *logo = Add<GuiGraphic>(gui, "LOGO", &g_plate, 0, 185, "Marbrix 3D", "", 1);
    logo->setStateTexture(stripes, 0);

    auto *menu = new GuiNull();
    menu->setName("MENU");
    gui->addObject(menu, "");
    auto *play = Add<GuiButton>(gui, "PLAY", &g_box, -110, 85, "Play", "MENU");
    auto *quit = Add<GuiButton>(gui, "QUIT", &g_box, 110, 85, "Quit", "MENU");
    auto *sound = Add<GuiSwitch>(gui, "SOUND", &g_box, -110, 15, "Sound", "MENU");
    auto *lang = Add<GuiOption>(gui, "LANG", &g_box, 110, 15, nullptr, "MENU");
    auto *name = Add<GuiText>(gui, "NAME", &g_wide, 0, -55, nullptr, "MENU");
    auto *note = Add<GuiGraphic>(gui, "NOTE", &g_plate, 0, -150, "Type a name", "MENU");
    note->channels[SCALE_X] = 0.8f;
    note->channels[SCALE_Y] = 0.6f;
    note->channels[COLOR_A] = 0.6f;
    note->setStateTexture(states[0], 0);
    Textures(play, states, 3);
    Textures(quit, states, 3);
    Textures(sound, states, 4);
    Textures(lang, states, 3);
    const int textStates[4] = {states[0], states[1], states[2], states[4]};
    Textures(name, textStates, 4);

    // The option's entries, as the menu text file gives captions.
    for (const char *label : {"English", "Francais", "Deutsch"}) {
        int32_t handle = -1;
        gui->renderText(Wide(label).data(), handle, 0, 0);
        lang->setText(Wide(label).data(), handle);
    }
    name->setMaxChars(12);
    GuiCopyText(name->text, Wide("Player").data());
    int32_t handle = name->value;
    gui->renderText(Wide("Player").data(), handle, 0, 12);
    name->value = handle;
    gui->sortObjects();

    // The menu slides and turns in at the start; the logo pulses for ever.
    GuiAnimation intro;
    std::strcpy(intro.name, "INTRO");
    intro.duration = 0.8f;
    intro.loopMode = 0;
    GuiTrack t = Track(menu->id);
    t.keys[TRANSLATION_X] = {{0, SMOOTH, -500}, {0.8f, SMOOTH, 0}};
    t.keys[ROTATION_Y] = {{0, LINEAR, 70}, {0.8f, LINEAR, -10}};
    t.keys[COLOR_A] = {{0, LINEAR, 0}, {0.5f, LINEAR, 1}};
    intro.tracks.push_back(t);
    const uint32_t introId = gui->addAnimation(intro);
    GuiAnimation pulse;
    std::strcpy(pulse.name, "PULSE");
    pulse.duration = 2.0f;
    pulse.loopMode = 2;
    GuiTrack p = Track(logo->id);
    p.keys[SCALE_X] = {{0, SMOOTH, 1}, {1, SMOOTH, 1.08f}, {2, SMOOTH, 1}};
    p.keys[SCALE_Y] = p.keys[SCALE_X];
    pulse.tracks.push_back(p);
    const uint32_t pulseId = gui->addAnimation(pulse);
    // Hovering over Quit tips it forward.
    GuiAnimation tip;
    std::strcpy(tip.name, "TIP");
    tip.duration = 0.3f;
    GuiTrack q = Track(quit->id);
    q.keys[ROTATION_X] = {{0, LINEAR, 0}, {0.3f, LINEAR, -25}};
    tip.tracks.push_back(q);
    const uint32_t tipId = gui->addAnimation(tip);

    gui->addBinding({0, EVENT_BEGIN, 0}, ACTION_ANIM, introId, 1);
    gui->addBinding({0, EVENT_BEGIN, 0}, ACTION_ANIM, pulseId, 0);
    gui->addBinding({introId, EVENT_ANIM_END, 0}, ACTION_STORE, introId, 0);
    gui->addBinding({quit->id, EVENT_STATE_OVER, 0}, ACTION_ANIM, tipId, 2);
    gui->addBinding({play->id, EVENT_STATE_PRESS, 0}, ACTION_STORE, play->id, 0);
    gui->addBinding({sound->id, EVENT_STATE_PRESSED, 0}, ACTION_STORE, sound->id, 0);
    for (uint32_t pos = 0; pos < 3; pos++)
        gui->addBinding({lang->id, EVENT_CHANGOPT, pos}, ACTION_STORE, lang->id, pos);
    gui->addBinding({name->id, EVENT_STATE_FOCUS, 0}, ACTION_STORE, name->id, 0);
    gui->addBinding({name->id, EVENT_STATE_NORMAL, 0}, ACTION_STORE, name->id, 0);
    return true;
}

}  // namespace demo
