// sceneview: draws the room, the table and a few tiles through the engine,
// as the game lays them out, and writes the picture to a PNG file. For
// looking at the art and at the engine's conventions.
//
//   sceneview [options]      run in the runtime directory (data/ beside it)
//     --out FILE             picture to write (default sceneview.png)
//     --size W H             window size (default 800 600)
//     --camera AZ EL DIST    orbit around the table's centre (default 0 45 30)
//     --hand                 the hand view: from (0, 20, 0.1), roll 180
//     --roll R               turn the picture by R more degrees
//     --probe                only two tiles: 0-6 at the centre, a face-down one behind
//     --16                   a 16-bit display

#include <SDL.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "lib3d/Engine.h"
#include "lib3d/Material.h"
#include "lib3d/Matrix.h"
#include "lib3d/Scene.h"

using namespace lib3d;

namespace {

struct Options {
    std::string out = "sceneview.png";
    int width = 800, height = 600;
    float az = 0, el = 45, dist = 30;
    bool hand = false, probe = false;
    float roll = 0;
    int colourMode = 3;
};

bool ParseOptions(int argc, char **argv, Options &o) {
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--out" && i + 1 < argc) {
            o.out = argv[++i];
        } else if (a == "--size" && i + 2 < argc) {
            o.width = atoi(argv[++i]);
            o.height = atoi(argv[++i]);
        } else if (a == "--camera" && i + 3 < argc) {
            o.az = (float)atof(argv[++i]);
            o.el = (float)atof(argv[++i]);
            o.dist = (float)atof(argv[++i]);
        } else if (a == "--roll" && i + 1 < argc) {
            o.roll = (float)atof(argv[++i]);
        } else if (a == "--probe") {
            o.probe = true;
        } else if (a == "--hand") {
            o.hand = true;
        } else if (a == "--16") {
            o.colourMode = 1;
        } else {
            fprintf(stderr, "sceneview: unknown option %s\n", a.c_str());
            return false;
        }
    }
    return o.width > 0 && o.height > 0;
}

// A tile of the demonstration layout: values, board cell of its a half, angle.
struct TilePlace {
    int a, b;
    float x, z;
    float angle;
};

const TilePlace kLayout[] = {
    {6, 6, 16, 16, 0}, {3, 6, 19, 16, 180}, {1, 3, 20, 16, 270},   {1, 5, 20, 19, 90},
    {2, 6, 13, 16, 0}, {0, 2, 12, 16, 270}, {4, 5, 16, 17.5f, 90}, {5, 5, 22, 14, 0},
};

bool WritePng(const char *path, Engine &engine) {
    std::vector<uint8_t> raw;
    int pitch = 0;
    if (!engine.GetDevice() || !engine.GetDevice()->ReadBackBuffer(&raw, &pitch)) return false;
    const int w = engine.width, h = engine.height;
    const bool wide = engine.backBufferFormat == device::FormatX8R8G8B8;
    std::vector<uint8_t> rgb((size_t)w * h * 3);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            const uint8_t *p = raw.data() + (size_t)y * pitch + x * (wide ? 4 : 2);
            uint8_t *o = &rgb[((size_t)y * w + x) * 3];
            if (wide) {
                o[0] = p[2];
                o[1] = p[1];
                o[2] = p[0];
            } else {
                unsigned v = p[0] | p[1] << 8;
                o[0] = (uint8_t)((v >> 8) & 0xF8);
                o[1] = (uint8_t)((v >> 3) & 0xFC);
                o[2] = (uint8_t)((v & 0x1F) << 3);
            }
        }
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = w;
    image.height = h;
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path, 0, rgb.data(), w * 3, nullptr) != 0;
}

class Viewer {
public:
    explicit Viewer(const Options &o)
        : options_(o), background_(&engine_), table_(&engine_), tile_(&engine_) {
        for (auto &row : faces_)
            for (int &slot : row) slot = -1;
    }

