// Draws a small menu of every widget kind through the engine, drives it with
// scripted input (hover, press, a switch toggled, an option wrapped round,
// typing into a text field) and writes the last frame as a PNG.
//   guidemo OUTPUT.png [--font FILE] [--size WxH]
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "DemoMenu.h"
#include "gui/EngineRenderer.h"
#include "gui/GuiManager.h"
#include "image/Image.h"
#include "image/Png.h"
#include "lib3d/Engine.h"
#include "platform/Input.h"

namespace {

using namespace gui;

constexpr int kFrames = 150;

// Where a widget shows on screen, for pointing at it.
void Point(GuiManager *g, const char *name, int *x, int *y) {
    GuiObject *o = g->findObject(name);
    float *w = o ? o->worldMatrix() : nullptr;
    if (!w) {
        *x = *y = 0;
        return;
    }
    demo::ScreenOf(g, w + 12, x, y);
}

void Click(platform::ScriptedInput *in, int x, int y) {
    platform::InputEvent e;
    e.type = platform::EventMouseMotion;
    e.x = x;
    e.y = y;
    in->Push(e);
    e.type = platform::EventButtonDown;
    e.button = platform::ButtonLeft;
    in->Push(e);
    e.type = platform::EventButtonUp;
    in->Push(e);
}

void Move(platform::ScriptedInput *in, int x, int y) {
    platform::InputEvent e;
    e.type = platform::EventMouseMotion;
    e.x = x;
    e.y = y;
    in->Push(e);
}

void Type(platform::ScriptedInput *in, int key, uint16_t unicode) {
    platform::InputEvent e;
    e.type = platform::EventKeyDown;
    e.key = key;
    e.unicode = unicode;
    in->Push(e);
    e.type = platform::EventKeyUp;
    e.unicode = 0;
    in->Push(e);
}

// The input of one frame of the script.
void Script(GuiManager *g, platform::ScriptedInput *in, int frame, int *px, int *py) {
    int x, y;
    switch (frame) {
    case 50:  // hover over Quit (it tips forward), then over Play
        Point(g, "QUIT", &x, &y);
        Move(in, x, y);
        break;
    case 60:
        Point(g, "SOUND", &x, &y);
        Click(in, x, y);  // the switch latches
        break;
    case 66:
    case 70:
    case 74:
    case 78:  // four presses: English, Francais, Deutsch, English (wrapped), Francais
        Point(g, "LANG", &x, &y);
        Click(in, x, y);
        break;
    case 84:
        Point(g, "NAME", &x, &y);
        Click(in, x, y);
        for (int i = 0; i < 6; i++) Type(in, platform::KeyBackspace, 8);
        for (const char *p = "Domino Ace!"; *p; ++p) Type(in, *p, (uint16_t)*p);
        Type(in, platform::KeyReturn, 13);  // kept
        break;
    case 96:  // edit again, type, and leave with escape: the edit is dropped
        Point(g, "NAME", &x, &y);
        Click(in, x, y);
        for (const char *p = "zz"; *p; ++p) Type(in, *p, (uint16_t)*p);
        Type(in, platform::KeyEscape, 27);
        break;
    case 104:  // focus it once more and leave it focused
        Point(g, "NAME", &x, &y);
        Click(in, x, y);
        break;
    case 110:
        Point(g, "PLAY", &x, &y);
        Click(in, x, y);  // a press, stored
        Move(in, x + 20, y + 6);
        break;
    default: return;
    }
    (void)px;
    (void)py;
}

const char *StateName(const GuiObject *o) {
    static const char *names[] = {"NORMAL", "OVER", "PRESS", "PRESSED/FOCUS"};
    return o->state < 4 ? names[o->state] : "?";
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: guidemo OUTPUT.png [--font FILE] [--size WxH]\n");
        return 2;
    }
    const char *output = argv[1];
    const char *font = "data/gfx/font/vagron.ttf";
    int width = 800, height = 600;
    for (int i = 2; i < argc; i++) {
        if (std::strcmp(argv[i], "--font") == 0 && i + 1 < argc) {
            font = argv[++i];
        } else if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc &&
                   std::sscanf(argv[i + 1], "%dx%d", &width, &height) == 2) {
            i++;
        } else {
            std::fprintf(stderr, "guidemo: unknown argument %s\n", argv[i]);
            return 2;
        }
    }
    int attempts = 0;
    while (SDL_Init(SDL_INIT_VIDEO) != 0) {
        if (++attempts == 30) {
            std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
            return 1;
        }
        SDL_Delay(100);
    }
    SDL_WM_SetCaption("Marbrix 3D GUI demo", NULL);
    int status = 1;
    {
        lib3d::Engine engine;
        engine.fullscreen = false;
        if (!engine.Open(width, height, 0)) {
            std::fprintf(stderr, "guidemo: cannot open the display %dx%d\n", width, height);
        } else {
            EngineRenderer renderer(&engine);
            GuiManager g;
            g.setEngine(&renderer);
            if (demo::BuildMenu(&g, font)) {
                platform::ScriptedInput input;
                int px = -1, py = -1;
                for (int frame = 0; frame < kFrames; frame++) {
                    Script(&g, &input, frame, &px, &py);
                    platform::InputEvent e;
                    while (input.PollEvent(&e)) {
                        if (e.type == platform::EventMouseMotion) {
                            px = e.x;
                            py = e.y;
                        }
                        g.feed(e);
                    }
                    g.update(0.02f);
                    for (GuiStoredEvent s = g.popStoredEvent(); s.kind != -1;
                         s = g.popStoredEvent()) {
                        std::printf("frame %3d: stored %.*s kind %d param %u\n", frame, 64,
                                    s.name, s.kind, s.param);
                    }
                    if (!engine.BeginFrame()) continue;
                    engine.ClearFrame();
                    g.render();
                    if (px >= 0) {
                        // The pointer, as a small white square.
                        engine.SetState(lib3d::Depth::Off);
                        engine.SetState(lib3d::Lighting::Off);
                        engine.SetState(lib3d::Blending::Off);
                        engine.SetState(lib3d::Stage0::NoTexture);
                        engine.DrawQuad2D((float)px - 3, (float)py - 3, 7, 7, 0, 0, 1, 1, 1, 1, 1);
                        engine.SetState(lib3d::Depth::On);
                    }
                    engine.EndFrame();
                    if (frame + 1 < kFrames) engine.PresentFrame();
                }
                for (const char *n : {"PLAY", "QUIT", "SOUND", "LANG", "NAME"}) {
                    GuiObject *o = g.findObject(n);
                    char text[65];
                    int i = 0;
                    for (; i < 64 && o->text[i]; i++) text[i] = (char)o->text[i];
                    text[i] = 0;
                    std::printf("%-6s %-14s text \"%s\"\n", n, StateName(o), text);
                }
                std::vector<uint8_t> pixels;
                int pitch = 0;
                Image image;
                if (engine.GetDevice()->ReadBackBuffer(&pixels, &pitch)) {
                    lib3d::BackBufferToImage(pixels, pitch, engine.width, engine.height,
                                             engine.backBufferFormat, &image);
                    if (WritePng(output, image, 1)) {
                        std::printf("%s: %dx%d\n", output, engine.width, engine.height);
                        status = 0;
                    }
                }
            }
            g.clear();
        }
    }
    SDL_Quit();
    return status;
}
