// menuview: loads the menu script through the GUI manager, lets the menus
// run for a while in simulated time and writes one frame to a PNG file. For
// looking at the menus in every language and screen size.
//
//   menuview OUT.png [options]     run in the runtime directory (data/ beside it)
//     --lang CODE      menu texts data/textmenu_CODE.txt (default en)
//     --size WxH       window size (default 800x600)
//     --time S         seconds of menu time before the picture (default 1)
//     --show GROUP     show only this menu group, as the program does
//     --hover NAME     put the pointer on this widget before the picture
//     --press NAME     hold the left button down on this widget
//     --click NAME     click this widget first (then let the time run)

#include <SDL.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gui/EngineRenderer.h"
#include "gui/GuiManager.h"
#include "image/Image.h"
#include "lib3d/Engine.h"
#include "lib3d/Matrix.h"

namespace {

struct Options {
    std::string out, lang = "en", show, hover, press, click;
    int width = 800, height = 600;
    float time = 1.0f;
};

const char *const kGroups[] = {"MENUMAIN", "MENUPLAY", "MENUOPTION", "MENUGAMEOPTION",
                               "MENULOAD", "MENUSAVE", "MENUHELP",   "MENUABOUT"};

bool Parse(int argc, char **argv, Options &o) {
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        bool more = i + 1 < argc;
        if (a == "--lang" && more) {
            o.lang = argv[++i];
        } else if (a == "--size" && more) {
            if (sscanf(argv[++i], "%dx%d", &o.width, &o.height) != 2) return false;
        } else if (a == "--time" && more) {
            o.time = (float)atof(argv[++i]);
        } else if (a == "--show" && more) {
            o.show = argv[++i];
        } else if (a == "--hover" && more) {
            o.hover = argv[++i];
        } else if (a == "--press" && more) {
            o.press = argv[++i];
        } else if (a == "--click" && more) {
            o.click = argv[++i];
        } else if (a[0] != '-' && o.out.empty()) {
            o.out = a;
        } else {
            return false;
        }
    }
    return !o.out.empty() && o.width > 0 && o.height > 0 && o.lang.size() < 8;
}

// Where a widget's origin appears in the window, through the picking camera.
bool ScreenPoint(gui::GuiManager &m, const char *name, int w, int h, int *x, int *y) {
    gui::GuiObject *obj = m.findObject(name);
    gui::GuiCamera *camera = m.pickingCamera();
    if (!obj || !camera || !obj->worldMatrix()) return false;
    float view[16], projection[16], both[16], clip[4];
    camera->viewMatrix(view);
    camera->projectionMatrix(projection);
    lib3d::Matrix::Multiply(view, projection, both);
    const float *p = obj->worldMatrix() + 12;
    for (int c = 0; c < 4; c++)
        clip[c] = p[0] * both[c] + p[1] * both[4 + c] + p[2] * both[8 + c] + both[12 + c];
    if (clip[3] <= 0) return false;
    *x = (int)((clip[0] / clip[3] + 1) * 0.5f * w);
    *y = (int)((1 - clip[1] / clip[3]) * 0.5f * h);
    return true;
}

bool SavePicture(lib3d::Engine &engine, const char *path) {
    std::vector<uint8_t> raw;
    int pitch = 0;
    if (!engine.GetDevice() || !engine.GetDevice()->ReadBackBuffer(&raw, &pitch)) return false;
    Image image;
    lib3d::BackBufferToImage(raw, pitch, engine.width, engine.height, engine.backBufferFormat,
                             &image);
    png_image png = {};
    png.version = PNG_IMAGE_VERSION;
    png.width = image.width;
    png.height = image.height;
    png.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&png, path, 0, image.pixels.data(), image.width * 4, nullptr) !=
           0;
}

void Run(gui::GuiManager &m, float seconds) {
    const float step = 0.02f;
    for (float t = 0; t < seconds; t += step) m.update(step);
}

}  // namespace

int main(int argc, char **argv) {
    Options o;
    if (!Parse(argc, argv, o)) {
        fprintf(stderr,
                "usage: menuview OUT.png [--lang CODE] [--size WxH] [--time S] [--show GROUP]\n"
                "                [--hover NAME] [--press NAME] [--click NAME]\n");
        return 2;
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        fprintf(stderr, "menuview: SDL_Init: %s\n", SDL_GetError());
        return 1;
    }
    int status = 1;
    {
        lib3d::Engine engine;
        engine.fullscreen = false;
        if (!engine.Open(o.width, o.height, 3)) {
            fprintf(stderr, "menuview: no display\n");
            SDL_Quit();
            return 1;
        }
        gui::EngineRenderer renderer(&engine);
        gui::GuiManager menus;
        menus.setEngine(&renderer);
        std::string text = "./data/textmenu_" + o.lang + ".txt";
        menus.load("./data/scriptdemo.lub", text.c_str());
        if (!menus.findObject("MENUMAIN")) {
            fprintf(stderr, "menuview: the menu script built no main menu\n");
        } else {
            Run(menus, 0.02f);  // the start events
            if (!o.show.empty()) {
                for (const char *g : kGroups)
                    if (gui::GuiObject *obj = menus.findObject(g)) {
                        obj->flags &= uint8_t(~gui::GUI_VISIBLE);
                        obj->flags |= gui::GUI_ACTIVE;
                    }
                if (gui::GuiObject *obj = menus.findObject(o.show.c_str()))
                    obj->flags |= gui::GUI_VISIBLE;
                else
                    fprintf(stderr, "menuview: no group %s\n", o.show.c_str());
            }
            Run(menus, 0.6f);  // the first menu settles
            int x, y;
            if (!o.click.empty()) {
                if (ScreenPoint(menus, o.click.c_str(), o.width, o.height, &x, &y)) {
                    menus.mouseMove(x, y);
                    menus.mouseDown(x, y, 0);
                    menus.mouseUp(x, y, 0);
                    for (gui::GuiStoredEvent e = menus.popStoredEvent(); e.kind >= 0;
                         e = menus.popStoredEvent())
                        ;
                    Run(menus, 0.02f);
                    for (gui::GuiStoredEvent e = menus.popStoredEvent(); e.kind >= 0;
                         e = menus.popStoredEvent())
                        printf("stored %.64s (kind %d)\n", e.name, e.kind);
                } else {
                    fprintf(stderr, "menuview: cannot place the pointer on %s\n", o.click.c_str());
                }
            }
            Run(menus, o.time);
            const std::string &target = !o.press.empty() ? o.press : o.hover;
            if (!target.empty()) {
                if (ScreenPoint(menus, target.c_str(), o.width, o.height, &x, &y)) {
                    menus.mouseMove(x, y);
                    if (!o.press.empty()) menus.mouseDown(x, y, 0);
                    Run(menus, 0.3f);
                } else {
                    fprintf(stderr, "menuview: cannot place the pointer on %s\n", target.c_str());
                }
            }
            if (engine.BeginFrame()) {
                engine.ClearFrame();
                menus.render();
                engine.EndFrame();
                if (SavePicture(engine, o.out.c_str()))
                    status = 0;
                else
                    fprintf(stderr, "menuview: cannot write %s\n", o.out.c_str());
                engine.PresentFrame();
            }
        }
        menus.clear();
    }
    SDL_Quit();
    return status;
}