    bool Start() {
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            fprintf(stderr, "sceneview: SDL_Init: %s\n", SDL_GetError());
            return false;
        }
        engine_.fullscreen = false;
        if (!engine_.Open(options_.width, options_.height, options_.colourMode)) {
            fprintf(stderr, "sceneview: no display\n");
            return false;
        }
        engine_.focal = (float)engine_.width;
        engine_.nearPlane = 0.1f;
        engine_.farPlane = 400.0f;
        // The game's default states.
        const int defaults[][2] = {{7, 15}, {7, 9}, {4, 1},  {4, 5}, {15, 0}, {1, 1},
                                   {3, 1},  {5, 1}, {5, 48}, {5, 6}, {10, 1}, {6, 0}};
        for (const auto &s : defaults) engine_.SetState(s[0], s[1]);
        if (!background_.Load("data/gfx/3d/", "background.3ds", 7) ||
            !table_.Load("data/gfx/3d/", "table.3ds", 7) ||
            !tile_.Load("data/gfx/3d/", "domino.3ds", 7))
            return false;
        float m[16];
        Matrix::Identity(m);
        Matrix::Translate(m, 0, -0.5f, 0);
        background_.SetMatrix(m);
        background_.BuildBuffers();
        table_.BuildBuffers();
        tile_.BuildBuffers();
        if (!tile_.Mesh(0) || !tile_.Mesh(0)->material) return false;
        tileTexture_ = tile_.Mesh(0)->material->texture;
        for (int a = 0; a <= 6; a++)
            for (int b = a; b <= 6; b++) {
                char path[64];
                snprintf(path, sizeof path, "data/gfx/3d/%d-%d.png", a, b);
                faces_[a][b] = LoadMaterialTexture(engine_, path);
                if (faces_[a][b] < 0) return false;
            }
        if (background_.lights.empty()) {
            fprintf(stderr, "Light source not found in background.3ds !\n");
            return false;
        }
        return true;
    }

    void DrawTile(const TilePlace &t, bool faceDown, float height, int depthMode) {
        float m[16];
        Matrix::Identity(m);
        if (faceDown) {
            Matrix::Rotate(m, 180, 0, 0);
            Matrix::Translate(m, 0, 0.42f, 0);
        }
        Matrix::Rotate(m, 0, t.angle, 0);
        Matrix::Translate(m, t.x - 16, height, t.z - 16);
        tile_.SetMatrix(m);
        Mesh *mesh = tile_.Mesh(0);
        mesh->material->texture = faces_[t.a][t.b];
        mesh->material->depthMode = depthMode;
        tile_.Draw();
        mesh->material->depthMode = 1;
    }

    bool Render() {
        if (!engine_.BeginFrame()) return false;
        engine_.ClearFrame();
        engine_.SetAmbient(0.5f, 0.5f, 0.5f);
        for (size_t i = 0; i < background_.lights.size(); i++) {
            const Light &l = background_.lights[i];
            engine_.SetPointLight((int)i, l.position[0], l.position[1], l.position[2], l.colour[0],
                                  l.colour[1], l.colour[2], 0, 1000);
            engine_.EnableLight((int)i);
        }
        engine_.SetProjection();
        float view[16], eye[3], dir[3];
        float roll = options_.roll;
        if (options_.hand) {
            eye[0] = 0, eye[1] = 20, eye[2] = 0.1f;
            roll += 180;
        } else {
            const float k = 3.14159265f / 180;
            float az = options_.az * k, el = options_.el * k, d = options_.dist;
            eye[0] = std::sin(az) * std::cos(el) * d;
            eye[1] = std::sin(el) * d;
            eye[2] = std::cos(az) * std::cos(el) * d;
        }
        for (int i = 0; i < 3; i++) dir[i] = -eye[i];
        Matrix::LookAt(view, eye, dir, roll);
        engine_.SetView(view);
        if (options_.probe) {
            DrawTile({0, 6, 16, 16, 0}, false, 0, 1);
            DrawTile({1, 1, 16, 10, 0}, true, 0, 1);
        } else if (options_.hand) {
            for (int i = 0; i < 7; i++) {
                TilePlace t = kLayout[i];
                t.x = 7 + 1.5f * i;
                t.z = 21.5f;
                t.angle = 90;
                DrawTile(t, i >= 5, 0, 0);
            }
        } else {
            background_.Draw();
            table_.Draw();
            for (const TilePlace &t : kLayout) DrawTile(t, false, 0, 1);
            DrawTile({0, 4, 10, 10, 90}, true, 0, 1);
            DrawTile({2, 3, 25, 22, 0}, false, 0.3f, 1);
        }
        engine_.EndFrame();
        bool ok = WritePng(options_.out.c_str(), engine_);
        engine_.PresentFrame();
        return ok;
    }

    void Stop() {
        for (int a = 0; a <= 6; a++)
            for (int b = a; b <= 6; b++)
                if (faces_[a][b] >= 0) engine_.ReleaseTexture(faces_[a][b]);
        // The tile's own texture goes back to its material, which releases it.
        if (tile_.Mesh(0) && tile_.Mesh(0)->material)
            tile_.Mesh(0)->material->texture = tileTexture_;
        tile_.Clear();
        table_.Clear();
        background_.Clear();
        engine_.Close();
        SDL_Quit();
    }

private:
    Options options_;
    Engine engine_;
    Scene background_, table_, tile_;
    int faces_[7][7] = {};
    int tileTexture_ = -1;
};

}  // namespace

int main(int argc, char **argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) return 2;
    auto viewer = std::make_unique<Viewer>(options);
    bool ok = viewer->Start() && viewer->Render();
    viewer->Stop();
    if (!ok) {
        fprintf(stderr, "sceneview: no picture\n");
        return 1;
    }
    printf("%s\n", options.out.c_str());
    return 0;
}
